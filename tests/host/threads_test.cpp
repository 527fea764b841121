// The thread count the evaluation may use, from KIVO_THREADS or the runner.
#include "core/Messages.h"
#include "core/Threads.h"
#include <cstdlib>
#include <gtest/gtest.h>

TEST(ThreadsTest, TheEnvironmentLimitsTheThreadsAndABadValueIsSaidAndIgnored) {
    const int all = khost::threadCount();
    setenv("KIVO_THREADS", "1", 1);
    EXPECT_TRUE(khost::applyThreadCountFromEnvironment());
    EXPECT_EQ(khost::threadCount(), 1);

    khost::Messages::instance().clear();
    setenv("KIVO_THREADS", "two", 1);
    EXPECT_FALSE(khost::applyThreadCountFromEnvironment());
    EXPECT_EQ(khost::Messages::instance().count(
                  khost::Message::Warning,
                  "KIVO_THREADS must be a positive number of threads, not \"two\"; all threads are used."),
              1u);
    EXPECT_EQ(khost::threadCount(), all);
    unsetenv("KIVO_THREADS");
    EXPECT_FALSE(khost::setThreadCount(-1));
}
