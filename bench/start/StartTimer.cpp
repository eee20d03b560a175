// Times whole program starts: runs a command N times, one after another,
// and prints the minimum and median of the wall-clock time and of the
// processor time (user + system) each run took. The processor time counts
// what the program itself did, however busy the machine is.
//
//   start_timer RUNS LABEL COMMAND [ARGUMENTS...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct TRun {
    double WallMs = 0, CpuMs = 0;
};

double Milliseconds(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// One run with its output thrown away; exits the timer when it fails, since
// the time of a failing run says nothing.
TRun RunOnce(char** command) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int error = posix_spawn(&child, command[0], &actions, nullptr, command, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        std::fprintf(stderr, "start_timer: cannot start %s\n", command[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "start_timer: %s failed\n", command[0]);
        std::exit(1);
    }
    const auto end = std::chrono::steady_clock::now();
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime)};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc >= 4 ? std::atoi(argv[1]) : 0;
    if (runs < 1) {
        std::fprintf(stderr, "usage: start_timer RUNS LABEL COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    std::vector<double> wall, cpu;
    RunOnce(argv + 3);  // the first run fills the page cache
    for (int i = 0; i < runs; ++i) {
        const TRun run = RunOnce(argv + 3);
        wall.push_back(run.WallMs);
        cpu.push_back(run.CpuMs);
    }
    std::printf("%-24s wall min %6.1f ms median %6.1f ms   cpu min %6.1f ms median %6.1f ms\n", argv[2],
                *std::min_element(wall.begin(), wall.end()), Median(wall), *std::min_element(cpu.begin(), cpu.end()),
                Median(cpu));
    return 0;
}
