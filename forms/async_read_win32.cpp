#include "async_read_win32.h"

#include <process.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <map>
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
    if (job->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete job;
        liveJobs.fetch_sub(1);
    }
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
        try {
            // Room for what is announced, up to a point: a server may announce
            // far more than it sends.
            job_.bytes.reserve(std::min<std::uint32_t>(ledger_.Announced(), kReserveBytes));
        } catch (const std::bad_alloc&) {
            return Fail(ReadFault::Read, ERROR_NOT_ENOUGH_MEMORY);
        }
        job_.total.store(ledger_.Announced());
        PostMessageW(job_.window, kConnectedMessage, job_.id, 0);
        return true;
    }

    bool Take(const std::uint8_t* data, DWORD n) {
        if (!ledger_.Add(n)) return Fail(ReadFault::TooLarge);
        try {
            job_.bytes.insert(job_.bytes.end(), data, data + n);
        } catch (const std::bad_alloc&) {
            return Fail(ReadFault::Read, ERROR_NOT_ENOUGH_MEMORY);
        }
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

bool ReadLocalFile(const std::string& path, Transfer& transfer) {
    FileHandle file{CreateFileA(path.c_str(), GENERIC_READ,
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

// The file in which the system's internet cache keeps its copy of url, if
// it has one.
std::optional<std::string> CachedCopy(const char* url) {
    DWORD size = 0;
    if (GetUrlCacheEntryInfoA(url, nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(size);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    if (!GetUrlCacheEntryInfoA(url, info, &size) || !info->lpszLocalFileName) return std::nullopt;
    return std::string(info->lpszLocalFileName);
}

bool ReadHttp(const Job& job, Transfer& transfer) {
    // Direct: no proxy and no proxy discovery, which could stall the first
    // read for seconds.
    InternetHandle session{InternetOpenA("Velmora", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)};
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
        if (job.policy.cacheFallback && !transfer.Cancelled())
            if (const auto copy = CachedCopy(url)) return ReadLocalFile(*copy, transfer);
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
        const bool ok = job->target.source == ReadSource::Http ? ReadHttp(*job, transfer)
                                                               : ReadLocalFile(job->target.location, transfer);
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
        // No exception of a handler crosses the window procedure.
        try {
            Deliver(static_cast<std::uint32_t>(w), message);
        } catch (...) {
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
    ReadTarget target = ClassifyReadPath(path);
    if (target.source == ReadSource::Unsupported) return false;
    Cancel(name);
    HWND window = ReaderWindow();
    if (!window || liveThreads.load() >= kMaxLiveReads) return false;

    Job* job = new (std::nothrow) Job;
    if (!job) return false;
    liveJobs.fetch_add(1);
    job->id = nextId++;
    if (nextId == 0) nextId = 1;
    job->window = window;
    job->target = std::move(target);
    job->policy = CachePolicyFor(options);
    Reads()[job->id] = Entry{this, name, job};
    liveThreads.fetch_add(1);
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, &Work, job, 0, nullptr);
    if (!thread) {
        liveThreads.fetch_sub(1);
        Release(job);  // the worker's reference
        Forget(Reads().find(job->id));
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));  // nobody waits for it
    return true;
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
