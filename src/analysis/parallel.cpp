#include "analysis/parallel.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <numeric>
#include <utility>
#include <vector>

#if MERROVAN_PARALLEL_THREADS
#include <system_error>
#include <thread>
#else
#include <oneapi/tbb/global_control.h>

#include <execution>
#endif

namespace mv {
namespace {

std::atomic<const std::function<void(std::size_t)>*> gFault{nullptr};

// The first exception of one loop; the bodies that start after it skip their work.
class Failure {
public:
    bool Happened() const { return happened_.load(std::memory_order_acquire); }
    void Record() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!first_) first_ = std::current_exception();
        happened_.store(true, std::memory_order_release);
    }
    void Rethrow() const {
        if (first_) std::rethrow_exception(first_);
    }

private:
    std::atomic<bool> happened_{false};
    std::mutex mutex_;
    std::exception_ptr first_;
};

// One body, with nothing let out: an exception is kept for the caller.
void RunOne(const std::function<void(std::size_t)>& body, std::size_t i, Failure& failure) {
    if (failure.Happened()) return;
    try {
        if (const auto* fault = gFault.load(std::memory_order_acquire)) (*fault)(i);
        body(i);
    } catch (...) {
        failure.Record();
    }
}

#if MERROVAN_PARALLEL_THREADS

std::atomic<std::size_t> gLimit{0};  // 0: as many threads as the machine has
thread_local bool tInLoop = false;   // this thread runs a body: nested loops stay on it

std::size_t ThreadCount(std::size_t n) {
    std::size_t threads = gLimit.load(std::memory_order_relaxed);
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    return std::min(threads, n);
}

void Loop(std::size_t n, const std::function<void(std::size_t)>& body, Failure& failure) {
    if (tInLoop || ThreadCount(n) <= 1) {
        const bool outer = tInLoop;
        tInLoop = true;
        for (std::size_t i = 0; i < n; ++i) RunOne(body, i, failure);
        tInLoop = outer;
        return;
    }
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        tInLoop = true;
        for (std::size_t i = next.fetch_add(1); i < n; i = next.fetch_add(1))
            RunOne(body, i, failure);
        tInLoop = false;
    };
    {
        std::vector<std::jthread> pool;
        const std::size_t threads = ThreadCount(n);
        pool.reserve(threads - 1);
        try {
            for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work);
        } catch (const std::system_error&) {
            // No more threads to be had: those that started and this one do the work.
        }
        work();
    }  // the pool joins here
}

#else

void Loop(std::size_t n, const std::function<void(std::size_t)>& body, Failure& failure) {
    std::vector<std::size_t> items(n);
    std::iota(items.begin(), items.end(), std::size_t{0});
    std::for_each(std::execution::par, items.begin(), items.end(),
                  [&](std::size_t i) { RunOne(body, i, failure); });
}

#endif

}  // namespace

void ParallelFor(std::size_t n, const std::function<void(std::size_t)>& body) {
    if (n == 0) return;
    Failure failure;
    try {
        Loop(n, body, failure);
    } catch (...) {
        // The loop itself could not be set up (memory for its items): report it like a body's.
        failure.Record();
    }
    failure.Rethrow();
}

#if MERROVAN_PARALLEL_THREADS

const char* ParallelBackend() {
    return "threads";
}

struct ParallelismLimit::State {
    std::size_t previous = 0;
};

ParallelismLimit::ParallelismLimit(std::size_t threads)
    : state_(new State{gLimit.exchange(std::max<std::size_t>(threads, 1))}) {}

ParallelismLimit::~ParallelismLimit() {
    gLimit.store(state_->previous);
    delete state_;
}

#else

const char* ParallelBackend() {
    return "tbb";
}

struct ParallelismLimit::State {
    tbb::global_control control;
};

ParallelismLimit::ParallelismLimit(std::size_t threads)
    : state_(new State{
          {tbb::global_control::max_allowed_parallelism, std::max<std::size_t>(threads, 1)}}) {}

ParallelismLimit::~ParallelismLimit() {
    delete state_;
}

#endif

ParallelFaultForTest::ParallelFaultForTest(std::function<void(std::size_t)> fault)
    : fault_(std::move(fault)) {
    gFault.store(&fault_, std::memory_order_release);
}

ParallelFaultForTest::~ParallelFaultForTest() {
    gFault.store(nullptr, std::memory_order_release);
}

std::string ExceptionText(const std::exception_ptr& e) {
    try {
        if (e) std::rethrow_exception(e);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& x) {
        return x.what();
    } catch (...) {
    }
    return "an unknown error";
}

}  // namespace mv
