// What the two sides of an asynchronous read share: the Job that the worker
// thread and the user-interface thread both hold, and the messages the worker
// posts. The threading rules: async_read_win32.cpp.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "async_read.h"

namespace forms {

constexpr UINT kConnectedMessage = WM_APP + 1;
constexpr UINT kReceivingMessage = WM_APP + 2;
constexpr UINT kDoneMessage = WM_APP + 3;

// Trivially destructible: the workers may count down after static destruction.
extern std::atomic<long> liveThreads;
extern std::atomic<long> liveJobs;

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

inline void Release(Job* job) {
    if (job->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete job;
}

// The worker thread of one read: reads the job's target, then posts its end
// (read_worker_win32.cpp).
unsigned __stdcall Work(void* argument);

}  // namespace forms
