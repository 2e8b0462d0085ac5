// Data Matrix: codewords of the standard's examples, the encodation at each
// switch of scheme and each end-of-data rule, the capacity of the sizes, and
// the symbols read back by dmtxread and ZXingReader.
#include "symbologies/DataMatrix.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using namespace kavren::detail;

std::vector<std::int32_t> Values(std::string_view data)
{
    std::vector<std::int32_t> values;
    for (const char c : data)
        values.push_back(c == '\x1d' ? kDataMatrixFnc1 : static_cast<unsigned char>(c));
    return values;
}

std::string Hex(const std::vector<std::uint8_t>& codewords)
{
    std::string text;
    for (const std::uint8_t c : codewords)
        text.append(text.empty() ? "" : " ").append(std::to_string(c));
    return text;
}

// The symbol as a PNG of 4 pixels a module with a quiet zone of 2 modules.
std::string WritePng(const std::vector<bool>& modules, int width, int height, const std::string& name)
{
    constexpr int kScale = 4;
    constexpr int kQuiet = 2;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>((width + 2 * kQuiet) * kScale);
    image.height = static_cast<png_uint_32>((height + 2 * kQuiet) * kScale);
    image.format = PNG_FORMAT_GRAY;
    std::vector<png_byte> pixels(static_cast<std::size_t>(image.width) * image.height, 255);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (modules[static_cast<std::size_t>(y * width + x)])
                for (int dy = 0; dy < kScale; ++dy)
                    for (int dx = 0; dx < kScale; ++dx)
                        pixels[static_cast<std::size_t>((y + kQuiet) * kScale + dy) * image.width +
                               static_cast<std::size_t>((x + kQuiet) * kScale + dx)] = 0;
    const std::string path = kt::ScratchPath(name + ".png");
    png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr);
    return path;
}

struct Symbol {
    const DataMatrixSize* size = nullptr;
    std::vector<std::uint8_t> data; // padded data codewords
    std::vector<bool> modules;
};

Symbol Encode(std::string_view data, bool dmre = false, int rows = 0, int columns = 0)
{
    Symbol symbol;
    std::vector<std::int32_t> capacities;
    std::vector<const DataMatrixSize*> sizes;
    for (const DataMatrixSize& size : DataMatrixSizes())
        if (rows ? size.rows == rows && size.columns == columns : (size.rows == size.columns || dmre)) {
            sizes.push_back(&size);
            capacities.push_back(size.dataCodewords);
        }
    if (dmre && rows == 0) // smallest area first, as the encoder orders them
        for (std::size_t i = 1; i < sizes.size(); ++i)
            for (std::size_t j = i; j > 0 && sizes[j]->rows * sizes[j]->columns < sizes[j - 1]->rows * sizes[j - 1]->columns; --j) {
                std::swap(sizes[j], sizes[j - 1]);
                std::swap(capacities[j], capacities[j - 1]);
            }
    symbol.data = DataMatrixDataCodewords(Values(data), capacities).codewords;
    for (std::size_t i = 0; i < sizes.size() && !symbol.data.empty(); ++i)
        if (capacities[i] == static_cast<std::int32_t>(symbol.data.size())) {
            symbol.size = sizes[i];
            break;
        }
    if (symbol.size)
        symbol.modules = DataMatrixModules(DataMatrixWithErrorCorrection(symbol.data, *symbol.size), *symbol.size);
    return symbol;
}

// What dmtxread decodes (GS1 FNC1 shown as <GS>), and the codewords it saw.
std::string DmtxRead(const std::string& path, bool gs1 = false)
{
    return kt::RunCommand("dmtxread -N1 -m 4000 " + std::string(gs1 ? "-G 29 " : "") + path).out;
}

// What ZXingReader decodes: the text of its one line `DataMatrix "..."`.
std::string ZXingRead(const std::string& path)
{
    const std::vector<std::string> texts = kt::ZXingTexts(path, "-format DataMatrix");
    if (texts.size() != 1)
        return std::string("(").append(std::to_string(texts.size())).append(" symbols)");
    const std::string& text = texts[0];
    const std::size_t open = text.find('"');
    return open == std::string::npos || text.size() < open + 2 ? text : text.substr(open + 1, text.size() - open - 2);
}

// The symbology identifier ZXingReader reports, then its text.
std::string ZXingWithIdentifier(const std::string& path)
{
    std::string identifier = kt::RunCommand("ZXingReader -format DataMatrix " + path + " | sed -n 's/^Identifier: *//p'").out;
    while (!identifier.empty() && identifier.back() == '\n')
        identifier.pop_back();
    return identifier + ZXingRead(path);
}

std::string Escaped(std::string_view data)
{
    std::string text;
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte >= 127) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "<%02X>", byte);
            text += byte == 29 ? "<GS>" : byte == 13 ? "<CR>" : byte == 10 ? "<LF>" : byte == 9 ? "<HT>" : buffer;
        } else {
            text += c;
        }
    }
    return text;
}

// ISO/IEC 16022 Annex O: "123456" in ASCII digit pairs in a 10 x 10 symbol,
// with its five error correction codewords.
TEST(DataMatrixCodewords, StandardExample)
{
    const Symbol symbol = Encode("123456");
    ASSERT_NE(symbol.size, nullptr);
    EXPECT_EQ(symbol.size->rows, 10);
    EXPECT_EQ(Hex(DataMatrixWithErrorCorrection(symbol.data, *symbol.size)), "142 164 186 114 25 5 88 102");
}

// Each switch of scheme, each end-of-data rule and the capacity limits:
// the data, the symbol size, and the data codewords up to `prefix` digits.
struct EncodationRow {
    const char* name;
    std::string data;
    int rows; // the size chosen, or forced when `forced`
    int columns;
    std::string codewords; // the data codewords, padding included ("": not compared; "none": fits no size)
    bool forced = false;
};

std::string Repeat(std::string_view text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

const std::vector<EncodationRow> kEncodation{
    // ASCII: digit pairs, a lone digit, upper shift, the randomised pad.
    {"DigitPairs", "123456", 10, 10, "142 164 186"},
    {"LoneDigit", "12345", 10, 10, "142 164 54"},
    {"UpperShift", "\xe9", 10, 10, "235 106 129"},
    {"PadRandomised", "A", 10, 10, "66 129 70"},
    // C40 triplets, the unlatch before padding.
    {"C40", "AIMAIMAIM", 14, 14, "230 91 11 91 11 91 11 254"},
    // C40 with two codewords left and two values (padded by shift 1) and with
    // one left (the last character in ASCII): no unlatch. Paths as short
    // exist that end otherwise, so only the size and the reading count.
    {"C40TwoValuesLeft", Repeat("AIM", 23) + "AB", 16, 48, "", true},
    {"C40OneLeftAscii", Repeat("AIM", 5) + "A", 16, 16, ""},
    // Text for lower case; C40 for upper case with a shifted character.
    {"Text", "aimaimaim", 14, 14, "239 91 11 91 11 91 11 254"},
    {"C40Shifted", "AIMAIMAIMAIMa", 0, 0, ""},
    // X12 for its 40 characters.
    {"X12", Repeat("A*>\r", 3), 16, 16, "238 87 171 2 50 12 143 6 145 254 129 147"},
    {"X12ThenAscii", Repeat("A*>\r", 3) + "a", 0, 0, ""},
    // EDIFACT: groups of four; two codewords left take ASCII with the unlatch implied.
    {"Edifact", Repeat("A@[\\", 3), 16, 16, "240 4 6 220 4 6 220 4 6 220 129 147"},
    {"EdifactUnlatch", Repeat("A@[\\", 4) + "a", 0, 0, ""},
    {"EdifactUnlatch1", Repeat("A@[\\", 4) + "@abcdefgh", 0, 0, ""},
    {"EdifactUnlatch2", Repeat("A@[\\", 4) + "@@abcdefgh", 0, 0, ""},
    {"EdifactUnlatch3", Repeat("A@[\\", 4) + "@@@abcdefgh", 0, 0, ""},
    // Base 256 with its length field and randomising.
    {"Base256", "\x80\x81\x82\x83\x84\x85\x86\x87", 16, 16, "231 52 65 216 110 5 156 50 201 95 129 147"},
    {"Base256Long", std::string(300, '\xf0'), 72, 72, ""},
    {"Mixed", "Hello, World! 0123456789 \xc4\xd6\xdc abc ABC DEF", 0, 0, ""},
    // The capacity of a size: exactly full, and one codeword over.
    {"Full10x10", "123456", 10, 10, "142 164 186", true},
    {"Over10x10", "1234567", 10, 10, "none", true},
    {"Full8x18", "ABCDE", 8, 18, "66 67 68 69 70", true},
    // The largest symbol; one digit more fits none.
    {"Largest", std::string(3116, '7'), 144, 144, ""},
    {"TooLong", std::string(3117, '7'), 0, 0, "none"},
    // GS1: FNC1 first in ASCII, as separator after a variable-length field.
    {"Gs1", "\x1d" "10ABCDEFGHIJ\x1d" "21XYZ", 0, 0, ""},
};

class DataMatrixEncodation : public testing::TestWithParam<EncodationRow> {};

TEST_P(DataMatrixEncodation, CodewordsAndSize)
{
    const EncodationRow& row = GetParam();
    const Symbol symbol = row.forced ? Encode(row.data, false, row.rows, row.columns) : Encode(row.data);
    if (row.codewords == "none") {
        EXPECT_EQ(symbol.size, nullptr);
        return;
    }
    ASSERT_NE(symbol.size, nullptr);
    if (row.rows > 0) {
        EXPECT_EQ(symbol.size->rows, row.rows);
        EXPECT_EQ(symbol.size->columns, row.columns);
    }
    if (!row.codewords.empty()) {
        EXPECT_EQ(Hex(symbol.data), row.codewords);
    }
    const std::string path = WritePng(symbol.modules, symbol.size->columns, symbol.size->rows, row.name);
    const bool gs1 = !row.data.empty() && row.data[0] == '\x1d';
    const std::string& expected = row.data; // dmtxread shows the first FNC1 too
    if (row.data.size() < 1000) { // dmtxread is slow on the large sizes
        EXPECT_EQ(Escaped(DmtxRead(path, gs1)), Escaped(expected)) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, DataMatrixEncodation, testing::ValuesIn(kEncodation),
                         [](const auto& info) { return std::string(info.param.name); });


// Every size, full of digit pairs and half full of text (padding), read by
// ZXingReader and, but for the DMRE sizes, dmtxread.
TEST(DataMatrixSizes, EverySizeReads)
{
    for (const DataMatrixSize& size : DataMatrixSizes()) {
        const std::string name = std::to_string(size.rows) + "x" + std::to_string(size.columns);
        std::string digits;
        for (int i = 0; i < 2 * size.dataCodewords; ++i)
            digits += static_cast<char>('0' + (i * 7 + i / 10) % 10);
        const std::string text =
            Repeat("Data Matrix, ECC 200: ", size.dataCodewords / 22 + 1).substr(0, static_cast<std::size_t>(size.dataCodewords / 2));
        for (const std::string& data : {digits, text}) {
            const Symbol symbol = Encode(data, true, size.rows, size.columns);
            ASSERT_NE(symbol.size, nullptr) << name;
            const std::string path = WritePng(symbol.modules, size.columns, size.rows, name);
            EXPECT_EQ(ZXingRead(path), data) << name;
            if (!size.dmre && size.rows <= 64) { // dmtxread takes seconds on the larger sizes
                EXPECT_EQ(DmtxRead(path), data) << name;
            }
        }
    }
}

// The modules of an encoded matrix symbol, from its dark rectangles.
std::vector<bool> ModulesOf(const EncodedSymbol& symbol, int& width, int& height)
{
    width = static_cast<int>(symbol.length.modules);
    height = static_cast<int>(symbol.rows.size());
    std::vector<bool> modules(static_cast<std::size_t>(width * height), false);
    for (const DarkRect& dark : symbol.darks)
        for (int y = dark.row; y < dark.row + dark.rows; ++y)
            for (int x = 0; x < static_cast<int>(dark.length.modules); ++x)
                modules[static_cast<std::size_t>(y * width + static_cast<int>(dark.start.modules) + x)] = true;
    return modules;
}

// The encoders as the symbology table calls them: options, GS1 input, the
// status and detail of bad input; ZXingReader's reading with the symbology
// identifier (]d1 plain, ]d2 GS1).
struct EncoderRow {
    const char* name;
    bool gs1;
    std::string data;
    int rows = 0; // forced size
    int columns = 0;
    bool dmre = false;
    kavren::Status status = kavren::Status::Ok;
    std::string expected; // ZXingReader's text, or the detail on failure
    int sizeRows = 0;          // the size chosen (0: not compared)
    int sizeColumns = 0;
};

const std::vector<EncoderRow> kEncoders{
    {"Plain", false, "Hello", 0, 0, false, kavren::Status::Ok, "]d1Hello", 12, 12},
    {"ForcedRectangle", false, "Hello", 8, 18, false, kavren::Status::Ok, "]d1Hello", 8, 18},
    {"ForcedTooSmall", false, "Hello, World", 10, 10, false, kavren::Status::InvalidSize,
     "the data need 11 data codewords; Data Matrix 10x10 holds 3"},
    {"NoSuchSize", false, "Hello", 11, 11, false, kavren::Status::InvalidArgument, "Data Matrix has no size 11x11"},
    {"DmreWithoutOption", false, "Hello", 8, 48, false, kavren::Status::InvalidArgument,
     "Data Matrix has no size 8x48 without --dmre"},
    // ZXingReader's identifier for the DMRE sizes is ]d7.
    {"Dmre", false, "Hello", 8, 48, true, kavren::Status::Ok, "]d7Hello", 8, 48},
    // With DMRE allowed, the smallest area: 14 codewords in 12x26 (312) rather than 18x18 (324).
    {"SmallestArea", false, std::string(28, '5'), 0, 0, true, kavren::Status::Ok, "]d1" + std::string(28, '5'), 12, 26},
    {"TooLong", false, std::string(3200, '1'), 0, 0, false, kavren::Status::InvalidText,
     "the data need 1600 data codewords; Data Matrix holds at most 1558 (144x144)"},
    {"Gs1Markers", true, "<AI01>09501101530003<AI17>261231<AI10>AB-12", 0, 0, false, kavren::Status::Ok,
     "]d2010950110153000317261231" "10AB-12", 18, 18},
    {"Gs1Brackets", true, "(01)09501101530003(10)AB12(21)XYZ", 0, 0, false, kavren::Status::Ok,
     "]d20109501101530003" "10AB12<GS>21XYZ", 0, 0},
    {"Gs1BadCheckDigitUnchecked", true, "(01)09501101530004", 0, 0, false, kavren::Status::Ok,
     "]d20109501101530004", 0, 0},
};

class DataMatrixEncoder : public testing::TestWithParam<EncoderRow> {};

TEST_P(DataMatrixEncoder, StatusAndReading)
{
    const EncoderRow& row = GetParam();
    kavren::Options options;
    options.matrixRows = row.rows;
    options.matrixColumns = row.columns;
    options.dmre = row.dmre;
    const EncodeResult result = row.gs1 ? EncodeGs1DataMatrix(options, row.data) : EncodeDataMatrix(options, row.data);
    ASSERT_EQ(result.status, row.status) << result.detail;
    if (result.status != kavren::Status::Ok) {
        EXPECT_EQ(result.detail, row.expected);
        return;
    }
    int width = 0;
    int height = 0;
    const std::vector<bool> modules = ModulesOf(result.symbol, width, height);
    EXPECT_EQ(result.symbol.quiet.leading, 1.0);
    if (row.sizeRows > 0) {
        EXPECT_EQ(height, row.sizeRows);
        EXPECT_EQ(width, row.sizeColumns);
    }
    const std::string path = WritePng(modules, width, height, row.name);
    EXPECT_EQ(ZXingWithIdentifier(path), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, DataMatrixEncoder, testing::ValuesIn(kEncoders),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
