// The worker pool behind tvl render --jobs and tvl gallery: every worker's
// output reaches the parent whole, and a worker that fails or dies is told
// apart from one that finished, keeping what it wrote before.
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "worker_pool.h"

#include <gtest/gtest.h>

namespace {

TEST(WorkerPool, CollectsOutputLargerThanAPipeFromEveryWorker)
{
    // Far beyond a pipe's buffer: the parent must read all pipes while workers write.
    const std::size_t lines = 40000;
    const worker_pool_result pool = run_worker_pool(3, [&](int k, std::FILE *out) {
        for (std::size_t i = 0; i < lines; ++i)
            std::fprintf(out, "worker %d line %zu\n", k, i);
        return true;
    });
    EXPECT_TRUE(pool.error.empty());
    ASSERT_EQ(pool.workers.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const worker_report &w = pool.workers[static_cast<std::size_t>(k)];
        EXPECT_TRUE(w.clean);
        EXPECT_EQ(w.output.rfind("worker " + std::to_string(k) + " line 0\n", 0), 0u);
        EXPECT_NE(w.output.find("line " + std::to_string(lines - 1) + "\n"), std::string::npos);
    }
}

TEST(WorkerPool, FailedThrowingAndKilledWorkersAreNotClean)
{
    const worker_pool_result pool = run_worker_pool(4, [](int k, std::FILE *out) -> bool {
        std::fputs("started\n", out);
        std::fflush(out);
        switch (k) {
        case 1:
            return false;
        case 2:
            throw std::runtime_error("lost");
        case 3:
            std::raise(SIGKILL);
        }
        return true;
    });
    ASSERT_EQ(pool.workers.size(), 4u);
    EXPECT_TRUE(pool.workers[0].clean);
    for (std::size_t k = 1; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_FALSE(pool.workers[k].clean);
        EXPECT_EQ(pool.workers[k].output, "started\n"); // what it wrote before is kept
    }
}

} // namespace
