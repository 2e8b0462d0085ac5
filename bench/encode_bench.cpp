// CPU time of encoding long Code 128 texts (data to module pattern and
// display text, no drawing), and how it grows when the text doubles.
//
//   bench_encode [LENGTH]      (default 100000)
//
// Prints one line per text shape, then the summary fields
//   encode_ms (slowest shape at LENGTH) and growth (largest ratio of the time
//   at 2 x LENGTH to the time at LENGTH).
// Times are the fastest of several runs of the process's CPU clock, which
// other load on the machine barely moves.
#include "symbologies/Code128.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

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

// Fastest of several encodings of one text; false when it did not encode.
bool TimeEncode(const std::string& text, double& ms)
{
    CBarcodeSettings settings;
    settings.m_Type = 7;
    settings.m_Data = text;
    CBarcodeSymCode128 sym(settings);
    ms = 1e30;
    for (int run = 0; run < 15; ++run) {
        const double start = CpuMs();
        const bool encoded = sym.Encode();
        ms = std::min(ms, CpuMs() - start);
        if (!encoded || sym.m_Pattern.empty())
            return false;
    }
    return true;
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
    double slowest = 0;
    double growth = 0;
    for (const Shape& shape : Shapes) {
        double single = 0;
        double twice = 0;
        if (!TimeEncode(Repeat(shape.unit, static_cast<std::size_t>(length)), single) ||
            !TimeEncode(Repeat(shape.unit, 2 * static_cast<std::size_t>(length)), twice)) {
            std::fprintf(stderr, "bench_encode: the %s text did not encode\n", shape.name);
            return 2;
        }
        std::printf("%-10s %ld chars %.3f ms, %ld chars %.3f ms\n", shape.name, length, single, 2 * length,
                    twice);
        slowest = std::max(slowest, single);
        growth = std::max(growth, twice / single);
    }
    std::printf("encode_ms=%.4f growth=%.4f\n", slowest, growth);
    return 0;
}
