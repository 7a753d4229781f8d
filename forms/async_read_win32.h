// The container's asynchronous read for reusable controls: a path (an http or
// https address, or a file) read into a byte array on a worker thread, with
// its progress and its result handed back to the user-interface thread. Every
// handler runs on the user-interface thread, from whatever message loop is
// running there (a modal form's or a message box's too), never from the
// worker. What the status values and faults mean: async_read.h.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "async_read.h"

namespace forms {

struct ReadProgress {
    ReadStatus status = ReadStatus::Connected;
    std::uint32_t bytesRead = 0;   // arrived so far
    std::uint32_t bytesTotal = 0;  // the announced length, 0 when none was announced
    ReadFault fault = ReadFault::None;
    unsigned long code = 0;  // with Open and Read: the system error; with HttpStatus: the status
};

// Reads of all readers of the process together that are neither over nor
// cancelled; a Start beyond them fails.
constexpr long kMaxLiveReads = 8;
// Worker threads of the process, cancelled ones included until they have
// ended: a bound on what a host that keeps starting and cancelling reads
// against silent servers can pile up; a Start beyond it fails.
constexpr long kMaxReadThreads = 32;
// The longest a connection, a send or a single receive may take. A cancelled
// read whose server has gone silent ends after at most this long.
constexpr DWORD kReadTimeoutMs = 15000;

// One control's reads, each under a name. Use it on the user-interface thread
// only: the first Start of the process fixes that thread, and Start refuses
// any other.
class AsyncReader {
public:
    AsyncReader() = default;
    // Cancels every read of this reader.
    ~AsyncReader();
    AsyncReader(const AsyncReader&) = delete;
    AsyncReader& operator=(const AsyncReader&) = delete;

    // Starts reading path under name; a read of the same name still running
    // is cancelled first. options: kReadCacheIfNetFails or 0. False, and no
    // report follows, when the path cannot be read (empty, too long, a scheme
    // other than http, https and file), kMaxLiveReads reads are live or
    // kMaxReadThreads workers are running, the worker cannot be started, there
    // is no memory for it, or the caller is not the user-interface thread.
    // A path that is well formed but cannot be reached starts, and fails with
    // a report of status Failed.
    bool Start(const std::string& path, const std::string& name, unsigned options = 0);
    // Nothing more of the read of that name is reported from now on, even a
    // report already on its way; its transfer stops as soon as the next data
    // arrives or the connection is made (at the latest after kReadTimeoutMs).
    // No read of that name: nothing happens. Handlers may call it.
    void Cancel(const std::string& name);
    void CancelAll();
    bool Reading(const std::string& name) const;

    // Progress reports (see ReadStatus). A report of status Failed ends the
    // read; one of status Finished is followed at once by the completion,
    // unless its handler cancels the read.
    std::function<void(const std::string& name, const ReadProgress& progress)> onProgress;
    // Every byte that arrived, bytes.size() of them (at most kMaxReadBytes).
    std::function<void(const std::string& name, std::vector<std::uint8_t> bytes)> onComplete;
};

// For leak checks: worker threads still running, and reads whose state is
// still held (by a reader or by a worker).
long LiveReadThreads();
long LiveReadJobs();

}  // namespace forms
