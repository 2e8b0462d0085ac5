#include "cli/Driver.h"
#include "tests/cli_support.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Args = std::vector<std::string>;

const std::string Banner = "kavren Version 1.5 (c) 2026 the kavren developers\n";

// The usage text as it has always been, byte for byte...
const std::string ClassicUsage = Banner + R"(Usage:  kavren [OPTIONS] filename
Example:  kavren -x 250 -y 100 -d 1234567890 c:\barcode.png
Options:
   -h --help        Display this usage information.
   -x --xsize       Barcode image width.
                    Example: -x 250
   -y --ysize       Barcode image height.
                    Example: -y 100
   -n --xdim        X-Dimension.
                    Example: -n 3
   -d --data        Set the data that is to be encoded in the barcode.
                    Example: -d 1234567890Data
   -t --btype       Barcode type. Possible Values: 0..21
                    Example: -f 7
   -o --orient      Set the orientation. Possible Values: 0, 90, 180, 270
                    Example: -o 90
   -b --bcolor      Background color. Possible Values: 0x000000..0xffffff
                    Example: -b ffff00, means yellow color in RGB
   -r --fcolor      Foreground color. Possible Values: 0x000000..0xffffff
                    Example: -r 000000, means black color
   -e --tcolor      Text color. Possible Values: 0x000000..0xffffff
                    Example: -e 0000ff means blue color
   -q --qzone       Show quiet zones. Possible Values: 0 or 1
                    Example: -q 1
   -g --balign      Barcode alignment. Possible Values: 0..2
                    Example: -g 2
   -l --talign      Text alignment. Possible Values: 0..6
                    Example: -l 0
   -u --guarg       Show EAN/UPC guards. Possible Values: 0 or 1
                    Example: -u 1
   -s --text        Show text. Possible Values: 0 or 1
                    Example: -s 1
   -p --tdown       Show text above or below. Possible Values: 0(below) or 1
                    Example: -p 1
   -z --stst        Show start/stop chars. Possible Values: 0 or 1
                    Example: -z 1
   -c --schk        Show check digit. Possible Values: 0 or 1
                    Example: -c 1
   -k --cchk        Calculate check digit. Possible Values: 0 or 1
                    Example: -k 1
   -v --ntxt        Convert non printing to text. Possible Values: 0 or 1
                    Example: -v 1
   -a --c128        Code 128 charset. Possible Values: 0..3
                    Example: -a 0
   -i --w2n         Wide to narrow ratio. Possible Values: 2..
                    Example: -i 2.5
   -j --bred        Bar width reduction. Possible Values: -99..99
                    Example: -j 0
   -m --fh          Font Height.
                    Example: -m 14
)";

// ...followed by the lines of the options added since, in the same layout.
const std::string Usage =
    ClassicUsage +
    "      --version     Print the version and exit.\n"
    "      --gs1-check   Check GS1 data (types 12, 15, 16) against the GS1 syntax\n"
    "                    instead of correcting it; a failure names the rule.\n"
    "      --batch       One barcode for each line of the file ('-': standard input).\n"
    "                    A line NAME<TAB>DATA names its file; otherwise a run of #\n"
    "                    in filename is the line number (else -N before the extension).\n"
    "                    Example: --batch labels.txt label-####.png\n"
    "      --jobs        Barcodes of a batch made at once. Default: processor cores\n"
    "                    Example: --jobs 4\n" +
    R"(      --format      Output format, instead of the file name's extension.
                    Possible Values: png, svg, eps
                    Example: --format svg
      --dpi         Resolution in dots per inch (default 96); the PNG records it.
                    Possible Values: 1..100000
                    Example: --dpi 600
      --unit        Unit of -n, -x and -y. Possible Values: px, mm, in, mil
                    Example: --unit mm -n 0.33
      --transparent Transparent background.
      --font        TrueType/OpenType font file for the text.
                    Example: --font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
      --bearer      ITF-14 and Interleaved 2 of 5 bearer bars. Possible Values: none, bars, box
                    Example: --bearer box
      --bearer-width
                    Bearer bar width in modules. Possible Values: 1..100
                    Example: --bearer-width 5
      --strict      Every warning is an error instead (status 1, or 6 for the data).
      --mono        Two colours only: text without anti-aliasing, PNG at 1 bit per pixel.
      --compliant   Quiet zones, text and bar heights as the GS1 and ISO/IEC
                    rules draw them; a -y given keeps its height.
      --size        Matrix symbol size instead of the smallest that holds the data:
                    QR Code version 1..40, Micro QR M1..M4, Data Matrix ROWSxCOLUMNS.
                    Example: --size 16x16
      --dmre        Data Matrix may take the rectangular extension sizes (DMRE).
      --hri         Matrix symbols: the data as text under the symbol.
      --ec          QR Code error correction. Possible Values: L, M, Q, H (default M)
                    Example: --ec Q
      --mask        QR Code data mask instead of the best by the penalty rules.
                    Possible Values: 0..7 (Micro QR 0..3)
                    Example: --mask 2
      --eci         QR Code ECI designator before the data (26: UTF-8, 20: Shift JIS).
                    Possible Values: 0..999999
                    Example: --eci 26
      --digital-link
                    GS1 data as a GS1 Digital Link URI at this prefix, in a QR Code
                    (or the type given: qr, datamatrix).
                    Example: --digital-link https://id.gs1.org
      --segments    GS1 DataBar Expanded Stacked symbol characters per row (default 4).
                    Possible Values: 2..22, even
                    Example: --segments 6
Barcode types (-t): the number or a name, any letter case, '-' and '_' alike.
    0  Interleaved 2 of 5  interleaved2of5, i25, itf
    1  Industrial 2 of 5   industrial2of5, i2of5-industrial
    2  Code 39             code39
    3  Code 39 Extended    code39ext, code39-extended
    4  Code 11             code11
    5  Codabar             codabar
    6  MSI                 msi
    7  Code 128            code128
    8  EAN-2               ean2
    9  EAN-5               ean5
   10  EAN-8               ean8
   11  EAN-13              ean13
   12  EAN-14              ean14
   13  UPC-A               upca
   14  UPC-E               upce
   15  UCC/EAN-128         gs1-128, ucc-ean-128, ean128
   16  SSCC-18             sscc18
   17  PostNet             postnet
   18  Planet              planet
   19  Code 93             code93
   20  Code 93 Extended    code93ext, code93-extended
   21  ITF-14              itf14
   22  Data Matrix         datamatrix, dm
   23  GS1 DataMatrix      gs1-datamatrix
   24  QR Code             qr, qrcode
   25  GS1 QR Code         gs1-qr, gs1-qrcode
   26  Micro QR Code       micro-qr, micro-qrcode
   27  Intelligent Mail    imb, intelligent-mail
   28  RM4SCC              rm4scc, royal-mail
   29  KIX                 kix
   30  Australia Post      auspost
   31  AusPost Reply Paid  auspost-reply
   32  AusPost Routing     auspost-routing
   33  AusPost Redirect    auspost-redirect
   34  GS1 DataBar         databar, databar-omni
   35  DataBar Trunc.      databar-truncated
   36  DataBar Stacked     databar-stacked
   37  DataBar Stk Omni    databar-stacked-omni
   38  DataBar Expanded    databar-expanded
   39  DataBar Exp Stk     databar-expanded-stacked
)";

std::string Failure(const std::string& message)
{
    return Banner + message + "\n";
}

Args With(Args args, const std::string& path)
{
    args.push_back(path);
    return args;
}

// Runs the program with the output going to a fresh scratch file; the picture
// is empty when no PNG was written.
struct Drawn {
    kt::RunResult run;
    kt::Raster image;
};

Drawn Draw(const Args& args, const std::string& name = "drawn.png")
{
    const std::string path = kt::ScratchPath(name);
    std::remove(path.c_str());
    Drawn d;
    d.run = kt::RunKavren(With(args, path));
    kt::ReadPng(path, d.image);
    return d;
}

std::string Describe(const Args& args)
{
    std::string s;
    for (const auto& a : args)
        s += "[" + a + "]";
    return s;
}

// ---------------------------------------------------------------- usage and messages

TEST(Driver, NoArgumentsAsksForTheFileNameWithoutUsage)
{
    const kt::RunResult r = kt::RunKavren({});
    EXPECT_EQ(r.status, 11);
    EXPECT_EQ(r.err, Failure("Error: Output file name cant be empty."));
    EXPECT_EQ(r.out, "");
}

TEST(Driver, HelpPrintsTheUsageOnStandardOutput)
{
    const std::string path = kt::ScratchPath("help.png");
    for (const Args& args : {Args{"-h"}, Args{"--help"}, Args{"--he=3"}, Args{"-hQ"},
                             Args{"-x", "5", "-h", "-Q"}, Args{"-h", path}, Args{"-d", "-h", "-h", path}}) {
        const kt::RunResult r = kt::RunKavren(args);
        EXPECT_EQ(r.status, 0) << Describe(args);
        EXPECT_EQ(r.out, Usage) << Describe(args);
        EXPECT_EQ(r.err, "") << Describe(args);
        EXPECT_FALSE(kt::FileExists(path)) << Describe(args);
    }
}

TEST(Driver, CommandLineErrorsPrintDiagnosticAndUsageOnStandardError)
{
    const std::string path = kt::ScratchPath("faulty.png");
    struct Case {
        Args args;
        std::string diagnostic;
    };
    const Case cases[] = {
        {{"-Q", path}, "Unknown option `-Q'.\n"},
        {{"-Q", "-h", path}, "Unknown option `-Q'.\n"}, // the error comes first and ends the run
        {{"-:", path}, "Unknown option `-:'.\n"},
        {{"-x"}, "Missing argument for `-x'.\n"},
        {{"-d", "A", "-t"}, "Missing argument for `-t'.\n"},
        {{"--xsizes=3", path}, "invalid option `xsizes'.\n"},
        {{"--data"}, "argument required: `data'.\n"},
    };
    for (const Case& c : cases) {
        const kt::RunResult r = kt::RunKavren(c.args);
        EXPECT_EQ(r.status, 1) << Describe(c.args);
        EXPECT_EQ(r.err, c.diagnostic + Usage) << Describe(c.args);
        EXPECT_EQ(r.out, "") << Describe(c.args);
        EXPECT_FALSE(kt::FileExists(path)) << Describe(c.args);
    }
}

TEST(Driver, UsagePrinterReturnsItsStatus)
{
    kt::StreamCapture out(stdout, "usage.out");
    EXPECT_EQ(PrintUsage(stdout, 7), 7);
    EXPECT_EQ(out.Release(), Usage);
}

TEST(Driver, MessagesOfEveryCode)
{
    const std::pair<int, const char*> table[] = {
        {0, "Ok."},
        {1, "Error: Invalid argument."},
        {2, "Error: Fail."},
        {3, "Error: Cant initialize PNG creator."},
        {4, "Error: Cant set up a barcode type (symbology)"},
        {5, "Error: Invalid barcode size."},
        {6, "Error: Invalid barcode text."},
        {11, "Error: Output file name cant be empty."},
        {12, "Error: Cant open output file."},
        {13, "Error: Cant close output file."},
        {14, "Error: Unknown exception."},
        {7, "Error: Unknown error."},
        {10, "Error: Unknown error."},
        {15, "Error: Unknown error."},
        {-1, "Error: Unknown error."},
    };
    for (const auto& [code, message] : table)
        EXPECT_STREQ(ErrorMessage(code), message) << code;
}

TEST(Driver, RunsAreIndependentInOneProcess)
{
    // A first run that stops mid-way in the options must not leak parser
    // state into the next one.
    kt::StreamCapture err(stderr, "reentry.err");
    kt::StreamCapture out(stdout, "reentry.out");
    kt::ArgVector faulty({"-x"});
    EXPECT_EQ(RunKavren(faulty.Count(), faulty.Get()), 1);
    kt::ArgVector help({"-h"});
    EXPECT_EQ(RunKavren(help.Count(), help.Get()), 0);
    kt::ArgVector cluster({"-hx", "1"});
    EXPECT_EQ(RunKavren(cluster.Count(), cluster.Get()), 0);
    kt::ArgVector none({});
    EXPECT_EQ(RunKavren(none.Count(), none.Get()), 11);
    EXPECT_EQ(out.Release(), Usage + Usage);
    EXPECT_EQ(err.Release(),
              "Missing argument for `-x'.\n" + Usage + Failure("Error: Output file name cant be empty."));
}

// ---------------------------------------------------------------- colours

TEST(Driver, ColoursAreReadAsRgbHexAndStoredBlueGreenRed)
{
    struct Case {
        const char* text;
        std::uint32_t parsed;
        std::uint32_t stored;
    };
    const Case cases[] = {
        {"ffff00", 0xffff00, 0x00ffff}, // yellow
        {"0000ff", 0x0000ff, 0xff0000}, // blue
        {"FF8000", 0xff8000, 0x0080ff}, // upper case digits
        {"0xffff00", 0xffff00, 0x00ffff}, // the prefixes the usage text shows
        {"#FF8000", 0xff8000, 0x0080ff},
        {"x0ffff0", 0, 0},                // anything else: reading stops at once
        {"", 0, 0},
        {"zz", 0, 0},
        {"12g456", 0x12, 0x120000},          // stops at the first non-digit
        {"123456789", 0x23456789, 0x896745}, // only the last eight digits survive, only six count
        {"ff000000", 0xff000000, 0},         // the top byte is dropped
        {" ff", 0, 0},                       // no white space skipped
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseHexColor(c.text), c.parsed) << c.text;
        EXPECT_EQ(SwapRedBlue(ParseHexColor(c.text)), c.stored) << c.text;
    }
}

// Colour of the pixel at the image's top-left corner, inside the quiet zone.
TEST(Driver, ColoursReachThePicture)
{
    const Drawn yellow = Draw({"-b", "ffff00", "-r", "0000ff"});
    ASSERT_EQ(yellow.run.status, 0) << yellow.run.err;
    EXPECT_EQ(yellow.image.At(0, 0), 0x00ffffU);
    bool blueBar = false;
    for (int x = 0; x < yellow.image.width; ++x)
        blueBar = blueBar || yellow.image.At(x, yellow.image.height / 4) == 0xff0000U;
    EXPECT_TRUE(blueBar);

    const Drawn prefixed = Draw({"-b", "0xffff00"});
    ASSERT_EQ(prefixed.run.status, 0) << prefixed.run.err;
    EXPECT_EQ(prefixed.image.At(0, 0), 0x00ffffU);
    const Drawn black = Draw({"-b", "x0ffff00"});
    ASSERT_EQ(black.run.status, 0) << black.run.err;
    EXPECT_EQ(black.image.At(0, 0), 0U);

    // Fully covered text pixels carry the text colour; nothing is drawn black.
    const Drawn blueText = Draw({"-e", "0000ff"});
    ASSERT_EQ(blueText.run.status, 0) << blueText.run.err;
    bool blue = false;
    const int textRow0 = blueText.image.height * 3 / 4;
    for (int y = textRow0; y < blueText.image.height; ++y)
        for (int x = 0; x < blueText.image.width; ++x)
            blue = blue || blueText.image.At(x, y) == 0xff0000U;
    EXPECT_TRUE(blue);
}

// ---------------------------------------------------------------- option values

TEST(Driver, OptionValuesCountOnlyWhenAccepted)
{
    const Args fixed = {"-x", "400", "-y", "150"};
    struct Case {
        Args base;     // added to the fixed size for all three pictures
        Args ignored;  // must give the same picture as the base
        Args accepted; // a neighbouring value that does change it (empty: none)
    };
    // clang-format off
    const Case cases[] = {
        {{}, {"-t", "99"}, {}},
        {{}, {"-t", "-1"}, {}},
        {{}, {"-o", "45"}, {"-o", "180"}},
        {{}, {"-o", "-90"}, {"-o", "180"}},
        {{}, {"-g", "3"}, {"-g", "0"}},
        {{}, {"-g", "-1"}, {"-g", "1"}},
        {{}, {"-l", "7"}, {}},
        {{}, {"-l", "-1"}, {}},
        {{}, {"-m", "0"}, {"-m", "30"}},
        {{}, {"-m", "-14"}, {"-m", "30"}},
        {{}, {"-a", "5"}, {"-a", "2"}},            // charset B encodes the digits one by one
        {{}, {"-a", "-1"}, {"-a", "2"}},
        {{}, {"-j", "100"}, {"-j", "50"}},         // 100 % would remove every narrow bar
        {{}, {"-j", "-100"}, {"-j", "-50"}},
        {{"-t", "2"}, {"-i", "0"}, {"-i", "3"}},    // Code 39 has wide elements
        {{"-t", "2"}, {"-i", "-2"}, {"-i", "3"}},
        {{"-t", "2"}, {"-i", "1e300"}, {"-i", "3"}},  // no float holds it
        {{"-t", "2"}, {"-i", "1.9"}, {"-i", "2"}},  // below 2 wide and narrow blur together
        {{}, {"-q", "7"}, {"-q", "yes"}},          // any non-zero is on; a word reads as 0
        {{}, {"-s", "-1"}, {"-s", "0"}},
        {{}, {"-b", "FFFFFF"}, {"-b", "fffffe"}},
        {{}, {"-r", "1000000"}, {"-r", "000001"}},  // only the last six digits count
        {{"-o", "90"}, {"-o", "400"}, {"-o", "270"}},  // the last accepted value wins
    };
    // clang-format on
    for (const Case& c : cases) {
        Args base = fixed;
        base.insert(base.end(), c.base.begin(), c.base.end());
        const Drawn reference = Draw(base, "reference.png");
        ASSERT_EQ(reference.run.status, 0) << Describe(base) << reference.run.err;
        ASSERT_GT(reference.image.width, 0) << Describe(base);

        Args ignored = base;
        ignored.insert(ignored.end(), c.ignored.begin(), c.ignored.end());
        const Drawn same = Draw(ignored);
        EXPECT_EQ(same.run.status, 0) << Describe(ignored) << same.run.err;
        EXPECT_EQ(same.image.rgb, reference.image.rgb) << Describe(ignored);
        if (c.accepted.empty())
            continue;
        Args accepted = base;
        accepted.insert(accepted.end(), c.accepted.begin(), c.accepted.end());
        const Drawn other = Draw(accepted);
        EXPECT_EQ(other.run.status, 0) << Describe(accepted) << other.run.err;
        EXPECT_GT(other.image.width, 0) << Describe(accepted);
        EXPECT_NE(other.image.rgb, reference.image.rgb) << Describe(accepted);
    }
}

TEST(Driver, NumbersAreReadLeniently)
{
    struct Case {
        const char* text; // given as the image width
        int status;
        int width; // 0: not accepted, the width comes from the barcode
    };
    const Case cases[] = {
        {"300", 0, 300},  {" 300", 0, 300}, {"+300", 0, 300}, {"300px", 0, 300}, {"\t300.9", 0, 300},
        {"0300", 0, 300}, {"0", 0, 0},      {"-300", 0, 0},   {"abc", 0, 0},     {"", 0, 0},
        {"- 300", 0, 0},  {"3e2", 5, 3}, // integers stop at the 'e': 3 pixels hold no barcode
    };
    const Drawn free = Draw({});
    ASSERT_EQ(free.run.status, 0) << free.run.err;
    for (const Case& c : cases) {
        const Drawn d = Draw({"-x", c.text});
        EXPECT_EQ(d.run.status, c.status) << "[" << c.text << "]" << d.run.err;
        if (c.status != 0)
            continue;
        EXPECT_EQ(d.image.width, c.width ? c.width : free.image.width) << "[" << c.text << "]";
        EXPECT_EQ(d.image.height, 200) << "[" << c.text << "]";
    }
}

// ---------------------------------------------------------------- sizing mode

TEST(Driver, ImageSizeFollowsTheSizingMode)
{
    // The length of the default Code 128 symbol at 2 pixels per module.
    const Drawn free = Draw({});
    ASSERT_EQ(free.run.status, 0) << free.run.err;
    const int length = free.image.width;
    ASSERT_GT(length, 0);
    EXPECT_EQ(free.image.height, 200);

    struct Case {
        Args args;
        int width; // -1: the symbol length
        int height;
    };
    // clang-format off
    const Case cases[] = {
        {{"-x", "300"}, 300, 200},                 // width along the reading direction: fixed
        {{"-x", "300", "-o", "180"}, 300, 200},
        {{"-x", "300", "-o", "90"}, 300, -1},      // width across it: the height follows
        {{"-y", "100"}, -1, 100},                  // height across it: the width follows
        {{"-y", "300", "-o", "270"}, 200, 300},    // height along it: fixed
        {{"-x", "0"}, -1, 200},                    // 0 counts as not given
        {{"-x", "0", "-y", "0", "-o", "90"}, 200, -1},
        {{"-n", "-2"}, -1, 200},                   // not above 0: the default 2 stays
        {{"-n", "abc"}, -1, 200},
        {{"-n", "nan"}, -1, 200},
        {{"-n", "inf"}, -1, 200},
        {{"-n", "0x3"}, -1, 200},                  // decimal only: reads as 0
    };
    // clang-format on
    for (const Case& c : cases) {
        const Drawn d = Draw(c.args);
        ASSERT_EQ(d.run.status, 0) << Describe(c.args) << d.run.err;
        EXPECT_EQ(d.image.width, c.width < 0 ? length : c.width) << Describe(c.args);
        EXPECT_EQ(d.image.height, c.height < 0 ? length : c.height) << Describe(c.args);
    }
}

TEST(Driver, XDimensionRoundsToWholePixels)
{
    // The symbol length is proportional to the module width (quiet zones are
    // modules too), so it is compared with the default of 2 pixels.
    const Drawn two = Draw({});
    ASSERT_EQ(two.run.status, 0) << two.run.err;
    struct Case {
        Args args;
        int pixels;
    };
    const Case cases[] = {
        {{"-n", "2.5"}, 3}, {{"-n", "3"}, 3},   {{"-n", "3.49"}, 3},  {{"--xdim=1.5", "-n", "2.6"}, 3},
        {{"-n", "1.5"}, 2}, {{"-n", "2.4"}, 2}, {{"-n", "0.3e1"}, 3}, {{"-n", "1.49"}, 1},
        {{"-n", ".5"}, 1},
    };
    for (const Case& c : cases) {
        const Drawn d = Draw(c.args);
        ASSERT_EQ(d.run.status, 0) << Describe(c.args) << d.run.err;
        EXPECT_EQ(d.image.width * 2, two.image.width * c.pixels) << Describe(c.args);
    }
}

// ---------------------------------------------------------------- failures

TEST(Driver, EveryFailureHasTheTwoLineFormAndWritesNothing)
{
    const std::string path = kt::ScratchPath("keep.png");
    struct Case {
        Args args;
        int code;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {{"-n", "0.4"}, 1, "Error: Invalid argument."},                // 0 pixels per module
        {{"-n", "0.4", "-o", "90", "-y", "0"}, 1, "Error: Invalid argument."},
        {{"-n", "1e300"}, 1, "Error: Invalid argument."},              // no int32 length
        {{"-x", "99999999999"}, 3, "Error: Cant initialize PNG creator."},  // saturates, too wide
        {{"-o", "90", "-y", "2000000"}, 3, "Error: Cant initialize PNG creator."},
        {{"-n", "100000"}, 3, "Error: Cant initialize PNG creator."},  // far too long a symbol
        {{"-x", "10"}, 5, "Error: Invalid barcode size."},
        {{"-x", "10", "-t", "11", "-d", "ABC"}, 5, "Error: Invalid barcode size."},  // size before text
        {{"-x", "400", "-t", "11", "-d", "ABC"}, 6, "Error: Invalid barcode text."},
        {{"-x", "400", "-t", "11", "-d", ""}, 6, "Error: Invalid barcode text."},
    };
    // clang-format on
    for (const Case& c : cases) {
        kt::WriteFile(path, "keep me");
        const kt::RunResult r = kt::RunKavren(With(c.args, path));
        EXPECT_EQ(r.status, c.code) << Describe(c.args);
        EXPECT_EQ(r.err.substr(0, Failure(c.message).size()), Failure(c.message)) << Describe(c.args); // then the detail
        EXPECT_EQ(r.out, "") << Describe(c.args);
        EXPECT_EQ(kt::ReadFile(path), "keep me") << Describe(c.args);
    }
}

TEST(Driver, UnopenableOutputIsCode12)
{
    const std::pair<std::string, std::string> cases[] = {
        {kt::ScratchPath("no/such/dir/out.png"), kt::ScratchPath("no/such/dir/out.png: No such file or directory")},
        {"", "No such file or directory"},
        {kt::ScratchPath(""), kt::ScratchPath("") + ": Is a directory"},
    };
    for (const auto& [path, detail] : cases) {
        const kt::RunResult r = kt::RunKavren({path});
        EXPECT_EQ(r.status, 12) << "[" << path << "]";
        EXPECT_EQ(r.err, Failure("Error: Cant open output file.") + detail + "\n") << "[" << path << "]";
    }
}

TEST(Driver, FailedWriteIsCode13AndSparesDevices)
{
    const kt::RunResult r = kt::RunKavren({"/dev/full"});
    EXPECT_EQ(r.status, 13);
    EXPECT_EQ(r.err, Failure("Error: Cant close output file.") + "/dev/full: No space left on device\n");
    struct stat st {};
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

// Runs the program under a 1 KiB file-size limit, so writing a large PNG fails
// half-way (EFBIG; the signal is ignored so the write reports it).
kt::RunResult RunWithSmallFileLimit(const std::string& path)
{
    const std::string script = std::string("trap '' XFSZ; ulimit -f 1; exec 2>&1; exec ") + KAVREN_BINARY +
                               " -x 2000 -y 2000 -n 1 -d LargePicture " + path;
    return kt::RunCommand("sh -c \"" + script + "\"");
}

TEST(Driver, FailedWriteKeepsThePreviousFile)
{
    const std::string path = kt::ScratchPath("partial.png");
    kt::WriteFile(path, "old");
    const kt::RunResult r = RunWithSmallFileLimit(path);
    EXPECT_EQ(r.status, 13);
    EXPECT_EQ(r.out, Failure("Error: Cant close output file.") + path + ": File too large\n");
    EXPECT_EQ(kt::ReadFile(path), "old");
}

TEST(Driver, FailedWriteBehindALinkKeepsTheTargetAndTheLink)
{
    const std::string target = kt::ScratchPath("target.png");
    const std::string link = kt::ScratchPath("link.png");
    kt::WriteFile(target, "old");
    std::remove(link.c_str());
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    const kt::RunResult r = RunWithSmallFileLimit(link);
    EXPECT_EQ(r.status, 13);
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(kt::ReadFile(target), "old");
}

// ---------------------------------------------------------------- success

TEST(Driver, SuccessPrintsNothingAndReplacesTheFile)
{
    const std::string path = kt::ScratchPath("replace.png");
    kt::WriteFile(path, std::string(100000, 'x')); // longer than the PNG: must be cut
    const kt::RunResult r = kt::RunKavren({"-d", "HELLO", path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    kt::Raster image;
    ASSERT_TRUE(kt::ReadPng(path, image));
    EXPECT_EQ(kt::Zbar(path), std::vector<std::string>{"CODE-128:HELLO"});
    EXPECT_EQ(kt::ReadFile(path).find("xxxx"), std::string::npos);
}

// Nothing after the file name is read, and nothing may follow it: "--" still
// ends the options, so a file name may start with a dash.
TEST(Driver, OptionsAfterTheFileNameAreRefused)
{
    const std::string path = kt::ScratchPath("first.png");
    const std::pair<Args, std::string> cases[] = {
        {{path, "-t", "3"}, "-t"},
        {{"--", path, "-t", "3"}, "-t"},
        {{"-d", "A1", "--", path, "-d", "B"}, "-d"},
    };
    for (const auto& [args, unexpected] : cases) {
        kt::WriteFile(path, "keep me");
        const kt::RunResult r = kt::RunKavren(args);
        EXPECT_EQ(r.status, 1) << Describe(args);
        EXPECT_EQ(r.err, Failure("Error: Invalid argument.") + "unexpected argument '" + unexpected +
                             "' after the file name '" + path + "'\n")
            << Describe(args);
        EXPECT_EQ(kt::ReadFile(path), "keep me") << Describe(args);
    }
    const std::string dashed = kt::ScratchPath("-dashed.png");
    std::remove(dashed.c_str());
    EXPECT_EQ(kt::RunKavren({"-d", "A1", "--", dashed}).status, 0);
    EXPECT_EQ(kt::Zbar(dashed), std::vector<std::string>{"CODE-128:A1"});
}

// ---------------------------------------------------------------- warnings and details

// What a run leaves at the output name: a new picture, the file as it was,
// or none.
enum class Left { Written, Unchanged, Absent };

// One command line per row, followed by the output file unless the row
// places it: "@" (".png", or another extension as "@.ext"), "@2" a second file. `line` is a
// whole line standard error must hold (a warning, or a failure's third
// line), "@" in it standing for the output path; empty: nothing but the
// two-line message on failure, nothing at all on success.
TEST(Driver, WarningsAndDetailsSayWhatHappened)
{
    struct Case {
        Args args;
        int status;
        std::string line;
        Left left;
        std::string decoded = {}; // zbarimg's reading of a written picture, when given
    };
    const std::string text = std::string(KAVREN_SOURCE_DIR) + "/README.md"; // a file that is no font
    // clang-format off
    const Case cases[] = {
        // Nothing after the file name, which is not written either.
        {{"-d", "Hello", "--transparent", "@", "@2"}, 1, "unexpected argument '@2' after the file name '@'", Left::Unchanged},
        {{"@", "-t", "11", "-d", "590123412345"}, 1, "unexpected argument '-t' after the file name '@'", Left::Absent},
        {{"--", "@", "--"}, 1, "unexpected argument '--' after the file name '@'", Left::Absent},
        // Colours with the prefixes the usage text shows; other texts read as ever, with a warning.
        {{"-b", "0xffffff"}, 0, "", Left::Written, "CODE-128:1234567"},
        {{"-b", "#FF0000", "-r", "0X000080"}, 0, "", Left::Written},
        {{"-b", "12g456"}, 0, "Warning: -b 12g456 read as 000012", Left::Written},
        {{"-r", "1000000"}, 0, "Warning: -r 1000000 read as 000000", Left::Written},
        {{"-e", ""}, 0, "Warning: -e '' read as 000000", Left::Written},
        // Invalid data is status 6 with or without quiet zones, with the same detail.
        {{"-t", "2", "-q", "0", "-d", "abc"}, 6, "'a' at position 1: Code 39 takes 0-9, A-Z, space and - . $ / + %", Left::Absent},
        {{"-t", "2", "-d", "abc"}, 6, "'a' at position 1: Code 39 takes 0-9, A-Z, space and - . $ / + %", Left::Absent},
        {{"-t", "codabar", "-d", "A1"}, 6, "too short (2 bytes): Codabar takes 0-9 and - $ : / . + between a start and a stop letter A-D", Left::Absent},
        {{"-t", "codabar", "-d", "A12"}, 6, "'2' at position 3 is no stop letter: Codabar takes 0-9 and - $ : / . + between a start and a stop letter A-D", Left::Absent},
        {{"-t", "codabar", "-d", "A1B1B"}, 6, "'B' at position 3: Codabar takes 0-9 and - $ : / . + between a start and a stop letter A-D", Left::Absent},
        {{"-t", "3", "-d", "a\xc3\xa9"}, 6, "'\xc3\xa9' at position 2: Code 39 Extended takes ASCII 32..127 and ~hh escapes", Left::Absent},
        {{"-t", "15", "-d", "<AI10>\xc3\xa9"}, 6, "'\xc3\xa9' at position 7: UCC/EAN-128 takes ASCII from space to DEL and <AInn> markers", Left::Absent},
        {{"-t", "20", "-d", "~FF"}, 6, "no character is left after the ~ escapes: Code 93 Extended takes ASCII 32..127 and ~hh escapes", Left::Absent},
        {{"-t", "11", "-q", "0", "-d", "ABC"}, 6, "'A' at position 1: EAN-13 takes 12 or 13 digits", Left::Absent},
        {{"-t", "19", "-q", "0", "-d", "a"}, 6, "'a' at position 1: Code 93 takes 0-9, A-Z, space and - . $ / + %", Left::Absent},
        {{"-t", "7", "-q", "0", "-a", "3", "-d", "12x"}, 6, "'x' at position 3: code set C takes digits", Left::Absent},
        // -t names, any case, '-' and '_' alike; a word that is none reads as a number.
        {{"-t", "EAN-13", "-d", "590123412345"}, 0, "", Left::Written, "EAN-13:5901234123457"},
        {{"--btype=upc_a", "-d", "03600029145"}, 0, "", Left::Written, "EAN-13:0036000291452"},
        {{"-t", "Code39", "-k", "0", "-d", "KAVREN"}, 0, "", Left::Written, "CODE-39:KAVREN"},
        {{"-t", "ean99"}, 0, "Warning: -t ean99 is no symbology name; read as 0 (Interleaved 2 of 5)", Left::Written},
        {{"-t", "11x", "-d", "590123412345"}, 0, "Warning: -t 11x is no symbology name; read as 11 (EAN-13)", Left::Written, "EAN-13:5901234123457"},
        // Values that are dropped or read in part, and what was kept.
        {{"-t", "99"}, 0, "Warning: -t 99 is not a symbology (0..39); Code 128 kept", Left::Written, "CODE-128:1234567"},
        {{"-x", "abc"}, 0, "Warning: -x abc is not a number; 0 kept", Left::Written},
        {{"-x", "-5"}, 0, "Warning: -x -5 is out of range (1 and above); 0 kept", Left::Written},
        {{"-x", "300px"}, 0, "Warning: -x 300px read as 300", Left::Written},
        {{"-o", "45"}, 0, "Warning: -o 45 is out of range (0, 90, 180, 270); 0 kept", Left::Written},
        {{"-q", "yes"}, 0, "Warning: -q yes is not a number; read as 0", Left::Written},
        {{"--format", "sgv"}, 0, "Warning: --format sgv is none of png, svg, eps; ignored", Left::Written},
        {{"--unit", "cm"}, 0, "Warning: --unit cm is none of px, mm, in, mil; px kept", Left::Written},
        {{"-d", "A", "@.sgv"}, 0, "Warning: @: .sgv names no format kavren writes; written as PNG", Left::Written, "CODE-128:A"},
        {{"-t", "11", "-d", "5901234123458"}, 0, "Warning: check digit 8 replaced by 7: 5901234123457", Left::Written, "EAN-13:5901234123457"},
        {{"-t", "21", "-d", "15400141288760"}, 0, "Warning: check digit 0 replaced by 3: 15400141288763", Left::Written},
        {{"-x", "abc", "-t", "11", "-d", "12"}, 6, "Warning: -x abc is not a number; 0 kept", Left::Absent},  // after the message
        // --strict: the first warning is the error; nothing is written.
        {{"--strict", "-t", "11", "-d", "5901234123458"}, 6, "check digit 8 replaced by 7: 5901234123457", Left::Unchanged},
        {{"--strict", "-x", "300px"}, 1, "-x 300px read as 300", Left::Unchanged},
        {{"--strict", "-b", "0x12345678"}, 1, "-b 0x12345678 read as 345678", Left::Unchanged},
        {{"--strict", "-d", "A", "@.sgv"}, 1, "@: .sgv names no format kavren writes; written as PNG", Left::Absent},
        {{"--strict", "-t", "ean13", "-d", "5901234123457", "-b", "#ffffff"}, 0, "", Left::Written, "EAN-13:5901234123457"},
        // --gs1-check verifies the check digit of every GTIN-carrying symbology.
        {{"--gs1-check", "-t", "11", "-d", "5901234123458"}, 6, "check digit is 8, expected 7", Left::Absent},
        {{"--gs1-check", "-t", "10", "-d", "96385070"}, 6, "check digit is 0, expected 4", Left::Absent},
        {{"--gs1-check", "-t", "13", "-d", "036000291453"}, 6, "check digit is 3, expected 2", Left::Absent},
        {{"--gs1-check", "-t", "14", "-d", "042100005265"}, 6, "check digit is 5, expected 4", Left::Absent},
        {{"--gs1-check", "-t", "21", "-d", "15400141288760"}, 6, "check digit is 0, expected 3", Left::Absent},
        {{"--gs1-check", "-t", "10", "-d", "96385074"}, 0, "", Left::Written, "EAN-8:96385074"},
        {{"--gs1-check", "-t", "14", "-d", "042100005264"}, 0, "", Left::Written, "EAN-13:0042100005264"},
        // Every failure says why in its third line.
        {{"-t", "11", "-d", "59012341234A"}, 6, "'A' at position 12: EAN-13 takes 12 or 13 digits", Left::Absent},
        {{"-t", "11", "-d", "5901234"}, 6, "7 digits: EAN-13 takes 12 or 13 digits", Left::Absent},
        {{"-t", "11", "-d", ""}, 6, "no data: EAN-13 takes 12 or 13 digits", Left::Absent},
        {{"-t", "11", "-d", "\xc3\xa9"}, 6, "'\xc3\xa9' at position 1: EAN-13 takes 12 or 13 digits", Left::Absent},
        {{"-t", "11", "-d", "\xef\xbb\xbf" "590123412345"}, 6, "a byte-order mark at position 1: EAN-13 takes 12 or 13 digits", Left::Absent},
        {{"-t", "11", "-d", "590123412345+1"}, 6, "add-on '1': 2 or 5 digits follow the '+'", Left::Absent},
        {{"-t", "14", "-d", "24210000526"}, 6, "number system 2: UPC-E takes number system 0 or 1", Left::Absent},
        {{"-t", "0", "-d", "12\x01"}, 6, "byte \\x01 at position 3: Interleaved 2 of 5 takes digits", Left::Absent},
        // The default symbology's object is made from the data too, not
        // measured by the pattern of a default text it held before.
        {{"-t", "0", "-d", "12a4", "-o", "270", "-y", "60"}, 6, "'a' at position 3: Interleaved 2 of 5 takes digits", Left::Absent},
        // A stacked symbol's HRI, wider than the symbol, widens the image: nothing is cut.
        {{"-t", "databar-stacked", "-d", "0950110153000"}, 0, "", Left::Written, "DataBar:0109501101530003"},
        {{"-t", "39", "-d", "(01)98898765432106(3202)012345(15)261231", "--segments", "4"}, 0, "", Left::Written},
        // The matrix symbologies: capacities, forced sizes, modes, GS1 data and option values.
        {{"-t", "qr", "-d", std::string(3000, 'a')}, 6, "the data needs 3003 data codewords; QR Code holds at most 2334 at level M", Left::Absent},
        {{"-t", "qr", "--ec", "h", "-d", std::string(1300, 'a')}, 6, "the data needs 1303 data codewords; QR Code holds at most 1276 at level H", Left::Absent},
        {{"-t", "datamatrix", "-d", std::string(3200, 'a')}, 6, "the data need 2135 data codewords; Data Matrix holds at most 1558 (144x144)", Left::Absent},
        {{"-t", "micro-qr", "-d", std::string(100, 'a')}, 6, "the data needs 808 bits; Micro QR holds at most 112 at level M", Left::Absent},
        {{"-t", "qr", "--size", "1", "-d", std::string(30, 'A')}, 5, "version 1-M holds 16 data codewords; the data needs 23", Left::Absent},
        {{"-t", "datamatrix", "--size", "10x10", "-d", "Hello World"}, 5, "the data need 10 data codewords; Data Matrix 10x10 holds 3", Left::Absent},
        {{"-t", "micro-qr", "--size", "M2", "-d", "a"}, 5, "M2 holds 32 data bits; the data has characters its modes cannot take", Left::Absent},
        {{"-t", "datamatrix", "--size", "15x15", "-d", "A"}, 1, "Data Matrix has no size 15x15", Left::Absent},
        {{"-t", "datamatrix", "--size", "8x48", "-d", "A"}, 1, "Data Matrix has no size 8x48 without --dmre", Left::Absent},
        {{"-t", "datamatrix", "--size", "12", "-d", "A"}, 1, "Data Matrix sizes are ROWSxCOLUMNS (e.g. 16x16), not 12", Left::Absent},
        {{"-t", "qr", "--size", "16x16", "-d", "A"}, 1, "QR Code sizes are versions 1 to 40, not 16x16", Left::Absent},
        {{"-t", "micro-qr", "--size", "5", "-d", "1"}, 1, "Micro QR versions are M1 to M4", Left::Absent},
        {{"-t", "micro-qr", "--mask", "4", "-d", "1"}, 1, "Micro QR masks are 0 to 3", Left::Absent},
        {{"-t", "micro-qr", "--ec", "H", "-d", "1"}, 1, "Micro QR has no error correction level H", Left::Absent},
        {{"-t", "datamatrix", "--eci", "26", "-d", "A"}, 1, "Data Matrix is drawn without an ECI designator: --eci is for QR Code", Left::Absent},
        {{"-t", "qr", "--eci", "20", "-d", "ab\xe3 "}, 6, "byte \\xe3 at position 3 is no Shift JIS character, which ECI 20 declares and Kanji mode takes", Left::Absent},
        {{"-t", "gs1-qr", "--gs1-check", "-d", "(01)09501101530004"}, 6, "AI (01): check digit is 3, not 4", Left::Absent},
        {{"-t", "gs1-datamatrix", "-d", "hello"}, 6, "GS1 data must start with an AI, as (01) or <AI01>", Left::Absent},
        {{"--digital-link", "https://id.gs1.org", "-d", "(01)09501101530004"}, 6, "AI (01): check digit is 3, not 4", Left::Absent},
        {{"--digital-link", "id.gs1.org", "-d", "(01)09501101530003"}, 1, "a GS1 Digital Link prefix starts with https:// or http://", Left::Absent},
        {{"--digital-link", "https://id.gs1.org", "-d", "(01)09501101530003(10)AB/1"}, 0, "", Left::Written, "QR-Code:https://id.gs1.org/01/09501101530003/10/AB%2F1"},
        {{"-t", "qr", "--size", "M5", "-d", "A"}, 0, "Warning: --size M5 is no symbol size (1..40, M1..M4 or ROWSxCOLUMNS); the smallest kept", Left::Written, "QR-Code:A"},
        {{"-t", "qr", "--mask", "8", "-d", "A"}, 0, "Warning: --mask 8 is out of range (0..7); automatic kept", Left::Written, "QR-Code:A"},
        {{"-t", "qr", "--ec", "x", "-d", "A"}, 0, "Warning: --ec x is none of l, m, q, h; m kept", Left::Written, "QR-Code:A"},
        {{"--strict", "-t", "qr", "--eci", "1000000", "-d", "A"}, 1, "--eci 1000000 is out of range (0..999999); none kept", Left::Unchanged},
        {{"-x", "100000000"}, 3, "image width 100000000 exceeds 1,000,000 pixels", Left::Unchanged},
        {{"-d", "12345", "-m", "60"}, 0, "Warning: the human-readable text does not fit the image: part of it is cut", Left::Written, "CODE-128:12345"},
        {{"--strict", "-d", "12345", "-m", "60"}, 6, "the human-readable text does not fit the image: part of it is cut", Left::Unchanged},
        {{"-n", "1e8"}, 3, "image width at a module of 100000000 pixels exceeds 1,000,000 pixels", Left::Unchanged},
        {{"-n", "1e8", "@.svg"}, 3, "image width at a module of 100000000 pixels exceeds 1,000,000 pixels", Left::Absent},
        {{"--font", "/no/such/g.ttf"}, 3, "font /no/such/g.ttf: No such file or directory", Left::Absent},
        {{"--font", text, "@.svg"}, 3, "font " + text + ": not a TrueType or OpenType font", Left::Absent},
    };
    // clang-format on
    const std::string second = kt::ScratchPath("second.png");
    for (const Case& c : cases) {
        std::string path = kt::ScratchPath("said.png");
        for (const std::string& a : c.args)
            if (a.starts_with("@."))
                path = kt::ScratchPath("said" + a.substr(1));
        Args args;
        for (const std::string& a : c.args)
            args.push_back(a == "@2" ? second : a.starts_with("@") ? path : a);
        if (std::none_of(c.args.begin(), c.args.end(), [](const std::string& a) { return a.starts_with("@"); }))
            args.push_back(path);
        if (c.left == Left::Unchanged)
            kt::WriteFile(path, "keep me");
        else
            std::remove(path.c_str());
        kt::WriteFile(second, "second");
        std::string line = c.line;
        for (std::size_t at; (at = line.find("@2")) != std::string::npos;)
            line.replace(at, 2, second);
        for (std::size_t at; (at = line.find('@')) != std::string::npos;)
            line.replace(at, 1, path);

        const kt::RunResult r = kt::RunKavren(args);
        SCOPED_TRACE(Describe(args) + "\n" + r.err);
        EXPECT_EQ(r.status, c.status);
        if (c.status != 0) {
            EXPECT_TRUE(r.err.starts_with(Failure(ErrorMessage(c.status))));
        }
        if (line.empty()) {
            EXPECT_EQ(r.err, c.status == 0 ? "" : Failure(ErrorMessage(c.status)));
        } else {
            EXPECT_NE(("\n" + r.err).find("\n" + line + "\n"), std::string::npos);
        }
        EXPECT_EQ(kt::ReadFile(second), "second");
        switch (c.left) {
        case Left::Written: EXPECT_TRUE(kt::ReadFile(path).starts_with("\x89PNG") || path.ends_with(".svg")); break;
        case Left::Unchanged: EXPECT_EQ(kt::ReadFile(path), "keep me"); break;
        case Left::Absent: EXPECT_FALSE(kt::FileExists(path)); break;
        }
        if (!c.decoded.empty()) {
            EXPECT_EQ(kt::Zbar(path), std::vector<std::string>{c.decoded});
        }
    }
}

TEST(Driver, SettingsReachTheDecodedSymbol)
{
    // Orientation, module width, colours and type all come through the driver.
    struct Case {
        Args args;
        std::string decoded;
    };
    // clang-format off
    const Case cases[] = {
        {{"-d", "kavren-42"}, "CODE-128:kavren-42"},
        {{"--data=Orient 90", "-o", "90"}, "CODE-128:Orient 90"},
        {{"--data=Orient 180", "--orient", "180"}, "CODE-128:Orient 180"},
        {{"--data=Orient 270", "--or=270", "-n", "3"}, "CODE-128:Orient 270"},
        {{"-d", "Narrow", "-n", "1"}, "CODE-128:Narrow"},
        {{"-d", "Colour", "-r", "000080", "-b", "ffffc0", "-e", "ff0000"}, "CODE-128:Colour"},
        {{"-d", "Fixed", "-x", "500", "-y", "120", "-g", "0"}, "CODE-128:Fixed"},
        {{"-t", "11", "-d", "400638133393"}, "EAN-13:4006381333931"},
        {{"-t", "11", "-d", "400638133393", "-x", "300", "-s", "0"}, "EAN-13:4006381333931"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::string path = kt::ScratchPath("decoded.png");
        std::remove(path.c_str());
        const kt::RunResult r = kt::RunKavren(With(c.args, path));
        ASSERT_EQ(r.status, 0) << Describe(c.args) << r.err;
        EXPECT_EQ(kt::Zbar(path), std::vector<std::string>{c.decoded}) << Describe(c.args);
    }
}

} // namespace
