#include "cli/Driver.h"
#include "cli/GetOpt.h"
#include "tests/cli_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every call's result until the end of the options: a letter (with "=arg"
// when the call set an argument), "?" for an error, "0" for a flag match, and
// finally "end@N" with N the index of the first element that is not an option.
struct Trace {
    std::string calls;
    std::string diagnostics;
};

Trace Parse(const std::vector<std::string>& args, const char* optString = KavrenOptionString,
            const LongOption* table = KavrenLongOptions())
{
    kt::ArgVector argv(args);
    kt::StreamCapture err(stderr, "getopt.err");
    ResetGetOpt();
    Trace trace;
    for (int call = 0; call < 40; ++call) {
        g_optArg = nullptr;
        const int result = GetOpt(argv.Count(), argv.Get(), optString, table, nullptr);
        if (result == -1) {
            trace.calls += "end@" + std::to_string(g_optIndex);
            break;
        }
        trace.calls += result == 0 ? std::string("0") : std::string(1, static_cast<char>(result));
        if (g_optArg)
            trace.calls.append("=").append(g_optArg);
        trace.calls += " ";
    }
    trace.diagnostics = err.Release();
    return trace;
}

struct ParseCase {
    std::vector<std::string> args;
    const char* optString; // null: the program's own
    std::string calls;
    std::string diagnostics;
};

// clang-format off
const ParseCase ParseCases[] = {
    // Arguments attached, in the next element, and taken whatever they look like.
    {{"-x250"}, nullptr, "x=250 end@2", ""},
    {{"-x", "250"}, nullptr, "x=250 end@3", ""},
    {{"-x", "-y"}, nullptr, "x=-y end@3", ""},
    {{"-d", ""}, nullptr, "d= end@3", ""},
    {{"-x", "1", "-y2", "out.png", "-t", "3"}, nullptr, "x=1 y=2 end@4", ""},
    // A missing argument is reported with the letter and skips the element.
    {{"-x"}, nullptr, "? end@2", "Missing argument for `-x'.\n"},
    {{"-y", "5", "-m"}, nullptr, "y=5 ? end@4", "Missing argument for `-m'.\n"},
    // Clusters: letters without argument first, one with an argument ends the element.
    {{"-hx", "1"}, nullptr, "h x=1 end@3", ""},
    {{"-hx1"}, nullptr, "h x=1 end@2", ""},
    {{"-acb7"}, "ab:c", "a c b=7 end@2", ""},
    {{"-ca", "-b", "x", "y"}, "ab:c", "c a b=x end@4", ""},
    {{"-ab"}, "ab:c", "a ? end@2", "Missing argument for `-b'.\n"},
    // Unknown letters: the rest of the element is skipped, parsing can go on.
    {{"-Q"}, nullptr, "? end@2", "Unknown option `-Q'.\n"},
    {{"-Qx", "f"}, nullptr, "? end@2", "Unknown option `-Q'.\n"},
    {{"-Q", "-x1"}, nullptr, "? x=1 end@3", "Unknown option `-Q'.\n"},
    {{"-aZc"}, "ab:c", "a ? end@2", "Unknown option `-Z'.\n"},
    // A colon only marks arguments in the option string; as a letter it is unknown.
    {{"-:"}, nullptr, "? end@2", "Unknown option `-:'.\n"},
    {{"-h:"}, nullptr, "h ? end@2", "Unknown option `-:'.\n"},
    // A byte above 127 must not come back as a negative value (-1 would mean "end").
    {{"-\xff"}, nullptr, "? end@2", "Unknown option `-\xff'.\n"},
    // Long options: =value, next element, abbreviations take the first entry that fits.
    {{"--help", "--xsize=1", "--ysize=2", "--xdim=3", "--data=4", "--btype=5", "--orient=6", "--bcolor=7",
      "--fcolor=8", "--tcolor=9", "--qzone=10", "--balign=11", "--talign=12", "--guarg=13", "--text=14",
      "--tdown=15", "--stst=16", "--schk=17", "--cchk=18", "--fean=19", "--ntxt=20", "--c128=21", "--w2n=22",
      "--bred=23", "--fh=24"}, nullptr,
     "h x=1 y=2 n=3 d=4 t=5 o=6 b=7 r=8 e=9 q=10 g=11 l=12 u=13 s=14 p=15 z=16 c=17 k=18 f=19 v=20 a=21 "
     "i=22 j=23 m=24 end@26", ""},
    {{"--xsize=250"}, nullptr, "x=250 end@2", ""},
    {{"--xsize", "250"}, nullptr, "x=250 end@3", ""},
    {{"--xs=250"}, nullptr, "x=250 end@2", ""},
    {{"--x=250"}, nullptr, "x=250 end@2", ""},
    {{"--t=5"}, nullptr, "e=5 end@2", ""},       // tcolor comes before talign, text, tdown
    {{"--b", "3"}, nullptr, "t=3 end@3", ""},    // btype comes before bcolor, balign, bred
    {{"--fh", "-3"}, nullptr, "m=-3 end@3", ""},
    {{"--data="}, nullptr, "d= end@2", ""},
    {{"--data", "-x"}, nullptr, "d=-x end@3", ""},
    {{"--data=a=b"}, nullptr, "d=a=b end@2", ""},
    {{"--help=1"}, nullptr, "h end@2", ""},       // no argument: the value is ignored
    {{"--=5"}, nullptr, "h end@2", ""},           // an empty name fits the first entry
    {{"--xsizes=3"}, nullptr, "? end@2", "invalid option `xsizes'.\n"},
    {{"--XSIZE=1"}, nullptr, "? end@2", "invalid option `XSIZE'.\n"},
    {{"--xsize"}, nullptr, "? end@2", "argument required: `xsize'.\n"},
    {{"--xs"}, nullptr, "? end@2", "argument required: `xs'.\n"},
    // The end of the options.
    {{}, nullptr, "end@1", ""},
    {{"--", "-x"}, nullptr, "end@2", ""},          // consumed; "-x" is the file name
    {{"-x", "1", "--"}, nullptr, "x=1 end@4", ""},
    {{"-", "-x"}, nullptr, "end@1", ""},           // not consumed; "-" is the file name
    {{"file", "-x", "3"}, nullptr, "end@1", ""},   // never reads past a non-option
    {{"-x", "1", "out.png", "--t=5"}, nullptr, "x=1 end@3", ""},
};
// clang-format on

TEST(GetOpt, FollowsTheParsingRules)
{
    for (const ParseCase& c : ParseCases) {
        const Trace trace = c.optString ? Parse(c.args, c.optString, nullptr) : Parse(c.args);
        std::string joined;
        for (const auto& a : c.args)
            joined += "[" + a + "]";
        EXPECT_EQ(trace.calls, c.calls) << joined;
        EXPECT_EQ(trace.diagnostics, c.diagnostics) << joined;
    }
}

TEST(GetOpt, FlagEntriesStoreTheLetterAndReportThePosition)
{
    int flag = 0;
    const LongOption table[] = {
        {"alpha", 0, nullptr, 'a'}, {"beta", 1, &flag, 'b'}, {nullptr, 0, nullptr, 0}};
    kt::ArgVector argv({"--be=7", "--al"});
    ResetGetOpt();
    int position = -1;
    EXPECT_EQ(GetOpt(argv.Count(), argv.Get(), "ab:", table, &position), 0);
    EXPECT_EQ(flag, 'b');
    EXPECT_EQ(position, 1);
    EXPECT_STREQ(g_optArg, "7");
    EXPECT_EQ(GetOpt(argv.Count(), argv.Get(), "ab:", table, &position), 'a');
    EXPECT_EQ(position, 0);
    EXPECT_STREQ(g_optArg, "7"); // an option without argument leaves it alone
    EXPECT_EQ(GetOpt(argv.Count(), argv.Get(), "ab:", table, &position), -1);
}

TEST(GetOpt, RemembersTheLetterItExamined)
{
    kt::ArgVector argv({"-Q"});
    kt::StreamCapture err(stderr, "letter.err");
    ResetGetOpt();
    EXPECT_EQ(GetOpt(argv.Count(), argv.Get(), KavrenOptionString, KavrenLongOptions(), nullptr), '?');
    EXPECT_EQ(g_optLetter, 'Q');
}

TEST(GetOpt, ResetStartsANewCommandLine)
{
    // Stop inside a cluster, then read another command line: it must start at
    // its own first letter, not at the remembered position.
    kt::ArgVector first({"-ac"});
    ResetGetOpt();
    ASSERT_EQ(GetOpt(first.Count(), first.Get(), "abc", nullptr, nullptr), 'a');
    kt::ArgVector second({"-bc"});
    ResetGetOpt();
    EXPECT_EQ(g_optIndex, 1);
    EXPECT_EQ(GetOpt(second.Count(), second.Get(), "abc", nullptr, nullptr), 'b');
    EXPECT_EQ(GetOpt(second.Count(), second.Get(), "abc", nullptr, nullptr), 'c');
    EXPECT_EQ(GetOpt(second.Count(), second.Get(), "abc", nullptr, nullptr), -1);
}

TEST(GetOpt, NothingToReadEndsAtOnce)
{
    char* none[] = {nullptr};
    ResetGetOpt();
    EXPECT_EQ(GetOpt(0, none, "a", nullptr, nullptr), -1);
}

} // namespace
