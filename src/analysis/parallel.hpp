// The one parallel loop of the analyses. Every loop that spreads work over threads (event rows,
// notch rows, the sensitivity copies, the tolerance samples) goes through ParallelFor, so that
// a failure on any thread comes back to the caller as an exception, never as std::terminate.
//
// The back end is chosen when the build is configured (MERROVAN_PARALLEL_BACKEND): the standard
// parallel algorithms on TBB, or a plain pool of std::jthread. The second is what the
// ThreadSanitizer build uses: Debian's TBB is not instrumented, so the checker could not see
// the hand-over of work between its threads.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <string>

namespace mv {

// Runs body(i) for every i in 0..n-1, spread over the machine's threads, and returns when all
// have finished. The bodies must be independent of each other. When a body throws, the bodies
// not yet begun are skipped and the first exception is thrown again here, on the calling
// thread, once every running body has returned. A loop started from inside a body runs on that
// body's thread (the jthread back end) or shares the same workers (TBB).
void ParallelFor(std::size_t n, const std::function<void(std::size_t)>& body);

// The name of the back end this build uses: "tbb" or "threads".
const char* ParallelBackend();

// While alive, parallel loops use at most `threads` threads (at least 1), whichever back end
// runs them: one thread must give the same results as many.
class ParallelismLimit {
public:
    explicit ParallelismLimit(std::size_t threads);
    ~ParallelismLimit();
    ParallelismLimit(const ParallelismLimit&) = delete;
    ParallelismLimit& operator=(const ParallelismLimit&) = delete;

private:
    struct State;
    State* state_;
};

// For tests: while alive, every body of every parallel loop first calls `fault(i)`, so that a
// test can make any loop fail on any thread and check that the failure is reported.
class ParallelFaultForTest {
public:
    explicit ParallelFaultForTest(std::function<void(std::size_t)> fault);
    ~ParallelFaultForTest();
    ParallelFaultForTest(const ParallelFaultForTest&) = delete;
    ParallelFaultForTest& operator=(const ParallelFaultForTest&) = delete;

private:
    std::function<void(std::size_t)> fault_;
};

// What a caught exception says, for a message: its own text, "out of memory" for
// std::bad_alloc, "an unknown error" for what is not a std::exception.
std::string ExceptionText(const std::exception_ptr& e);

}  // namespace mv
