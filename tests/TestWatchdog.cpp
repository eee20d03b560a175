// Every test of a program must end within a time limit. A test that blocks
// (a modal window nobody answers, a child process or pipe that never
// finishes) is stopped with a message that names it, within its limit
// rather than after the test runner's own, much longer, timeout.
//
// The limit in seconds is TAL_TEST_WATCHDOG_SECONDS, given when the test
// program is built; the environment variable of the same name replaces it
// for one run (0 turns the watchdog off, for a debugger).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#ifndef TAL_TEST_WATCHDOG_SECONDS
#define TAL_TEST_WATCHDOG_SECONDS 300
#endif

namespace {

int WatchdogSeconds() {
    if (const char* value = std::getenv("TAL_TEST_WATCHDOG_SECONDS")) return std::atoi(value);
    return TAL_TEST_WATCHDOG_SECONDS;
}

// One thread per running test: it waits for the test's end or its limit.
class TTestWatchdog final : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo& test) override {
        const int seconds = WatchdogSeconds();
        if (seconds <= 0) return;
        FEnded = false;
        const std::string name = std::string(test.test_suite_name()) + "." + test.name();
        FThread = std::thread([this, name, seconds] {
            std::unique_lock lock(FMutex);
            if (FWake.wait_for(lock, std::chrono::seconds(seconds), [this] { return FEnded; })) return;
            std::fprintf(stderr, "\nwatchdog: %s did not finish within %d s; the test program is stopped.\n",
                         name.c_str(), seconds);
            std::fflush(stderr);
            std::abort();
        });
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (!FThread.joinable()) return;
        {
            std::lock_guard lock(FMutex);
            FEnded = true;
        }
        FWake.notify_all();
        FThread.join();
    }

private:
    std::mutex FMutex;
    std::condition_variable FWake;
    bool FEnded = false;
    std::thread FThread;
};

// Installed before main runs the tests; Google Test owns the listener.
[[maybe_unused]] const bool WatchdogInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(std::make_unique<TTestWatchdog>().release());
    return true;
}();

}  // namespace
