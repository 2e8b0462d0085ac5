// The library inside a host program that sets its own locale (one with a
// decimal comma), its own SIGTERM handler and its own threads: every render
// gives the bytes a single-threaded render under the C locale gives, and the
// host's settings are as it left them. Run under ThreadSanitizer in CI.
#include "cli/OptionTable.h"
#include "kavren/kavren.h"
#include "tests/support/LibrarySamples.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using kavren::Options;
using kavren::Symbology;

constexpr int kThreads = 4;
constexpr std::int64_t kTimestamp = 1767225600; // 2026-01-01 00:00:00 UTC

// The decimal-comma locales a host may run under; tools/install-deps --test
// generates de_DE.UTF-8.
const char* const kCommaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};

// Every symbology, each in five sets of options: the defaults; rotated with
// colours, centred text and a fractional ratio; a fixed image with a
// fractional x-dimension that the fixed size overrides; SVG and transparent
// EPS at 0.33 mm modules.
std::vector<Options> Jobs()
{
    std::vector<Options> jobs;
    for (std::size_t type = 0; type < std::size(kt::kLibrarySampleData); ++type) {
        Options o;
        o.symbology = static_cast<Symbology>(type);
        o.data = kt::kLibrarySampleData[type];
        o.timestamp = kTimestamp;
        jobs.push_back(o);
        o.orientation = kavren::Orientation::Deg90;
        o.textAlign = kavren::TextAlign::Centre;
        o.background = kavren::Rgb::FromHex(0xffffc0);
        o.textColour = kavren::Rgb::FromHex(0x0000a0);
        o.wideToNarrow = 2.5F;
        o.xDimension = 2.5;
        jobs.push_back(o);
        o.orientation = kavren::Orientation::Deg180;
        o.width = 420;
        o.height = 130;
        o.fontHeight = 11;
        o.barReduction = 15;
        jobs.push_back(o);
        // Vector documents at an exact physical module: their numbers carry
        // fractions, which a decimal-comma locale must not touch.
        o.width = 0;
        o.height = 0;
        o.unit = kavren::Unit::Millimetres;
        o.dpi = 600;
        o.xDimension = 0.33;
        o.format = kavren::Format::Svg;
        jobs.push_back(o);
        o.format = kavren::Format::Eps;
        o.transparent = true;
        jobs.push_back(o);
    }
    return jobs;
}

struct HostState {
    std::string locale;
    void (*termHandler)(int) = nullptr;
    mode_t umask = 0;
    std::string cwd;
};

void OnTerm(int)
{
}

HostState Capture()
{
    HostState s;
    s.locale = std::setlocale(LC_ALL, nullptr);
    struct sigaction action {};
    sigaction(SIGTERM, nullptr, &action);
    s.termHandler = action.sa_handler;
    s.umask = ::umask(022);
    ::umask(s.umask);
    char dir[4096] = {};
    s.cwd = getcwd(dir, sizeof dir) ? dir : "";
    return s;
}

const char* SetCommaLocale()
{
    for (const char* name : kCommaLocales)
        if (std::setlocale(LC_ALL, name))
            return name;
    return nullptr;
}

// Restores the C locale and the default SIGTERM action when a test ends.
struct HostFixture : testing::Test {
    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        std::signal(SIGTERM, SIG_DFL);
    }
};

TEST_F(HostFixture, LocaleSignalHandlerAndThreadsChangeNoByte)
{
    // The reference: one thread, the C locale.
    ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    const std::vector<Options> jobs = Jobs();
    std::vector<std::vector<std::uint8_t>> reference;
    for (const Options& job : jobs) {
        const kavren::Result result = kavren::Render(job);
        ASSERT_TRUE(result) << result.message << " for symbology " << static_cast<int>(job.symbology);
        reference.push_back(result.bytes);
    }

    // The host's own settings.
    struct sigaction term {};
    term.sa_handler = OnTerm;
    sigemptyset(&term.sa_mask);
    ASSERT_EQ(sigaction(SIGTERM, &term, nullptr), 0);
    const char* locale = SetCommaLocale();
    ASSERT_NE(locale, nullptr) << "no decimal-comma locale; tools/install-deps --test generates de_DE.UTF-8";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const HostState before = Capture();

    // Each thread renders every job, starting at its own place, so different
    // symbologies and options render at the same moment.
    std::atomic<int> differing{0};
    std::atomic<int> errnoChanged{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (std::size_t k = 0; k < jobs.size(); ++k) {
                const std::size_t i =
                    (k + static_cast<std::size_t>(t) * jobs.size() / kThreads) % jobs.size();
                errno = EDOM;
                const kavren::Result result = kavren::Render(jobs[i]);
                if (errno != EDOM)
                    ++errnoChanged;
                if (!result || result.bytes != reference[i])
                    ++differing;
            }
        });
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(differing.load(), 0);
    EXPECT_EQ(errnoChanged.load(), 0);
    const HostState after = Capture();
    EXPECT_EQ(after.locale, before.locale);
    EXPECT_EQ(after.termHandler, &OnTerm);
    EXPECT_EQ(after.umask, before.umask);
    EXPECT_EQ(after.cwd, before.cwd);
}

// The command line inside a host: "2.5" is two and a half whatever the
// host's locale says about the decimal separator.
TEST_F(HostFixture, OptionNumbersReadWithAPointUnderACommaLocale)
{
    ASSERT_NE(SetCommaLocale(), nullptr);
    struct Case {
        int letter;
        const char* text;
        double xDimension;
        float wideToNarrow;
    };
    const Case cases[] = {
        {'n', "2.5", 2.5, 2.5F},   {'n', "+3.75e0", 3.75, 2.5F}, // sign and exponent
        {'n', "2,5", 2.0, 2.5F},                                 // a comma ends the number, as it always did
        {'i', "2.75", 2.0, 2.75F}, {'i', " 3.5x", 2.0, 3.5F},    // leading blanks, trailing text
    };
    for (const Case& c : cases) {
        RunOptions options;
        ApplyOption(*FindOption(c.letter), c.text, options);
        EXPECT_EQ(options.xDimension, c.xDimension) << c.text;
        EXPECT_EQ(options.wideToNarrow, c.wideToNarrow) << c.text;
    }
}

} // namespace
