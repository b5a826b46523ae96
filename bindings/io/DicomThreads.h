#pragma once
// Work on the slices (or files) of a DICOM volume, spread over the machine's cores.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

#include "ReadProgress.h"

namespace wexlan::io {

/// What the calls of OnAllCores mostly wait for.
enum class WaitsFor {
    Processor,  ///< work on data in memory or in the page cache
    Disk,       ///< reads of files that may not be cached
};

/// Threads per core for work that waits for the disk: with a cold page cache a read of
/// many small files is bound by the requests in flight, not by the cores (a 300-file CT
/// series read with a cold cache: 300 ms on two threads, 230 ms on eight, measured on a
/// virtual disk).
constexpr unsigned kDiskThreadsPerCore = 4;

/// Calls `work(k)` for every k below `count`, on as many threads as the machine has
/// cores (at most `count`), or kDiskThreadsPerCore times as many for work that waits
/// for the disk. When calls throw, the exception of the lowest k is rethrown
/// once all threads ended; slices after the lowest failed one may have been left out.
/// Every thread checks the calling thread's cancel flag before each call (a cancelled
/// read throws ReadCancelled); with a `unit` ("slice") the calling thread reports
/// progress as "slice k of n".
inline void OnAllCores(std::size_t count, const std::function<void(std::size_t)>& work,
                       const char* unit = nullptr, WaitsFor waitsFor = WaitsFor::Processor) {
    ReadProgress* const progress = ReadProgress::Current();
    std::atomic<std::size_t> done{0};
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::min<std::size_t>(
        count, waitsFor == WaitsFor::Disk ? cores * kDiskThreadsPerCore : cores);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> firstFailed{count};
    std::vector<std::exception_ptr> errors(count);
    const auto run = [&](bool calling) {
        for (std::size_t k = next++; k < count && k < firstFailed; k = next++) {
            try {
                if (progress != nullptr) {
                    progress->ThrowIfCancelled();
                }
                work(k);
                const std::size_t finished = ++done;
                if (calling && progress != nullptr && unit != nullptr) {
                    progress->ReportUnits(finished, count, unit);
                }
            } catch (...) {
                errors[k] = std::current_exception();
                std::size_t seen = firstFailed;
                while (k < seen && !firstFailed.compare_exchange_weak(seen, k)) {
                }
            }
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(run, false);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the others do the work
        }
    }
    run(true);
    // The helpers may have taken every call: the calling thread keeps reporting theirs.
    while (progress != nullptr && unit != nullptr && firstFailed == count && done < count) {
        try {
            progress->ReportUnits(done, count, unit);
        } catch (const ReadCancelled&) {
            break;  // the helpers see the flag before their next call
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (firstFailed < count) {
        std::rethrow_exception(errors[firstFailed]);
    }
    // Helpers quick enough to take every call before the calling thread looked leave
    // nothing reported: the end of the stage is said once.
    if (progress != nullptr && unit != nullptr) {
        progress->ReportUnits(count, count, unit);
    }
}

}  // namespace wexlan::io
