// Command lines the run fuzzer (fuzz/run_fuzzer.cpp) turned up at the sharp
// edges of the option reader, the sizing and the output path, replayed
// through the binary with the same contract the fuzzer checks: no signal, the
// status these inputs must give, a PNG of the fixed size on success, and no
// file left by a failed run. Add a row for every fuzzer finding, with the
// reproducer's elements ("@" stands for the output file).
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Replay {
    std::vector<std::string> args;
    int status;
    int width = 0; // on success, when the options fix the image size
    int height = 0;
    const char* why = "";
};

const std::vector<Replay> kReplays = {
    {{"-:", "@"}, 1, 0, 0, "a colon as option letter is an unknown option"},
    {{"-n1e308\xff", "@"}, 1, 0, 0, "attached x-dimension saturates the module width: no length"},
    {{"--xdim", ".32", "@"}, 1, 0, 0, "a fraction without leading digit rounds to 0 pixels"},
    {{"--t=ff0=250z", "--t=z", "--t5=f000", "@"}, 1, 0, 0, "a prefix that fits no entry after ones that do"},
    {{"--qzone", "-o", "-2"}, 1, 0, 0, "\"-o\" is qzone's value, then -2 is an unknown option"},
    {{"-o", "\t270", "-y", "4777777777700", "-t", "5", "-d", "A12", "@"},
     3,
     0,
     0,
     "height saturates above the limit; reported before the invalid text"},
    {{"-o", "180", "-x", "3002147483647", "-y", "120", "-t", "10", "-d",
      "\xad\xad\xad"
      "5512345",
      "@"},
     3,
     0,
     0,
     "width beyond int32 saturates instead of wrapping"},
    {{"-g", "e", ""}, 12, 0, 0, "empty file name"},
    {{"--guarg=0FFFFFFF", "."}, 12, 0, 0, "the current directory as file name"},
    {{"-t015", "", "", "", "5"}, 1, 0, 0, "empty file name; nothing may follow it"},
    {{"-b", "f\xf6", "-r", "1", "-e", "1230000000ffffff", "-d", "", "@"}, 6, 0, 0, "odd colours, empty data"},
    {{"-t", "19", "-d4", "@"}, 0, 0, 0, "attached data"},
    {{"-o",
      "\t\x9a"
      "270",
      "-y", "70", "-x", "250", "@"},
     0,
     250,
     70,
     "orientation text without digits reads as 0"},
    {{"-x319D-", "-y", "80", "-t", "2", "-d", "A-", "@"}, 0, 319, 80, "attached width with a tail"},
    {{"--w=1e308script240", "-t", "2", "@"}, 0, 0, 0, "a ratio no float holds is ignored"},
    {{"--w2n=2.0001", "-t", "2", "-x", "111", "-y", "60", "-d", "CODE", "@"},
     0,
     111,
     60,
     "just above ratio 2"},
};

TEST(HardeningRegression, FuzzerCommandLinesEndAsTheyMust)
{
    const std::string out = kt::ScratchPath("replay.png");
    for (const auto& replay : kReplays) {
        std::vector<std::string> args = replay.args;
        for (auto& a : args)
            if (a == "@")
                a = out;
        SCOPED_TRACE(testing::PrintToString(replay.args) + ": " + replay.why);

        const auto r = kt::RunKavren(args);
        ASSERT_LT(r.status, 128) << "killed by signal " << r.status - 128 << "\n" << r.err;
        EXPECT_EQ(r.status, replay.status) << r.err;
        if (r.status != 0) {
            EXPECT_FALSE(kt::FileExists(out)) << "a failed run left its file";
            continue;
        }
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(out, raster)) << "status 0 without a readable picture";
        if (replay.width != 0) {
            EXPECT_EQ(raster.width, replay.width);
            EXPECT_EQ(raster.height, replay.height);
        }
        std::filesystem::remove(out);
    }
}

} // namespace
