// The worker's side of an asynchronous read: a file or an http(s) address
// read into its Job on a thread of its own.
#include "read_job_win32.h"

#include <wininet.h>

#include <algorithm>
#include <new>

#include "async_read_win32.h"

namespace forms {

std::atomic<long> liveThreads{0};
std::atomic<long> liveJobs{0};

namespace {
constexpr DWORD kBlockBytes = 16 * 1024;
constexpr std::uint32_t kReserveBytes = 1024 * 1024;

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
    FileHandle file{CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
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
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
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
}  // namespace

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

}  // namespace forms
