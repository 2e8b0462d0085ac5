// The command line's output formats and the options of size, transparency
// and font: which format a file name and --format choose, how the new values
// are read, standard output for every format, and the font failure.
#include "cli/Driver.h"
#include "cli/OptionTable.h"
#include "tests/format_support.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using kavren::Format;
using Args = std::vector<std::string>;

constexpr const char* kPngSignature = "\x89PNG\r\n\x1a\n";
constexpr const char* kSvgStart = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ";
constexpr const char* kEpsStart = "%!PS-Adobe-3.0 EPSF-3.0\n";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The format a written file is in, by its first bytes; "" for none.
std::string Kind(const std::string& bytes)
{
    if (bytes.starts_with(kPngSignature))
        return "png";
    if (bytes.starts_with(kSvgStart))
        return "svg";
    if (bytes.starts_with(kEpsStart))
        return "eps";
    return "";
}

const OptionSpec& Row(int id)
{
    const OptionSpec* row = FindOption(id);
    EXPECT_NE(row, nullptr);
    return *row;
}

} // namespace

TEST(FileNameFormat, ExtensionDecidesInAnyCase)
{
    struct Case {
        const char* name;
        Format format;
    };
    const Case cases[] = {
        {"label.svg", Format::Svg},  {"LABEL.SVG", Format::Svg},     {"a/b.Svg", Format::Svg},
        {"label.eps", Format::Eps},  {"x.EpS", Format::Eps},         {"label.png", Format::Png},
        {"-", Format::Png},          {"svg", Format::Png},           {"label.svg.png", Format::Png},
        {"label.svgz", Format::Png}, {"dir.svg/label", Format::Png}, {"label", Format::Png},
        {"", Format::Png},           {".eps", Format::Eps}, // a name that is all extension
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileNameFormat(c.name), c.format) << c.name;
}

// Words in any case; another word, a number or an empty value is ignored
// like any out-of-range value.
TEST(FormatOptions, WordsAreReadAndOthersIgnored)
{
    struct Case {
        int option;
        const char* text;
        Format format;
        kavren::Unit unit;
    };
    using U = kavren::Unit;
    const Case cases[] = {
        {FormatOption, "svg", Format::Svg, U::Pixels},   {FormatOption, "EPS", Format::Eps, U::Pixels},
        {FormatOption, "Png", Format::Png, U::Pixels},   {FormatOption, "pdf", Format::Svg, U::Pixels},
        {FormatOption, "1", Format::Svg, U::Pixels},     {FormatOption, "", Format::Svg, U::Pixels},
        {FormatOption, "svg ", Format::Svg, U::Pixels}, // a trailing blank is not the word
        {UnitOption, "mm", Format::Svg, U::Millimetres}, {UnitOption, "IN", Format::Svg, U::Inches},
        {UnitOption, "mil", Format::Svg, U::Mils},       {UnitOption, "px", Format::Svg, U::Pixels},
        {UnitOption, "cm", Format::Svg, U::Inches},      {UnitOption, "m", Format::Svg, U::Inches},
    };
    for (const Case& c : cases) {
        RunOptions options;
        options.format = Format::Svg; // a value to keep when the word is none
        options.unit = U::Inches;
        ApplyOption(Row(c.option), c.text, options);
        EXPECT_EQ(options.format, c.option == FormatOption ? c.format : Format::Svg) << c.text;
        EXPECT_EQ(options.unit, c.option == UnitOption ? c.unit : U::Inches) << c.text;
    }
}

TEST(FormatOptions, DpiRangeAndFlag)
{
    const std::pair<const char*, int> dpis[] = {{"1", 1}, {"100000", 100000}, {"600dpi", 600},
                                                {"0", 0}, {"100001", 0},      {"-96", 0}};
    for (const auto& [text, dpi] : dpis) {
        RunOptions options;
        ApplyOption(Row(DpiOption), text, options);
        EXPECT_EQ(options.dpi, dpi) << text;
    }
    RunOptions options;
    ApplyOption(Row(TransparentOption), nullptr, options);
    EXPECT_TRUE(options.transparent);
    EXPECT_FALSE(TakesValue(Row(TransparentOption).kind));
}

// The file name's extension picks the format and --format overrides it, in
// the file and on standard output.
TEST(FormatCommandLine, NameAndOptionChooseTheFormat)
{
    struct Case {
        Args options;
        const char* name;
        const char* kind;
    };
    const Case cases[] = {
        {{}, "a.png", "png"},
        {{}, "a.svg", "svg"},
        {{}, "A.EPS", "eps"},
        {{}, "a.pdf", "png"},                  // any other name: PNG
        {{"--format", "png"}, "a.svg", "png"}, // the option overrides the name
        {{"--format=eps"}, "a.png", "eps"},
        {{"--form", "svg"}, "a.eps", "svg"},                    // an abbreviation
        {{"--format", "pdf"}, "a.svg", "svg"},                  // an unknown word is ignored
        {{"--format", "svg", "--format", "x"}, "a.png", "svg"}, // the last accepted value stays
    };
    for (const Case& c : cases) {
        Args args = c.options;
        args.insert(args.end(), {"-d", "AB12", kt::ScratchPath(c.name)});
        const kt::RunResult run = kt::RunKavren(args);
        EXPECT_EQ(run.status, 0) << c.name;
        EXPECT_EQ(Kind(ReadAll(kt::ScratchPath(c.name))), c.kind) << c.name << ' ' << run.err;
        std::remove(kt::ScratchPath(c.name).c_str());
    }
    for (const char* format : {"png", "svg", "eps"}) {
        const kt::RunResult run = kt::RunKavren({"--format", format, "-d", "AB12", "-"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(Kind(run.out), format);
        EXPECT_TRUE(run.err.empty());
    }
}

// A flag takes no value: the word after it is the file name, and a value
// after '=' is ignored as the option reader ignores it for --version.
TEST(FormatCommandLine, TransparentTakesNoValue)
{
    for (const Args& flag : {Args{"--transparent"}, Args{"--trans"}, Args{"--transparent=0"}}) {
        const std::string path = kt::ScratchPath("flag.png");
        std::remove(path.c_str());
        Args args = flag;
        args.push_back(path);
        EXPECT_EQ(kt::RunKavren(args).status, 0) << flag[0];
        EXPECT_EQ(kt::PngColourType(path), 6) << flag[0];
    }
    const std::string path = kt::ScratchPath("opaque.png");
    EXPECT_EQ(kt::RunKavren({path}).status, 0);
    EXPECT_EQ(kt::PngColourType(path), 2);
}

// A font that cannot be loaded ends with status 3 and its message in every
// format, with or without text shown, and creates no file.
TEST(FormatCommandLine, UnreadableFontFailsEveryFormat)
{
    const std::string notAFont = kt::ScratchPath("not-a-font.ttf");
    kt::WriteFile(notAFont, "this is no font");
    for (const char* font : {"/nonexistent/font.ttf", notAFont.c_str()})
        for (const char* name : {"f.png", "f.svg", "f.eps"})
            for (const char* showText : {"1", "0"}) {
                const std::string path = kt::ScratchPath(name);
                const kt::RunResult run = kt::RunKavren({"--font", font, "-s", showText, path});
                EXPECT_EQ(run.status, 3) << font << ' ' << name;
                EXPECT_NE(run.err.find("Error: Cant initialize PNG creator."), std::string::npos);
                EXPECT_FALSE(kt::FileExists(path)) << name;
            }
}
