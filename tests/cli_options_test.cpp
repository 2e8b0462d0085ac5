// The option table: the parser pieces made from it keep every spelling that
// worked before, --version, each row's value reaching its field, and the
// completion and man page that list the table.
#include "cli/Driver.h"
#include "cli/OptionTable.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

const std::string Banner = "kavren Version 1.5 (c) 2026 the kavren developers\n";

const fs::path SourceDir = KAVREN_SOURCE_DIR;
const fs::path OptionLister = fs::path(KAVREN_BINARY).parent_path() / "kavren-option-list";

// The long names in the order the program has always matched abbreviations in.
const std::vector<std::string> ClassicLongNames = {
    "help",   "xsize", "ysize",  "xdim",   "data",  "btype", "orient", "bcolor", "fcolor",
    "tcolor", "qzone", "balign", "talign", "guarg", "text",  "tdown",  "stst",   "schk",
    "cchk",   "fean",  "ntxt",   "c128",   "w2n",   "bred",  "fh"};

std::string FirstFit(const std::vector<std::string>& names, const std::string& given)
{
    for (const std::string& name : names)
        if (name.starts_with(given))
            return name;
    return "";
}

std::string Describe(const Args& args)
{
    std::string s;
    for (const auto& a : args)
        s += "[" + a + "]";
    return s;
}

TEST(OptionTable, ShortOptionStringIsAsItWas)
{
    EXPECT_STREQ(KavrenOptionString, "hx:y:n:d:t:o:b:r:e:q:g:l:u:s:p:z:c:k:f:v:a:i:j:m:");
}

// Every abbreviation of every long name that worked before means what it
// meant: rows are only ever appended.
TEST(OptionTable, EveryClassicAbbreviationKeepsItsMeaning)
{
    std::vector<std::string> names;
    for (const LongOption* o = KavrenLongOptions(); o->name; ++o)
        names.push_back(o->name);
    ASSERT_GE(names.size(), ClassicLongNames.size());
    for (const std::string& name : ClassicLongNames)
        for (std::size_t length = 0; length <= name.size(); ++length) {
            const std::string given = name.substr(0, length);
            EXPECT_EQ(FirstFit(names, given), FirstFit(ClassicLongNames, given)) << "--" << given;
        }
}

// A row's sample value is accepted and lands in the row's own field (and no
// other): the fuzzer seeds rely on it, and it proves the row's wiring.
TEST(OptionTable, EachSampleValueReachesItsField)
{
    const RunOptions defaults;
    for (const OptionSpec& row : OptionTable()) {
        // Actions, and the batch options the run reads itself (cli_batch_test).
        if (row.kind == ValueKind::None || std::holds_alternative<std::monostate>(row.field))
            continue;
        SCOPED_TRACE(row.longName);
        RunOptions set;
        ApplyOption(row, row.sample, set);
        int changed = 0;
        for (const OptionSpec& other : OptionTable()) {
            const bool differs = std::visit(
                [&](auto member) {
                    if constexpr (std::is_same_v<decltype(member), std::monostate>)
                        return false;
                    else
                        return !(set.*member == defaults.*member);
                },
                other.field);
            if (differs) {
                ++changed;
                EXPECT_EQ(&other, &row) << "the sample changed --" << other.longName;
            }
        }
        EXPECT_EQ(changed, 1);
    }
}

TEST(OptionTable, RangesAcceptTheirBoundsOnly)
{
    struct Case {
        ValueRange range;
        double value;
        bool accepted;
    };
    const Case cases[] = {
        {{0, 21}, 0, true},         {{0, 21}, 21, true},
        {{0, 21}, 22, false},       {{0, 21}, -1, false},
        {{0, 270, 90}, 180, true},  {{0, 270, 90}, 45, false},
        {{0, 270, 90}, 360, false}, {{2.0, 3.0}, 1.99, false},
        {{2.0, 3.0}, 2.0, true}, // inclusive real bounds
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.range.Accepts(c.value), c.accepted)
            << c.range.low << ".." << c.range.high << " " << c.value;
}

// ---------------------------------------------------------------- --version

TEST(Version, PrintsTheBannerOnStandardOutput)
{
    const std::string path = kt::ScratchPath("version.png");
    for (const Args& args : {Args{"--version"}, Args{"--vers"}, Args{"--v"}, Args{"--version=2"},
                             Args{"-x", "5", "--version", "-Q"}, Args{"--version", path}}) {
        const kt::RunResult r = kt::RunKavren(args);
        EXPECT_EQ(r.status, 0) << Describe(args);
        EXPECT_EQ(r.out, Banner) << Describe(args);
        EXPECT_EQ(r.err, "") << Describe(args);
        EXPECT_FALSE(kt::FileExists(path)) << Describe(args);
    }
}

TEST(Version, TheFirstActionOrErrorWins)
{
    const kt::RunResult help = kt::RunKavren({"-h", "--version"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with(Banner + "Usage:")) << help.out;
    const kt::RunResult error = kt::RunKavren({"-Q", "--version"});
    EXPECT_EQ(error.status, 1);
    EXPECT_EQ(error.out, "");
    EXPECT_TRUE(error.err.starts_with("Unknown option `-Q'.\n" + Banner)) << error.err;
}

// ---------------------------------------------------------------- completion and man page

// What the completion offers after the words (the last one being completed).
std::string Complete(const Args& words)
{
    std::string command = "bash --norc --noprofile -c 'source \"$1\"; shift; COMP_WORDS=(\"$@\");"
                          " COMP_CWORD=$(($# - 1)); _kavren; echo \"${COMPREPLY[*]}\"' bash " +
                          (SourceDir / "completion/kavren").string() + " kavren";
    for (const std::string& w : words)
        command += " '" + w + "'";
    std::string out = kt::RunCommand(command).out;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

TEST(Completion, OffersWhatTheTableSays)
{
    struct Case {
        Args words;
        std::string offered;
    };
    const Case cases[] = {
        {{"--vers"}, "--version"},
        {{"--version", ""}, ""}, // an action ends the command line
        {{"-h", ""}, ""},
        {{"-a", ""}, "0 1 2 3"},        // 4 is accepted but never offered
        {{"--c1", "=", ""}, "0 1 2 3"}, // abbreviated name, value after "=" (a word of its own)
        {{"-o", ""}, "0 90 180 270"},   // orientation range with its step
        {{"--t", ""}, ""},              // --t is tcolor: a free colour value
        {{"-f", ""}, "0 1"},            // unlisted in the usage text, still a switch
    };
    for (const Case& c : cases)
        EXPECT_EQ(Complete(c.words), c.offered) << Describe(c.words);
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int CheckLists(const fs::path& completion, const fs::path& manPage)
{
    return kt::RunCommand(OptionLister.string() + " check " + completion.string() + " " + manPage.string() +
                          " 2>/dev/null")
        .status;
}

// The build-time check passes on the files as they are and fails on each
// kind of drift.
TEST(OptionLists, CheckCatchesDrift)
{
    const fs::path completion = SourceDir / "completion/kavren";
    const fs::path manPage = SourceDir / "doc/kavren.1";
    ASSERT_EQ(CheckLists(completion, manPage), 0);

    struct Drift {
        fs::path original;
        std::string from;
        std::string to;
        const char* why;
    };
    const Drift drifts[] = {
        {completion, " --fh --version", " --fh", "a long name missing from the completion"},
        {completion, "-a | --c128) echo 0 1 2 3 ;;", "-a | --c128) echo 0 1 2 3 4 ;;",
         "other values offered"},
        {manPage, ".B \\-\\-version\n", ".B \\-\\-vers\n", "a long name misspelt in the man page"},
        {manPage, ".BR \\-y \", \" \\-\\-ysize", ".BR \\-Y \", \" \\-\\-ysize",
         "a wrong letter in the man page"},
    };
    for (const Drift& d : drifts) {
        SCOPED_TRACE(d.why);
        std::string text = ReadFile(d.original);
        const std::size_t at = text.find(d.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, d.from.size(), d.to);
        const fs::path copy = kt::ScratchPath("drifted");
        std::ofstream(copy, std::ios::binary) << text;
        EXPECT_EQ(
            CheckLists(d.original == completion ? copy : completion, d.original == manPage ? copy : manPage),
            1);
    }
}

} // namespace
