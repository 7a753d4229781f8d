#include "async_read_win32.h"

#include <process.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <new>

#include "read_job_win32.h"

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
constexpr wchar_t kReaderClass[] = L"VelmoraAsyncRead";

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
    readerWindow =
        CreateWindowExW(0, kReaderClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
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
        if (!inserted) return false;         // its id is still taken after 2^32 reads
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
