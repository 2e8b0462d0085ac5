// A host program of the library that renders over and over: every
// symbology in every format, round after round, and reports its resident
// memory after the first tenth of the renders and at the end. A render that
// kept anything would show as growth; valgrind runs it for leaks and errors.
//
//   bench_library_soak [RENDERS]     (default 10000; at least one round)
//   -> renders=N rss_tenth_kib=A rss_end_kib=B growth_kib=B-A
#include "kavren/kavren.h"
#include "tests/support/LibrarySamples.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

const kavren::Format kFormats[] = {kavren::Format::Png, kavren::Format::Svg, kavren::Format::Eps};

long ResidentKiB()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<kavren::Options> jobs;
    for (const kavren::Format format : kFormats)
        for (std::size_t type = 0; type < std::size(kt::kLibrarySampleData); ++type) {
            kavren::Options o;
            o.symbology = static_cast<kavren::Symbology>(type);
            o.data = kt::kLibrarySampleData[type];
            o.format = format;
            o.orientation = type % 2 ? kavren::Orientation::Deg90 : kavren::Orientation::Deg0;
            jobs.push_back(o);
        }
    const long renders =
        std::max<long>(argc > 1 ? std::atol(argv[1]) : 10000, static_cast<long>(jobs.size()));

    long tenth = 0;
    for (long i = 0; i < renders; ++i) {
        const kavren::Options& job = jobs[static_cast<std::size_t>(i) % jobs.size()];
        if (const kavren::Result result = kavren::Render(job); !result) {
            std::fprintf(stderr, "symbology %d: %s\n", static_cast<int>(job.symbology),
                         result.message.data());
            return 1;
        }
        if (i + 1 == renders / 10)
            tenth = ResidentKiB();
    }
    const long end = ResidentKiB();
    std::printf("renders=%ld rss_tenth_kib=%ld rss_end_kib=%ld growth_kib=%ld\n", renders, tenth, end,
                end - tenth);
    return 0;
}
