#pragma once
// Work on the slices (or files) of a DICOM volume, spread over the machine's cores.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

namespace wexlan::io {

/// Calls `work(k)` for every k below `count`, on as many threads as the machine has
/// cores (at most `count`). When calls throw, the exception of the lowest k is rethrown
/// once all threads ended; slices after the lowest failed one may have been left out.
inline void OnAllCores(std::size_t count, const std::function<void(std::size_t)>& work) {
    const std::size_t threads =
        std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> firstFailed{count};
    std::vector<std::exception_ptr> errors(count);
    const auto run = [&] {
        for (std::size_t k = next++; k < count && k < firstFailed; k = next++) {
            try {
                work(k);
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
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the others do the work
        }
    }
    run();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (firstFailed < count) {
        std::rethrow_exception(errors[firstFailed]);
    }
}

}  // namespace wexlan::io
