// What the design windows' search workers share: progress reported at a pace the UI thread can
// follow, and a search that cannot throw out of its thread.
#pragma once

#include <chrono>
#include <exception>
#include <utility>

namespace mv {

// Says when a progress report is due: for the first evaluation, then at most one per 40 ms,
// so a fast search does not flood the UI thread's queue with signals.
class ProgressPace {
public:
    bool Due(int evaluations) {
        const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(40) && evaluations > 1) return false;
        last_ = now;
        return true;
    }

private:
    std::chrono::steady_clock::time_point last_{};
};

// Runs the search and returns its result. An exception would end the program from a worker
// thread, so it becomes a result with no figures whose `failure` says what went wrong.
template <class Result, class Search>
Result RunCaught(Search&& search) {
    Result failed;
    try {
        return std::forward<Search>(search)();
    } catch (const std::exception& e) {
        failed.failure = e.what();
    } catch (...) {
        failed.failure = "an unknown error";
    }
    return failed;
}

}  // namespace mv
