#include "async_read_win32.h"

#include <process.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <new>

// One worker thread per read, and why that is sound in a program whose forms
// and controls all live on one user-interface thread:
// - The worker owns its Job (below) together with the user-interface side,
//   by a reference count, and the file or WinINet handles it opens, which it
//   closes itself on every path before it ends.
// - It never touches a control, a form, a reader, the registry of reads or any
//   object with a destructor in static storage. It only writes its Job and
//   posts messages that carry the read's id to the reader window, a
//   message-only window of the user-interface thread. So no lock is needed,
//   and the process may run its exit code while a worker still runs.
// - The user-interface thread looks each id up in its registry when the
//   message arrives. A read that was cancelled or replaced, or whose reader
//   is gone, is no longer there, and its messages are dropped: nothing is
//   ever delivered late. The result fields are written before `finished` is
//   stored (release) and read only after it is loaded (acquire).
// - Ending: Cancel and the reader's end set the Job's cancel flag; the worker
//   looks at it whenever data arrives and between steps, and ends. A server
//   that has gone silent holds it at most kReadTimeoutMs. Nobody ever waits
//   for a worker: not the user-interface thread, not the exit of the process,
//   which simply ends it (there are no locks of ours for it to hold).

namespace forms {

namespace {
constexpr UINT kConnectedMessage = WM_APP + 1;
constexpr UINT kReceivingMessage = WM_APP + 2;
constexpr UINT kDoneMessage = WM_APP + 3;
constexpr wchar_t kReaderClass[] = L"VelmoraAsyncRead";
constexpr DWORD kBlockBytes = 16 * 1024;
constexpr std::uint32_t kReserveBytes = 1024 * 1024;

// Trivially destructible: the workers may count down after static destruction.
std::atomic<long> liveThreads{0};
std::atomic<long> liveJobs{0};

struct Job {
    Job() { liveJobs.fetch_add(1); }
    ~Job() { liveJobs.fetch_sub(1); }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    std::uint32_t id = 0;
    HWND window = nullptr;
    ReadTarget target;
    CachePolicy policy{};
    std::atomic<long> references{2};  // the registry's and the worker's
    std::atomic<bool> cancelled{false};
    std::atomic<bool> receivingPosted{false};  // a Receiving message is on its way
    std::atomic<std::uint32_t> received{0};
    std::atomic<std::uint32_t> total{0};
    std::atomic<bool> finished{false};
    // Written by the worker before `finished`; read after it.
    ReadFault fault = ReadFault::None;
    unsigned long code = 0;
    std::vector<std::uint8_t> bytes;
};

void Release(Job* job) {
    if (job->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete job;
}

// --- the worker -------------------------------------------------------------------

struct InternetHandle {
    HINTERNET handle;
    ~InternetHandle() {
        if (handle) InternetCloseHandle(handle);
    }
};

struct FileHandle {
    HANDLE handle;
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

// The worker's side of one read: the count against the cap, the bytes, and
// the messages to the user-interface thread.
class Transfer {
public:
    explicit Transfer(Job& job) : job_(job) {}

    bool Cancelled() const { return job_.cancelled.load(); }

    bool Fail(ReadFault fault, unsigned long code = 0) {
        job_.fault = fault;
        job_.code = code;
        return false;
    }

    // The source answered, announcing length (or not).
    bool Connected(std::optional<std::uint64_t> length) {
        if (!ledger_.Announce(length)) return Fail(ReadFault::TooLarge);
        // Room for what is announced, up to a point: a server may announce
        // far more than it sends.
        job_.bytes.reserve(std::min<std::uint32_t>(ledger_.Announced(), kReserveBytes));
        job_.total.store(ledger_.Announced());
        PostMessageW(job_.window, kConnectedMessage, job_.id, 0);
        return true;
    }

    bool Take(const std::uint8_t* data, DWORD n) {
        if (!ledger_.Add(n)) return Fail(ReadFault::TooLarge);
        job_.bytes.insert(job_.bytes.end(), data, data + n);
        job_.received.store(ledger_.Received());
        // At most one Receiving message waits in the queue: it reports the
        // count as it is when it is handled.
        if (!job_.receivingPosted.exchange(true) && !PostMessageW(job_.window, kReceivingMessage, job_.id, 0))
            job_.receivingPosted.store(false);
        return true;
    }

    // The source ended cleanly.
    bool End() {
        const ReadFault fault = ledger_.AtEnd();
        return fault == ReadFault::None || Fail(fault);
    }

private:
    Job& job_;
    ReadLedger ledger_;
};

bool ReadLocalFile(const char* path, Transfer& transfer) {
    FileHandle file{CreateFileA(path, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) return transfer.Fail(ReadFault::Open, GetLastError());
    // Files on disk only: a pipe, console or serial port could block forever.
    if (GetFileType(file.handle) != FILE_TYPE_DISK) return transfer.Fail(ReadFault::Open, ERROR_INVALID_FUNCTION);
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.handle, &size)) return transfer.Fail(ReadFault::Read, GetLastError());
    if (!transfer.Connected(static_cast<std::uint64_t>(size.QuadPart))) return false;
    std::uint8_t block[kBlockBytes];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.handle, block, sizeof block, &got, nullptr))
            return transfer.Fail(ReadFault::Read, GetLastError());
        if (transfer.Cancelled()) return false;
        if (got == 0) return transfer.End();
        if (!transfer.Take(block, got)) return false;
    }
}

// The system's internet cache's entry for url, if it has one, in a buffer
// that holds its local file name too.
std::vector<std::uint8_t> CacheEntry(const char* url) {
    DWORD size = 0;
    if (GetUrlCacheEntryInfoA(url, nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    std::vector<std::uint8_t> buffer(size);
    auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    if (size < sizeof *info || !GetUrlCacheEntryInfoA(url, info, &size) || !info->lpszLocalFileName) return {};
    return buffer;
}

// A session through the proxy the user has configured for the network
// connection, or a direct one. The automatic parts of the settings (proxy
// discovery, a configuration script) are left out: they could stall a first
// read for seconds. The settings are read here rather than by the session
// (INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY), as not every WinINet
// honours that type (Wine's opens a direct session).
HINTERNET OpenSession() {
    INTERNET_PER_CONN_OPTIONA options[3] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    INTERNET_PER_CONN_OPTION_LISTA list = {};
    list.dwSize = sizeof list;
    list.dwOptionCount = 3;
    list.pOptions = options;
    DWORD size = sizeof list;
    const bool read = InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size);
    char* const server = read ? options[1].Value.pszValue : nullptr;
    char* const bypass = read ? options[2].Value.pszValue : nullptr;
    const bool proxy = read && (options[0].Value.dwValue & PROXY_TYPE_PROXY) && server && *server;
    HINTERNET session = proxy ? InternetOpenA("Velmora", INTERNET_OPEN_TYPE_PROXY, server, bypass, 0)
                              : InternetOpenA("Velmora", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    // The setting's texts are the caller's to free.
    if (server) GlobalFree(server);
    if (bypass) GlobalFree(bypass);
    return session;
}

bool ReadHttp(const Job& job, Transfer& transfer) {
    InternetHandle session{OpenSession()};
    if (!session.handle) return transfer.Fail(ReadFault::Open, GetLastError());
    DWORD timeout = kReadTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionA(session.handle, option, &timeout, sizeof timeout);

    DWORD flags = INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    flags |= job.policy.reload ? INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE : INTERNET_FLAG_RESYNCHRONIZE;
    if (!job.policy.writeCache) flags |= INTERNET_FLAG_NO_CACHE_WRITE;
    if (job.policy.cacheFallback) flags |= INTERNET_FLAG_CACHE_IF_NET_FAIL;
    const char* url = job.target.location.c_str();
    InternetHandle request{InternetOpenUrlA(session.handle, url, nullptr, 0, flags, 0)};
    if (!request.handle) {
        const DWORD error = GetLastError();
        // Not every WinINet honours the fail-over flag (Wine's does not):
        // read the cache's copy ourselves.
        if (job.policy.cacheFallback && !transfer.Cancelled()) {
            const std::vector<std::uint8_t> entry = CacheEntry(url);
            if (!entry.empty()) {
                const auto* info = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOA*>(entry.data());
                return ReadLocalFile(info->lpszLocalFileName, transfer);
            }
        }
        return transfer.Fail(ReadFault::Open, error);
    }
    if (transfer.Cancelled()) return false;

    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoA(request.handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return transfer.Fail(ReadFault::Read, GetLastError());
    if (!IsSuccessStatus(status)) return transfer.Fail(ReadFault::HttpStatus, status);
    char text[32];
    DWORD textSize = sizeof text - 1;
    std::optional<std::uint64_t> length;
    if (HttpQueryInfoA(request.handle, HTTP_QUERY_CONTENT_LENGTH, text, &textSize, nullptr))
        length = ParseContentLength(std::string_view(text, textSize));
    else if (GetLastError() == ERROR_INSUFFICIENT_BUFFER)
        length = UINT64_MAX;  // a 32-digit length is no length we take
    if (!transfer.Connected(length)) return false;

    std::uint8_t block[kBlockBytes];
    for (;;) {
        // A synchronous InternetReadFile waits until the whole block is
        // filled: ask what has arrived first, so that progress and a cancel
        // are seen per packet, not per block.
        DWORD available = 0, got = 0;
        if (!InternetQueryDataAvailable(request.handle, &available, 0, 0))
            return transfer.Fail(ReadFault::Read, GetLastError());
        if (transfer.Cancelled()) return false;
        const DWORD want = available == 0 ? 1 : std::min<DWORD>(available, sizeof block);
        if (!InternetReadFile(request.handle, block, want, &got)) return transfer.Fail(ReadFault::Read, GetLastError());
        if (got == 0) return transfer.End();
        if (!transfer.Take(block, got)) return false;
    }
}

unsigned __stdcall Work(void* argument) {
    Job* job = static_cast<Job*>(argument);
    {
        Transfer transfer(*job);
        bool ok = false;
        // No exception may leave the thread: memory running out here fails
        // the read like a reset connection (the handles close on the way out).
        try {
            ok = job->target.source == ReadSource::Http ? ReadHttp(*job, transfer)
                                                        : ReadLocalFile(job->target.location.c_str(), transfer);
        } catch (const std::bad_alloc&) {
            ok = transfer.Fail(ReadFault::Read, ERROR_NOT_ENOUGH_MEMORY);
        }
        if (!ok) std::vector<std::uint8_t>().swap(job->bytes);  // a failed read holds no memory
    }
    if (!job->cancelled.load()) {
        job->finished.store(true, std::memory_order_release);
        // The queue may be full for a moment; a reader window that is gone
        // (the process is ending) takes nothing.
        for (int tries = 0; !PostMessageW(job->window, kDoneMessage, job->id, 0); ++tries) {
            if (tries >= 100 || job->cancelled.load() || !IsWindow(job->window)) break;
            Sleep(20);
        }
    }
    Release(job);
    liveThreads.fetch_sub(1);
    return 0;
}

// --- the user-interface thread ------------------------------------------------------

struct Entry {
    AsyncReader* reader;
    std::string name;
    Job* job;
};
using Registry = std::map<std::uint32_t, Entry>;
// The running reads by id. Never destroyed: a reader in static storage may
// cancel its reads after this file's statics are gone.
Registry& Reads() {
    static Registry* registry = new Registry;
    return *registry;
}
std::uint32_t nextId = 1;
DWORD uiThread = 0;
HWND readerWindow = nullptr;

void Forget(Registry::iterator it) {
    it->second.job->cancelled.store(true);
    Release(it->second.job);
    Reads().erase(it);
}

// Calls the progress handler of a registered read; false when the read is
// gone afterwards (the handler cancelled it, or ended its reader).
bool Report(std::uint32_t id, const ReadProgress& progress) {
    auto it = Reads().find(id);
    if (it == Reads().end()) return false;
    // Copies: the handler may destroy the reader, and the handler with it.
    const auto handler = it->second.reader->onProgress;
    const std::string name = it->second.name;
    if (handler) handler(name, progress);
    return Reads().count(id) != 0;
}

void Deliver(std::uint32_t id, UINT message) {
    const auto it = Reads().find(id);
    if (it == Reads().end()) return;  // cancelled, replaced, or its reader is gone
    Job* job = it->second.job;
    ReadProgress progress;
    progress.bytesTotal = job->total.load();
    if (message == kReceivingMessage) job->receivingPosted.store(false);
    progress.bytesRead = job->received.load();
    if (message == kConnectedMessage || message == kReceivingMessage) {
        progress.status = message == kConnectedMessage ? ReadStatus::Connected : ReadStatus::Receiving;
        Report(id, progress);
        return;
    }
    if (!job->finished.load(std::memory_order_acquire)) return;
    if (job->fault != ReadFault::None) {
        // Over: forgotten before the handler runs, which may start a new read
        // under the same name.
        progress.status = ReadStatus::Failed;
        progress.fault = job->fault;
        progress.code = job->code;
        const auto handler = it->second.reader->onProgress;
        const std::string name = it->second.name;
        Forget(it);
        if (handler) handler(name, progress);
        return;
    }
    progress.status = ReadStatus::Finished;
    if (!Report(id, progress)) return;
    const auto after = Reads().find(id);
    const auto handler = after->second.reader->onComplete;
    const std::string name = after->second.name;
    std::vector<std::uint8_t> bytes = std::move(job->bytes);
    Forget(after);
    if (handler) handler(name, std::move(bytes));
}

LRESULT CALLBACK ReaderProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == kConnectedMessage || message == kReceivingMessage || message == kDoneMessage) {
        const auto id = static_cast<std::uint32_t>(w);
        // No exception of a handler crosses the window procedure. A read whose
        // end could not be delivered (no memory for a copy) is over all the
        // same: it must not hold a place among the live reads.
        try {
            Deliver(id, message);
        } catch (...) {
            if (message == kDoneMessage)
                if (const auto it = Reads().find(id); it != Reads().end()) Forget(it);
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

HWND ReaderWindow() {
    if (readerWindow) return readerWindow;
    WNDCLASSW cls = {};
    cls.lpfnWndProc = ReaderProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kReaderClass;
    RegisterClassW(&cls);
    readerWindow = CreateWindowExW(0, kReaderClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    return readerWindow;
}
}  // namespace

long LiveReadThreads() { return liveThreads.load(); }
long LiveReadJobs() { return liveJobs.load(); }

AsyncReader::~AsyncReader() { CancelAll(); }

bool AsyncReader::Start(const std::string& path, const std::string& name, unsigned options) {
    if (uiThread == 0) uiThread = GetCurrentThreadId();
    if (uiThread != GetCurrentThreadId()) return false;
    // Out of memory anywhere here: not started, nothing held.
    try {
        ReadTarget target = ClassifyReadPath(path);
        if (target.source == ReadSource::Unsupported) return false;
        Cancel(name);
        HWND window = ReaderWindow();
        // Cancelled reads do not count: a host that retries against a silent
        // server is not refused while its abandoned workers run out their
        // timeouts. Their threads have a ceiling of their own.
        if (!window || static_cast<long>(Reads().size()) >= kMaxLiveReads || liveThreads.load() >= kMaxReadThreads)
            return false;

        std::unique_ptr<Job> job(new (std::nothrow) Job);
        if (!job) return false;
        job->id = nextId++;
        if (nextId == 0) nextId = 1;
        job->window = window;
        job->target = std::move(target);
        job->policy = CachePolicyFor(options);
        const auto [entry, inserted] = Reads().emplace(job->id, Entry{this, name, job.get()});
        if (!inserted) return false;  // its id is still taken after 2^32 reads
        Job* const started = job.release();  // the registry's and the worker's now
        liveThreads.fetch_add(1);
        const std::uintptr_t thread = _beginthreadex(nullptr, 0, &Work, started, 0, nullptr);
        if (!thread) {
            liveThreads.fetch_sub(1);
            Release(started);  // the worker's reference
            Forget(entry);
            return false;
        }
        CloseHandle(reinterpret_cast<HANDLE>(thread));  // nobody waits for it
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void AsyncReader::Cancel(const std::string& name) {
    for (auto it = Reads().begin(); it != Reads().end();) {
        const auto next = std::next(it);
        if (it->second.reader == this && it->second.name == name) Forget(it);
        it = next;
    }
}

void AsyncReader::CancelAll() {
    for (auto it = Reads().begin(); it != Reads().end();) {
        const auto next = std::next(it);
        if (it->second.reader == this) Forget(it);
        it = next;
    }
}

bool AsyncReader::Reading(const std::string& name) const {
    for (const auto& [id, entry] : Reads())
        if (entry.reader == this && entry.name == name) return true;
    return false;
}

}  // namespace forms
