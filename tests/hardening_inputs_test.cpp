// Every input the program takes, pushed to its limits through the binary:
// extreme option values, empty and maximal data, every byte value in the data
// of every symbology, and output paths that cannot be written. Each run must
// end with the right code and a clear message, or with a picture that reads
// back; never a signal, a giant allocation, or a file made or cut by a run
// that failed.
#include "symbologies/Symbologies.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

// Linux limit for one argument: 32 pages including the terminating NUL.
constexpr size_t kLongestArgument = 131071;
// No run here needs more than a few megabytes of raster.
constexpr long kPeakRssLimitKb = 256 * 1024;

std::string MessageFor(int code)
{
    switch (code) {
    case 1: return "Error: Invalid argument.";
    case 3: return "Error: Cant initialize PNG creator.";
    case 5: return "Error: Invalid barcode size.";
    case 6: return "Error: Invalid barcode text.";
    case 11: return "Error: Output file name cant be empty.";
    case 12: return "Error: Cant open output file.";
    case 13: return "Error: Cant close output file.";
    default: return "(no message expected)";
    }
}

// The message as a line of its own in the failure's text.
std::string MessageLine(int code)
{
    return std::string("\n").append(MessageFor(code)).append("\n");
}

long PeakRssKb(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

// The largest child so far stayed below the limit. A spawned child starts
// out with this process's peak (it shares our memory until exec), so only a
// child peak above our own is the child's doing.
void ExpectNoGiantAllocation()
{
    const long child = PeakRssKb(RUSAGE_CHILDREN);
    if (child > PeakRssKb(RUSAGE_SELF)) {
        EXPECT_LT(child, kPeakRssLimitKb) << "a run needed a giant allocation";
    }
}

// A finished run ended as expected: status 0 with a PNG that reads back and
// nothing printed, or the failure code with the banner and its message and
// no output file.
void ExpectOutcome(const kt::RunResult& r, int expected, const std::string& out)
{
    ASSERT_LT(r.status, 128) << "killed by signal " << r.status - 128 << "\n" << r.err;
    EXPECT_EQ(r.status, expected) << r.err;
    if (r.status == 0) {
        kt::Raster raster;
        EXPECT_TRUE(kt::ReadPng(out, raster)) << "status 0 but no readable picture";
        // Nothing but what the reading changed of the values.
        for (std::size_t at = 0; at < r.err.size(); at = r.err.find('\n', at) + 1)
            EXPECT_EQ(r.err.compare(at, 9, "Warning: "), 0) << r.err;
    } else {
        EXPECT_FALSE(kt::FileExists(out)) << "a failed run left " << out;
        EXPECT_EQ(r.err.rfind("kavren Version 1.5", 0), 0U) << r.err;
        EXPECT_NE(r.err.find(MessageLine(r.status)), std::string::npos) << r.err;
    }
    ExpectNoGiantAllocation();
    std::filesystem::remove(out);
}

std::vector<std::string> With(std::vector<std::string> args, const std::string& out)
{
    args.push_back(out);
    return args;
}

struct OptionCase {
    std::vector<std::string> args; // before the file name
    int status;
    const char* why;
};

// Numbers at and beyond every limit, for each numeric option.
const std::vector<OptionCase> kOptionCases = {
    {{"-x", "2147483647"}, 3, "width far above 1,000,000"},
    {{"-x", "99999999999999999999"}, 3, "saturates instead of wrapping to a small width"},
    {{"-x", "1000001", "-y", "1", "-s", "0"}, 3, "one pixel above the width limit"},
    {{"-x", "1000000", "-y", "1", "-s", "0"}, 0, "the widest image there may be"},
    {{"-x", "-2147483648"}, 0, "ignored: x-dimension mode"},
    {{"-x", "-1"}, 0, "ignored: x-dimension mode"},
    {{"-y", "2147483647"}, 3, "height far above 1,000,000"},
    {{"-o", "90", "-y", "1000001"}, 3, "vertical reading: fixed height above the limit"},
    {{"-x", "357914", "-y", "1000"}, 3, "raster just above 1 GiB, both sides within limits"},
    {{"-y", "-99999999999"}, 0, "ignored"},
    {{"-n", "1e308"}, 1, "module width saturates: no length"},
    {{"-n", "30000000"}, 3, "length beyond int32: too long an image, as one past the side limit"},
    {{"-n", "12000"}, 3, "length above 1,000,000"},
    {{"-o", "270", "-n", "12000"}, 3, "vertical reading: height above 1,000,000"},
    {{"-n", "0.4"}, 1, "rounds to 0 pixels"},
    {{"-n", "-1e308"}, 0, "ignored"},
    {{"-n", "nan"}, 0, "not a decimal number: ignored"},
    {{"-n", "inf"}, 0, "not a decimal number: ignored"},
    {{"-t", "2", "-i", "3e38"}, 3, "wide element beyond int32: too long an image"},
    {{"-t", "2", "-x", "400", "-i", "3e38"}, 5, "wide element cannot fit a fixed image"},
    {{"-t", "2", "-i", "1e308"}, 0, "no float holds it: ignored"},
    {{"-t", "2", "-i", "-2147483648"}, 0, "ignored"},
    {{"-t", "2", "-j", "2147483647"}, 0, "bar reduction out of range: ignored"},
    {{"-t", "2", "-j", "-2147483648"}, 0, "bar reduction out of range: ignored"},
    {{"-t", "2", "-j", "99", "-n", "3"}, 0, "largest reduction"},
    {{"-t", "2", "-j", "-99", "-n", "3"}, 0, "largest widening"},
    {{"-m", "2147483647"}, 5, "text band taller than any image"},
    {{"-o", "90", "-m", "1000000"}, 5, "text band wider than the image"},
    {{"-m", "-2147483648"}, 0, "ignored"},
    {{"-a", "2147483647"}, 0, "charset out of range: ignored"},
    {{"-a", "-2147483648"}, 0, "charset out of range: ignored"},
    {{"-a", "4"}, 6, "no such Code 128 set: no barless picture"},
    {{"-t", "2", "-a", "4"}, 0, "charset means nothing to Code 39"},
};

TEST(HardeningOptions, ExtremeNumbersEndCleanly)
{
    const std::string out = kt::ScratchPath("option.png");
    for (const auto& c : kOptionCases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + ": " + c.why);
        ExpectOutcome(kt::RunKavren(With(c.args, out)), c.status, out);
    }
}

TEST(HardeningOptions, WidestImageHasTheAskedSize)
{
    const std::string out = kt::ScratchPath("widest.png");
    ASSERT_EQ(kt::RunKavren({"-x", "1000000", "-y", "1", "-s", "0", out}).status, 0);
    kt::Raster raster;
    ASSERT_TRUE(kt::ReadPng(out, raster));
    EXPECT_EQ(raster.width, 1000000);
    EXPECT_EQ(raster.height, 1);
}

// A wide element no wider than a narrow one makes two-width symbols
// unreadable; such a ratio must not end in a picture no scanner reads.
TEST(HardeningOptions, WideToNarrowBelowTwoGivesNoUnreadableBarcode)
{
    const std::string out = kt::ScratchPath("ratio.png");
    for (const char* ratio : {"1", "0.5", "0.0001"}) {
        SCOPED_TRACE(std::string("-i ") + ratio);
        const auto r = kt::RunKavren({"-t", "2", "-d", "CODE39", "-i", ratio, out});
        ASSERT_LT(r.status, 128);
        if (r.status == 0) {
            const auto read = kt::Zbar(out);
            EXPECT_EQ(read, std::vector<std::string>{"CODE-39:CODE39W"}) << "status 0, unreadable barcode";
        }
        std::filesystem::remove(out);
    }
}

TEST(HardeningData, EmptyTextIsInvalidForEverySymbology)
{
    const std::string out = kt::ScratchPath("empty.png");
    for (const SymbologyRow& row : Symbologies()) {
        SCOPED_TRACE(row.name);
        ExpectOutcome(kt::RunKavren({"-t", std::to_string(row.type), "-d", "", out}), 6, out);
    }
}

// The longest single argument Linux passes: too long to draw, too long for
// the fixed symbologies, but never a crash or a slow run.
TEST(HardeningData, LongestArgumentEndsCleanlyForEverySymbology)
{
    const std::string out = kt::ScratchPath("long.png");
    const std::vector<std::string> texts = {std::string(kLongestArgument, '1'),
                                            std::string(kLongestArgument, 'A'),
                                            std::string(kLongestArgument, '~')};
    for (const SymbologyRow& row : Symbologies()) {
        const std::string type = std::to_string(row.type);
        for (const auto& text : texts) {
            for (const char* width : {"", "500"}) {
                SCOPED_TRACE("-t " + type + " -d " + text.substr(0, 3) + "... -x " + width);
                std::vector<std::string> args = {"-t", type, "-d", text};
                if (*width)
                    args.insert(args.end(), {"-x", width});
                const auto r = kt::RunKavren(With(args, out));
                ASSERT_LT(r.status, 128) << r.err;
                EXPECT_TRUE(r.status == 3 || r.status == 5 || r.status == 6) << r.status << " " << r.err;
                ExpectOutcome(r, r.status, out);
            }
        }
    }
}

class HardeningEveryByte : public testing::TestWithParam<kt::SymbologySample> {};

// Bytes 1..255 in the middle of the data: a picture (always for digits and
// the symbology's own characters) or "invalid text"; nothing else.
TEST_P(HardeningEveryByte, GivesAPictureOrInvalidText)
{
    const kt::SymbologySample& frame = GetParam();
    const int type = frame.type;
    const std::string accepted = std::string("0123456789") + frame.accepted;
    const std::string out = kt::ScratchPath("byte" + std::to_string(type) + ".png");
    for (int byte = 1; byte <= 255; ++byte) {
        const char c = static_cast<char>(byte);
        SCOPED_TRACE("-t " + std::to_string(type) + ", byte " + std::to_string(byte));
        const std::string data = frame.before + std::string(1, c) + frame.after;
        const auto r = kt::RunKavren({"-t", std::to_string(type), "-d", data, out});
        ASSERT_LT(r.status, 128) << "killed by signal " << r.status - 128;
        const bool mustDraw = accepted.find(c) != std::string::npos;
        ExpectOutcome(r, mustDraw || r.status == 0 ? 0 : 6, out);
    }
}

INSTANTIATE_TEST_SUITE_P(AllSymbologies, HardeningEveryByte, testing::ValuesIn(kt::SymbologySamples()),
                         [](const testing::TestParamInfo<kt::SymbologySample>& info) {
                             return std::to_string(info.param.type);
                         });

struct PathCase {
    std::string path;
    int status;
    const char* why;
};

TEST(HardeningOutput, UnwritablePathsFailWithCode12AndCreateNothing)
{
    const std::string plain = kt::ScratchPath("plain-file");
    kt::WriteFile(plain, "x");
    const std::vector<PathCase> cases = {
        {kt::ScratchPath(""), 12, "the scratch directory itself"},
        {kt::ScratchPath("missing-dir/o.png"), 12, "directory does not exist"},
        {plain + "/o.png", 12, "a file used as a directory"},
        {kt::ScratchPath(std::string(300, 'n') + ".png"), 12, "name longer than NAME_MAX"},
        {"", 12, "empty file name"},
        {"/proc/kavren-hardening.png", 12, "a file system that takes no new files"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 80) + ": " + c.why);
        const auto r = kt::RunKavren({"-d", "ABC", c.path});
        ASSERT_LT(r.status, 128);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(MessageLine(c.status)), std::string::npos) << r.err;
    }
    EXPECT_TRUE(std::filesystem::is_directory(kt::ScratchPath("")));
    EXPECT_FALSE(kt::FileExists(kt::ScratchPath("missing-dir")));
    EXPECT_FALSE(kt::FileExists("/proc/kavren-hardening.png"));
    EXPECT_EQ(kt::ReadFile(plain), "x");
}

TEST(HardeningOutput, ReadOnlyFileIsNotOverwritten)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files; the /proc and directory cases cover opening failures";
    const std::string path = kt::ScratchPath("read-only.png");
    kt::WriteFile(path, "keep");
    chmod(path.c_str(), 0444);
    const auto r = kt::RunKavren({"-d", "ABC", path});
    EXPECT_EQ(r.status, 12) << r.err;
    EXPECT_EQ(kt::ReadFile(path), "keep");
}

// Writing fails after the file was opened: status 13, no half-written
// picture stays behind and the previous file is kept; a device is of course
// not removed.
TEST(HardeningOutput, WriteFailureKeepsThePreviousFile)
{
    const auto full = kt::RunKavren({"-d", "ABC", "/dev/full"});
    EXPECT_EQ(full.status, 13) << full.err;
    EXPECT_NE(full.err.find(MessageLine(13)), std::string::npos) << full.err;
    struct stat st {};
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    // A file size limit of one block; SIGXFSZ ignored so that write reports EFBIG.
    const std::string path = kt::ScratchPath("limited.png");
    kt::WriteFile(path, "old content");
    const auto limited =
        kt::RunCommand("sh -c 'trap \"\" XFSZ; ulimit -f 1; exec \"$0\" -d ABC -x 800 -y 600 \"$1\"' " +
                       std::string(KAVREN_BINARY) + " " + path);
    EXPECT_EQ(limited.status, 13);
    EXPECT_EQ(kt::ReadFile(path), "old content") << "the previous file was cut or replaced";
}

// A run that fails before the file is opened leaves an existing file as it
// was; a run that succeeds replaces it with the picture.
TEST(HardeningOutput, ExistingFileIsTouchedOnlyBySuccess)
{
    const std::string path = kt::ScratchPath("existing.png");
    const std::vector<OptionCase> cases = {
        {{"-t", "11", "-d", "ABC"}, 6, "invalid text"},
        {{"-x", "10"}, 5, "does not fit"},
        {{"-n", "0.4"}, 1, "no length"},
        {{"-x", "2000000"}, 3, "image too large"},
        {{"-Q"}, 1, "unknown option"},
        {{"-h"}, 0, "usage only"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        kt::WriteFile(path, "precious");
        const auto r = kt::RunKavren(With(c.args, path));
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(kt::ReadFile(path), "precious");
    }
    ASSERT_EQ(kt::RunKavren({"-d", "ABC", path}).status, 0);
    kt::Raster raster;
    EXPECT_TRUE(kt::ReadPng(path, raster));
}

} // namespace
