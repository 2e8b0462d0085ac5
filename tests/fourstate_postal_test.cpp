// Royal Mail 4-State Customer Code, KIX and the Australia Post barcodes: the
// bars drawn into a PNG, read back by the tests' bar reader and decoded with
// the codes' tables by decoders of this file.
#include "symbologies/FourState.h"
#include "tests/image_vector_support.h"
#include "tests/support/FourStateReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using kavren::detail::EncodeFunction;
using kavren::detail::EncodeResult;

std::string Bars(EncodeFunction encode, const std::string& data, const kavren::Options& options = {})
{
    const EncodeResult result = encode(options, data);
    return result ? kt::BarsThroughPng(result.symbol) : "[" + result.detail + "]";
}

// ---- Royal Mail and KIX ----

// Row (ascenders) or column (descenders) 1..6 of the character matrix: the
// two of the character's four bars that carry them.
constexpr std::array<std::array<int, 2>, 6> kMatrixBars = {{{2, 3}, {1, 3}, {1, 2}, {0, 3}, {0, 2}, {0, 1}}};
constexpr std::string_view kMatrix = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

int MatrixIndex(const std::string& group, bool ascenders)
{
    std::array<bool, 4> marked{};
    for (std::size_t i = 0; i < 4; ++i) {
        const char bar = group[i];
        marked[i] = bar == 'F' || bar == (ascenders ? 'A' : 'D');
    }
    for (std::size_t index = 0; index < kMatrixBars.size(); ++index) {
        std::array<bool, 4> expected{};
        expected[static_cast<std::size_t>(kMatrixBars[index][0])] = true;
        expected[static_cast<std::size_t>(kMatrixBars[index][1])] = true;
        if (expected == marked) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

// The characters of 4-bar groups; '?' for a group that is none.
std::string MatrixCharacters(const std::string& bars)
{
    std::string text;
    for (std::size_t at = 0; at + 4 <= bars.size(); at += 4) {
        const int row = MatrixIndex(bars.substr(at, 4), true);
        const int column = MatrixIndex(bars.substr(at, 4), false);
        text += row < 0 || column < 0 ? '?' : kMatrix[static_cast<std::size_t>(row * 6 + column)];
    }
    return bars.size() % 4 == 0 ? text : std::string("[").append(std::to_string(bars.size())).append(" bars]");
}

// Royal Mail: start bar (ascender), characters, check character, stop bar
// (full); the data without the check, or a message in brackets.
std::string DecodeRm4scc(const std::string& bars)
{
    if (bars.size() < 2 || bars.front() != 'A' || bars.back() != 'F') {
        return "[start/stop]";
    }
    const std::string text = MatrixCharacters(bars.substr(1, bars.size() - 2));
    if (text.empty() || text[0] == '[') {
        return text;
    }
    int rows = 0;
    int columns = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const auto index = static_cast<int>(kMatrix.find(text[i]));
        rows += index / 6 + 1;
        columns += index % 6 + 1;
    }
    const char check = kMatrix[static_cast<std::size_t>(((rows - 1) % 6) * 6 + (columns - 1) % 6)];
    return text.back() == check ? text.substr(0, text.size() - 1) : "[check " + text + "]";
}

TEST(Rm4sccTest, KnownCharactersAndCheck)
{
    // '0' ascenders and descenders on bars 3 and 4, 'Z' on 1 and 2; the
    // check of 'SN34RD1A' is 'K'.
    EXPECT_EQ(Bars(kavren::detail::EncodeKix, "0Z1"), "TTFFFFTTTDAF");
    const std::string bars = Bars(kavren::detail::EncodeRm4scc, "SN34RD1A");
    EXPECT_EQ(MatrixCharacters(bars.substr(1, bars.size() - 2)), "SN34RD1AK");
}

struct MatrixRow {
    const char* data;
    const char* read; // null: refused
};
// Both codes take letters and digits, lower case as upper case.
constexpr MatrixRow kMatrixRows[] = {
    {"A", "A"},
    {"0", "0"},
    {"Z", "Z"},
    {"0123456789", "0123456789"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
    {"2500gg30250", "2500GG30250"},
    {"", nullptr},
    {"AB-12", nullptr},
    {"AB 12", nullptr},
    {"\xc4", nullptr},
};

TEST(Rm4sccTest, RoundTripAndRefusals)
{
    for (const MatrixRow& row : kMatrixRows) {
        const std::string bars = Bars(kavren::detail::EncodeRm4scc, row.data);
        if (row.read == nullptr) {
            EXPECT_EQ(bars[0], '[') << row.data;
            continue;
        }
        EXPECT_EQ(bars.size(), 4 * std::string_view(row.read).size() + 6) << row.data;
        EXPECT_EQ(DecodeRm4scc(bars), row.read);
    }
}

TEST(KixTest, RoundTripAndRefusals)
{
    for (const MatrixRow& row : kMatrixRows) {
        const std::string bars = Bars(kavren::detail::EncodeKix, row.data);
        if (row.read == nullptr) {
            EXPECT_EQ(bars[0], '[') << row.data;
            continue;
        }
        EXPECT_EQ(MatrixCharacters(bars), row.read);
    }
}

TEST(Rm4sccTest, TextHasTheCheckCharacterWhenShown)
{
    kavren::Options options;
    EXPECT_TRUE(kavren::detail::EncodeRm4scc(options, "SN34RD1A").symbol.texts.empty());
    options.hri = true;
    EXPECT_EQ(kavren::detail::EncodeRm4scc(options, "sn34rd1a").symbol.texts.at(0).text, "SN34RD1AK");
    options.showCheckDigit = false;
    EXPECT_EQ(kavren::detail::EncodeRm4scc(options, "SN34RD1A").symbol.texts.at(0).text, "SN34RD1A");
    EXPECT_EQ(kavren::detail::EncodeKix(options, "2500gg30250").symbol.texts.at(0).text, "2500GG30250");
}

// ---- Australia Post ----

// N table: digit -> two bar values; C table: three bar values (base 4) ->
// character. Bar values: F 0, A 1, D 2, T 3.
constexpr std::array<const char*, 10> kNTable = {"00", "01", "02", "10", "11", "12", "20", "21", "22", "30"};
constexpr std::string_view kCTable = "ABC DEF#GHIabcdeJKLfMNOgPQRhijklSTUmVWXnYZ0opqrs123t456u789vwxyz";

int BarValue(char bar)
{
    return static_cast<int>(std::string_view("FADT").find(bar));
}

// GF(64), x^6 + x + 1: a * b by shift and add.
int GfMultiply(int a, int b)
{
    int product = 0;
    for (; b != 0; b >>= 1) {
        if ((b & 1) != 0) {
            product ^= a;
        }
        a <<= 1;
        if ((a & 0x40) != 0) {
            a ^= 0x43;
        }
    }
    return product;
}

// The codeword (data and parity symbols) evaluated at a^1..a^4 is all zero.
bool SyndromesAreZero(const std::vector<int>& symbols)
{
    int alpha = 1;
    for (int root = 1; root <= 4; ++root) {
        alpha = GfMultiply(alpha, 2);
        int value = 0;
        for (const int symbol : symbols) {
            value = GfMultiply(value, alpha) ^ symbol;
        }
        if (value != 0) {
            return false;
        }
    }
    return true;
}

std::string DecodeN(const std::string& values)
{
    std::string digits;
    for (std::size_t at = 0; at + 2 <= values.size(); at += 2) {
        char digit = '?';
        for (std::size_t d = 0; d < kNTable.size(); ++d) {
            if (values.compare(at, 2, kNTable[d]) == 0) {
                digit = static_cast<char>('0' + d);
            }
        }
        digits += digit;
    }
    return digits;
}

// "FCC:DPID" and the customer information after a space (N or C table);
// a message in brackets when the bars are wrong.
std::string DecodeAusPost(const std::string& bars, bool numeric, std::size_t customerCharacters)
{
    if (bars.size() < 18 || bars.compare(0, 2, "AT") != 0 || bars.compare(bars.size() - 2, 2, "AT") != 0) {
        return "[start/stop]";
    }
    std::string values;
    for (const char bar : bars.substr(2, bars.size() - 4)) {
        values += static_cast<char>('0' + BarValue(bar));
    }
    if (values.size() % 3 != 0) {
        return "[length]";
    }
    std::vector<int> symbols;
    for (std::size_t at = 0; at < values.size(); at += 3) {
        symbols.push_back((values[at] - '0') * 16 + (values[at + 1] - '0') * 4 + (values[at + 2] - '0'));
    }
    if (!SyndromesAreZero(symbols)) {
        return "[parity]";
    }
    std::string text = DecodeN(values.substr(0, 4)) + ":" + DecodeN(values.substr(4, 16));
    std::size_t at = 20;
    if (customerCharacters > 0) {
        text += ' ';
        for (std::size_t i = 0; i < customerCharacters; ++i) {
            if (numeric) {
                text += DecodeN(values.substr(at, 2));
                at += 2;
            } else {
                text += kCTable[static_cast<std::size_t>(
                    (values[at] - '0') * 16 + (values[at + 1] - '0') * 4 + (values[at + 2] - '0'))];
                at += 3;
            }
        }
    }
    const std::string filler = values.substr(at, values.size() - 12 - at);
    return filler.find_first_not_of('3') == std::string::npos ? text : "[filler " + filler + "]";
}

struct AusPostRow {
    EncodeFunction encode;
    const char* data;
    std::size_t bars;     // 0: refused
    bool numeric;         // customer information in the N table
    std::size_t customer; // its characters
    const char* read;
};
const AusPostRow kAusPostRows[] = {
    {kavren::detail::EncodeAusPost, "39987520", 37, true, 0, "11:39987520"},
    {kavren::detail::EncodeAusPost, "00000000", 37, true, 0, "11:00000000"},
    {kavren::detail::EncodeAusPost, "99999999", 37, true, 0, "11:99999999"},
    {kavren::detail::EncodeAusPost, "32211324Ab #9", 52, false, 5, "59:32211324 Ab #9"},
    {kavren::detail::EncodeAusPost, "3221132412345", 52, false, 5, "59:32211324 12345"},
    {kavren::detail::EncodeAusPost, "3221132401234567", 52, true, 8, "59:32211324 01234567"},
    {kavren::detail::EncodeAusPost, "79438541zZ09 #aAyY", 67, false, 10, "62:79438541 zZ09 #aAyY"},
    {kavren::detail::EncodeAusPost, "79438541012345678901234", 67, true, 15, "62:79438541 012345678901234"},
    {kavren::detail::EncodeAusPostReply, "12345678", 37, true, 0, "45:12345678"},
    {kavren::detail::EncodeAusPostRouting, "12345678", 37, true, 0, "87:12345678"},
    {kavren::detail::EncodeAusPostRedirect, "12345678", 37, true, 0, "92:12345678"},
    {kavren::detail::EncodeAusPost, "", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "1234567", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "123456789", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "123456789012", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "12345678901234", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "123456789012345", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "12345678901234567", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "1234567890123456789", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "123456789012345678901234", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "1234567A", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPost, "123456789012345A", 0, true, 0, nullptr}, // 16: N table, digits only
    {kavren::detail::EncodeAusPost, "12345678Ab-#9", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPostReply, "1234567", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPostRouting, "123456789", 0, true, 0, nullptr},
    {kavren::detail::EncodeAusPostRedirect, "1234567X", 0, true, 0, nullptr},
};

TEST(AusPostTest, FormatsRoundTripWithParity)
{
    for (const AusPostRow& row : kAusPostRows) {
        const std::string bars = Bars(row.encode, row.data);
        if (row.bars == 0) {
            EXPECT_EQ(bars[0], '[') << row.data;
            continue;
        }
        EXPECT_EQ(bars.size(), row.bars) << row.data;
        EXPECT_EQ(DecodeAusPost(bars, row.numeric, row.customer), row.read);
    }
}

// Every C table character survives, one at each position of a Customer 3
// field of ten.
TEST(AusPostTest, EveryCTableCharacter)
{
    for (std::size_t at = 0; at < kCTable.size(); at += 10) {
        std::string info(kCTable.substr(at, 10));
        info.resize(10, 'A');
        const std::string bars = Bars(kavren::detail::EncodeAusPost, "12345678" + info);
        EXPECT_EQ(DecodeAusPost(bars, false, 10), "62:12345678 " + info);
    }
}

// At the nominal bar width (0.5 mm) each code keeps its printed dimensions:
// bars per 25.4 mm, tracker height and ascender (tracker included) height.
struct GeometryRow {
    EncodeFunction encode;
    const char* data;
    double minPerInch, maxPerInch;
    double minTracker, maxTracker;
    double minAscender, maxAscender;
};
const GeometryRow kGeometryRows[] = {
    {kavren::detail::EncodeRm4scc, "SN34RD1A", 20, 24, 1.02, 1.52, 2.62, 3.68},
    {kavren::detail::EncodeKix, "2500GG30250", 20, 24, 1.02, 1.52, 2.62, 3.68},
    {kavren::detail::EncodeAusPost, "39987520", 22, 25, 1.00, 1.60, 2.60, 3.70},
    {kavren::detail::EncodeAusPostRedirect, "39987520", 22, 25, 1.00, 1.60, 2.60, 3.70},
};

TEST(FourStateGeometryTest, NominalDimensionsInMillimetres)
{
    constexpr double kModule = 0.5;
    for (const GeometryRow& row : kGeometryRows) {
        const EncodeResult result = row.encode(kavren::Options{}, row.data);
        ASSERT_TRUE(result) << row.data;
        const kavren::detail::EncodedSymbol& symbol = result.symbol;
        ASSERT_EQ(symbol.rows.size(), 3U);
        const double perInch = 25.4 / (symbol.darks.at(1).start.modules * kModule);
        EXPECT_GE(perInch, row.minPerInch) << row.data;
        EXPECT_LE(perInch, row.maxPerInch) << row.data;
        const double tracker = symbol.rows[1].height * kModule;
        EXPECT_GE(tracker, row.minTracker) << row.data;
        EXPECT_LE(tracker, row.maxTracker) << row.data;
        EXPECT_GE((symbol.rows[0].height + symbol.rows[1].height) * kModule, row.minAscender) << row.data;
        EXPECT_LE((symbol.rows[0].height + symbol.rows[1].height) * kModule, row.maxAscender) << row.data;
        EXPECT_EQ(symbol.rows[0], symbol.rows[2]) << row.data;
    }
}

} // namespace

// ---- Through the command line ----

namespace {

std::string ReadAusPostStandard(const std::string& bars)
{
    return DecodeAusPost(bars, true, 0);
}

std::string ReadAusPostCustomer2(const std::string& bars)
{
    return DecodeAusPost(bars, false, 5);
}

// Each code with its specification's example, drawn by the program at its
// default (nominal) module and read back from the picture: the read text, and
// at 300 dpi in the standard's unit the bar width, the full bar and the pitch
// within the standard's limits (in that unit).
struct CliRow {
    const char* type;
    const char* data;
    std::string (*decode)(const std::string& bars);
    const char* read;
    const char* unit;
    double minWidth, maxWidth, minFull, maxFull, minPerInch, maxPerInch;
};
const CliRow kCliRows[] = {
    {"imb", "01234567094987654321-01234567891", kt::DecodeImb, "01234567094987654321-01234567891", "in", 0.015,
     0.025, 0.125, 0.165, 20, 24},
    {"rm4scc", "SN34RD1A", DecodeRm4scc, "SN34RD1A", "mm", 0.38, 0.63, 4.22, 5.84, 20, 24},
    {"kix", "2500GG30250", MatrixCharacters, "2500GG30250", "mm", 0.38, 0.63, 4.22, 5.84, 20, 24},
    {"auspost", "39987520", ReadAusPostStandard, "11:39987520", "mm", 0.40, 0.60, 4.2, 5.8, 22, 25},
    {"auspost", "32211324Ab #9", ReadAusPostCustomer2, "59:32211324 Ab #9", "mm", 0.40, 0.60, 4.2, 5.8, 22, 25},
    {"auspost-reply", "12345678", ReadAusPostStandard, "45:12345678", "mm", 0.40, 0.60, 4.2, 5.8, 22, 25},
    {"auspost-routing", "12345678", ReadAusPostStandard, "87:12345678", "mm", 0.40, 0.60, 4.2, 5.8, 22, 25},
    {"auspost-redirect", "12345678", ReadAusPostStandard, "92:12345678", "mm", 0.40, 0.60, 4.2, 5.8, 22, 25},
};

// The picture of the file the program wrote: the PNG itself, the SVG through
// rsvg-convert, the EPS through Ghostscript, each at 96 dpi.
kt::Raster Picture(const std::string& path, const std::string& extension, const std::string& name)
{
    kt::Raster raster;
    if (extension == "svg")
        return kt::RenderSvg(kt::ReadFile(path), name);
    if (extension == "eps")
        return kt::RenderEps(kt::ReadFile(path), name);
    EXPECT_TRUE(kt::ReadPng(path, raster)) << name;
    return raster;
}

// Widths and starts of the bars along the tracker's row, and the tallest
// dark column: pixels.
struct Measures {
    int bars = 0;
    int widest = 0;
    int narrowest = 0;
    int span = 0; // first bar's start to the last bar's start
    int full = 0;
};

Measures Measure(const kt::Raster& raster)
{
    Measures m;
    int bestRow = 0;
    std::size_t most = 0;
    for (int y = 0; y < raster.height; ++y) {
        std::size_t count = 0;
        for (const kt::Run& run : kt::RowRuns(raster, y))
            count += run.dark ? 1 : 0;
        if (count > most)
            most = count, bestRow = y;
    }
    int x = 0;
    int first = -1;
    for (const kt::Run& run : kt::RowRuns(raster, bestRow)) {
        if (run.dark) {
            first = first < 0 ? x : first;
            m.span = x - first;
            m.widest = std::max(m.widest, run.length);
            m.narrowest = m.bars == 0 ? run.length : std::min(m.narrowest, run.length);
            ++m.bars;
        }
        x += run.length;
    }
    for (int column = 0; column < raster.width; ++column)
        for (const kt::Run& run : kt::ColumnRuns(raster, column))
            if (run.dark)
                m.full = std::max(m.full, run.length);
    return m;
}

} // namespace

TEST(FourStateCommandLineTest, EveryCodeOrientationAndFormatReadsBack)
{
    for (const CliRow& row : kCliRows) {
        for (const int orientation : {0, 90, 180, 270}) {
            for (const std::string extension : {"png", "svg", "eps"}) {
                const std::string name =
                    std::string(row.type) + "-" + std::to_string(orientation) + "-" + std::to_string(row.data[1]);
                SCOPED_TRACE(name + "." + extension);
                const std::string path = kt::ScratchPath(name + "." + extension);
                const kt::RunResult run =
                    kt::RunKavren({"-t", row.type, "-d", row.data, "-o", std::to_string(orientation), path});
                ASSERT_EQ(run.status, 0) << run.err;
                const kt::Raster raster = Picture(path, extension, name);
                EXPECT_EQ(row.decode(kt::ReadFourStateBars(raster, orientation)), row.read);
            }
        }
    }
}

TEST(FourStateCommandLineTest, DefaultModuleMeetsTheStandardAt300Dpi)
{
    for (const CliRow& row : kCliRows) {
        SCOPED_TRACE(row.type);
        const std::string path = kt::ScratchPath(std::string(row.type) + "-300.png");
        const kt::RunResult run = kt::RunKavren({"-t", row.type, "-d", row.data, "--unit", row.unit, "--dpi",
                                                 "300", "-y", "20", path});
        ASSERT_EQ(run.status, 0) << run.err;
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(path, raster));
        const Measures m = Measure(raster);
        const double perUnit = std::string_view(row.unit) == "in" ? 300.0 : 300.0 / 25.4;
        EXPECT_GE(m.narrowest / perUnit, row.minWidth);
        EXPECT_LE(m.widest / perUnit, row.maxWidth);
        EXPECT_GE(m.full / perUnit, row.minFull);
        EXPECT_LE(m.full / perUnit, row.maxFull);
        const double perInch = (m.bars - 1) * 300.0 / m.span;
        EXPECT_GE(perInch, row.minPerInch);
        EXPECT_LE(perInch, row.maxPerInch);
        // A taller image than the symbol leaves the bars as they are.
        EXPECT_EQ(raster.height, static_cast<int>(20 * perUnit + 0.5));
    }
}
