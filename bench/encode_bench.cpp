// CPU time of encoding long Code 128 texts (data to module pattern and
// display text, no drawing), and how it grows when the text doubles.
//
//   bench_encode [LENGTH]      (default 100000)
//
// Prints one line per text shape, then the summary fields
//   encode_ms: the slowest shape's first encoding in a new process, where
//     every page of memory is new, as in a run of the program;
//   growth: the largest ratio of the time at 2 x LENGTH to the time at LENGTH,
//     each the fastest of repeated encodings with the memory kept by the
//     process, so that the ratio is the encoder's and not the kernel's page
//     clearing (which has steps where the allocator's thresholds lie).
// CPU time is the process's own clock, which other load barely moves.
#include "symbologies/Code128.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <malloc.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

std::string Repeat(const std::string& unit, std::size_t length)
{
    std::string text;
    text.reserve(length);
    while (text.size() < length)
        text += unit;
    text.resize(length);
    return text;
}

// One encoding by a new object, as the program makes it; negative when the
// text did not encode.
double EncodeOnce(const std::string& text)
{
    CBarcodeSettings settings;
    settings.m_Type = 7;
    settings.m_Data = text;
    CBarcodeSymCode128 sym(settings);
    const double start = CpuMs();
    sym.Encode();
    const double ms = CpuMs() - start;
    return sym.m_Valid && !sym.m_Pattern.empty() ? ms : -1;
}

// The first encoding of a new process; negative on failure.
double ColdEncode(const std::string& unit, std::size_t length)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const double ms = EncodeOnce(Repeat(unit, length));
        const bool sent = write(fds[1], &ms, sizeof ms) == static_cast<ssize_t>(sizeof ms);
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    double ms = -1;
    if (pid < 0 || read(fds[0], &ms, sizeof ms) != static_cast<ssize_t>(sizeof ms))
        ms = -1;
    close(fds[0]);
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    return ms;
}

// Fastest of repeated encodings of the text at length and at twice the
// length, taken in turn so that both see the same machine; false on failure.
bool WarmEncode(const std::string& unit, std::size_t length, double& single, double& twice)
{
    const std::string texts[2] = {Repeat(unit, length), Repeat(unit, 2 * length)};
    double best[2] = {1e30, 1e30};
    for (int run = 0; run < 41; ++run) {
        for (int k = 0; k < 2; ++k) {
            const double ms = EncodeOnce(texts[k]);
            if (ms < 0)
                return false;
            best[k] = std::min(best[k], ms);
        }
    }
    single = best[0];
    twice = best[1];
    return single > 0;
}

struct Shape {
    const char* name;
    const char* unit; // repeated to the length
};

// Digits (code set C throughout), text (set B), and text with short digit
// runs, which changes code set every few characters.
constexpr Shape Shapes[] = {
    {"digits", "0123456789"},
    {"text", "Kavren label, lot A-"},
    {"switching", "ab1234cd5678ef9"},
};

} // namespace

int main(int argc, char* argv[])
{
    const long length = argc > 1 ? std::atol(argv[1]) : 100000;
    if (length < 1) {
        std::fprintf(stderr, "usage: bench_encode [LENGTH]\n");
        return 2;
    }
    const auto n = static_cast<std::size_t>(length);
    double slowest = 0;
    double growth = 0;
    for (const Shape& shape : Shapes) {
        const double cold = ColdEncode(shape.unit, n);
        if (cold < 0) {
            std::fprintf(stderr, "bench_encode: the %s text did not encode\n", shape.name);
            return 2;
        }
        slowest = std::max(slowest, cold);
    }
    // From here on freed memory stays with the process.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    for (const Shape& shape : Shapes) {
        double single = 0;
        double twice = 0;
        if (!WarmEncode(shape.unit, n, single, twice)) {
            std::fprintf(stderr, "bench_encode: the %s text did not encode\n", shape.name);
            return 2;
        }
        std::printf("%-10s %ld chars %.3f ms (first in a process %.3f ms), %ld chars %.3f ms\n", shape.name,
                    length, single, ColdEncode(shape.unit, n), 2 * length, twice);
        growth = std::max(growth, twice / single);
    }
    std::printf("encode_ms=%.4f growth=%.4f\n", slowest, growth);
    return 0;
}
