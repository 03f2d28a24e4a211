#include "tools/work_pool.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#if !defined(__EMSCRIPTEN__) || defined(__EMSCRIPTEN_PTHREADS__)
#include <thread>
#define VOSTRA_HAVE_THREADS 1
#endif
#ifndef _WIN32
#include <unistd.h>
#endif

int workerCount()
{
    if (const char* env = std::getenv("VOSTRA_JOBS")) {
        const int n = std::atoi(env);
        if (n >= 1) return n > 256 ? 256 : n;
    }
#ifdef VOSTRA_HAVE_THREADS
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
#else
    return 1;
#endif
}

FILE* progressTerminal()
{
#ifndef _WIN32
    return isatty(fileno(stderr)) ? stderr : nullptr;
#else
    return nullptr;
#endif
}

void runJobs(size_t count, const std::function<bool(size_t)>& job, const Progress& progress)
{
    std::atomic<size_t> next{0}, done{0}, unproven{0};
    std::mutex printing;
    auto report = [&] {
        if (!progress.out) return;
        std::lock_guard<std::mutex> lock(printing);
        std::fprintf(progress.out, "\r%zu/%zu %s, %zu unproven ", done.load(), count, progress.what, unproven.load());
        std::fflush(progress.out);
    };
    auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < count;) {
            if (job(i)) ++unproven;
            ++done;
            report();
        }
    };
    size_t threads = static_cast<size_t>(workerCount());
    if (threads > count) threads = count;
#ifdef VOSTRA_HAVE_THREADS
    if (threads > 1) {
        std::vector<std::thread> pool;
        for (size_t t = 0; t < threads; ++t) pool.emplace_back(work);
        for (std::thread& t : pool) t.join();
    } else {
        work();
    }
#else
    work();
#endif
    if (progress.out && count > 0) {
        std::fputc('\n', progress.out);
        std::fflush(progress.out);
    }
}
