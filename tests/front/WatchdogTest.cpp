// The per-test time limit of the test programs: a test that blocks stops
// its program with a message that names it, within the limit.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// Blocks far longer than any limit; run only by the test below, in a
// program of its own.
TEST(Watchdog, DISABLED_BlocksForAMinute) { std::this_thread::sleep_for(std::chrono::minutes(1)); }

TEST(Watchdog, ABlockingTestIsStoppedWithItsNameWithinTheLimit) {
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], STDERR_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::setenv("TAL_TEST_WATCHDOG_SECONDS", "1", 1);
        ::execl("/proc/self/exe", "watchdog-child", "--gtest_also_run_disabled_tests",
                "--gtest_filter=Watchdog.DISABLED_BlocksForAMinute", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(output[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    ::close(output[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) << status;
    EXPECT_NE(text.find("watchdog: Watchdog.DISABLED_BlocksForAMinute did not finish within 1 s"), std::string::npos)
        << text;
}

}  // namespace
