// Times two commands against each other, run alternately so that both see
// the same machine load, and prints the medians and the ratio A / B.
//
//   bench_pair PAIRS -- A-COMMAND ARGS... -- B-COMMAND ARGS...
//
// Each pair runs A then B, or B then A on odd pairs, so drift in the machine's
// speed does not favour either side. Output, one line of name=value fields:
//   a_ms b_ms (median wall times), ratio (median of the per-pair ratios),
//   a_cpu_ms b_cpu_ms (median user+system), cpu_ratio (median of the
//   per-pair ratios of CPU time), a_rss_kib b_rss_kib (largest
//   peak resident set the kernel reported for any run, from wait4).
// Exits 2 when a command cannot be started or ends with a non-zero status.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
    long rssKib = 0;
};

double Now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Ms(const timeval& tv)
{
    return static_cast<double>(tv.tv_sec) * 1e3 + static_cast<double>(tv.tv_usec) / 1e3;
}

bool RunOnce(const std::vector<char*>& argv, Sample& sample)
{
    const double start = Now();
    pid_t pid = 0;
    if (const int error = posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ)) {
        std::fprintf(stderr, "bench_pair: cannot start %s: %s\n", argv[0], std::strerror(error));
        return false;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            return false;
    }
    sample.wallMs = Now() - start;
    sample.cpuMs = Ms(usage.ru_utime) + Ms(usage.ru_stime);
    sample.rssKib = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_pair: %s ended with status %d\n", argv[0], status);
        return false;
    }
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    // Split the arguments at the two "--" markers.
    std::vector<char*> commands[2];
    int side = -1;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0 && side < 1) {
            ++side;
            continue;
        }
        if (side >= 0)
            commands[side].push_back(argv[i]);
    }
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 0;
    if (pairs < 1 || commands[0].empty() || commands[1].empty()) {
        std::fprintf(stderr, "usage: bench_pair PAIRS -- A-COMMAND ARGS... -- B-COMMAND ARGS...\n");
        return 2;
    }
    commands[0].push_back(nullptr);
    commands[1].push_back(nullptr);

    // One untimed run each fills the page cache.
    Sample warm;
    if (!RunOnce(commands[0], warm) || !RunOnce(commands[1], warm))
        return 2;

    std::vector<double> wall[2], cpu[2], ratios, cpuRatios;
    long rss[2] = {0, 0};
    for (int p = 0; p < pairs; ++p) {
        Sample s[2];
        for (int k = 0; k < 2; ++k) {
            const int which = (p % 2) ? 1 - k : k;
            if (!RunOnce(commands[which], s[which]))
                return 2;
        }
        for (int k = 0; k < 2; ++k) {
            wall[k].push_back(s[k].wallMs);
            cpu[k].push_back(s[k].cpuMs);
            rss[k] = std::max(rss[k], s[k].rssKib);
        }
        ratios.push_back(s[0].wallMs / s[1].wallMs);
        cpuRatios.push_back(s[0].cpuMs / std::max(s[1].cpuMs, 0.001));
    }
    std::printf("a_ms=%.4f b_ms=%.4f ratio=%.4f a_cpu_ms=%.4f b_cpu_ms=%.4f cpu_ratio=%.4f a_rss_kib=%ld "
                "b_rss_kib=%ld\n",
                Median(wall[0]), Median(wall[1]), Median(ratios), Median(cpu[0]), Median(cpu[1]),
                Median(cpuRatios), rss[0], rss[1]);
    return 0;
}
