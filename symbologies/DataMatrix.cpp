// Data Matrix ECC 200: symbol size, Reed-Solomon error correction and module
// placement (ISO/IEC 16022:2006 5.7, 5.8, Annex E and F).
#include "symbologies/DataMatrix.h"

#include "symbologies/DigitalLink.h"
#include "symbologies/Gs1Input.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace kavren::detail {

namespace {

// GF(256) with the prime modulus polynomial x^8 + x^5 + x^3 + x^2 + 1 (301), 16022 5.7.1.
struct CGaloisField {
    std::array<std::uint8_t, 512> exp{};
    std::array<std::uint8_t, 256> log{};

    constexpr CGaloisField()
    {
        std::int32_t value = 1;
        for (std::int32_t i = 0; i < 255; ++i) {
            exp[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
            exp[static_cast<std::size_t>(i + 255)] = static_cast<std::uint8_t>(value);
            log[static_cast<std::size_t>(value)] = static_cast<std::uint8_t>(i);
            value <<= 1;
            if (value >= 256)
                value ^= 301;
        }
    }

    constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) const
    {
        if (a == 0 || b == 0)
            return 0;
        return exp[static_cast<std::size_t>(log[a]) + log[b]];
    }
};

constexpr CGaloisField kField;

// The generator polynomial of `count` error correction codewords, roots
// 2^1 .. 2^count (16022 5.7.2); coefficients from x^(count-1) down to x^0,
// the leading 1 left out.
std::vector<std::uint8_t> Generator(std::int32_t count)
{
    std::vector<std::uint8_t> g(static_cast<std::size_t>(count) + 1, 0);
    g[0] = 1;
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::uint8_t root = kField.exp[static_cast<std::size_t>(i)];
        for (std::int32_t k = i; k > 0; --k)
            g[static_cast<std::size_t>(k)] ^= kField.Multiply(g[static_cast<std::size_t>(k - 1)], root);
    }
    g.erase(g.begin());
    return g;
}

// The error correction codewords of one block: the remainder of
// data(x) * x^count divided by the generator.
std::vector<std::uint8_t> BlockCorrection(const std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& generator)
{
    std::vector<std::uint8_t> remainder(generator.size(), 0);
    for (const std::uint8_t codeword : data) {
        const std::uint8_t factor = codeword ^ remainder[0];
        std::rotate(remainder.begin(), remainder.begin() + 1, remainder.end());
        remainder.back() = 0;
        for (std::size_t k = 0; k < remainder.size(); ++k)
            remainder[k] ^= kField.Multiply(generator[k], factor);
    }
    return remainder;
}

// Annex F: the codewords' bits in the mapping matrix (the data regions side
// by side, without finder and clock patterns). Each cell holds 8 x codeword
// index + bit (bit 0 the most significant) + 1; 0 empty, kFixedDark and
// kFixedLight the corner modules that no codeword covers.
constexpr std::int32_t kFixedDark = -1;
constexpr std::int32_t kFixedLight = -2;

class CPlacement {
public:
    CPlacement(std::int32_t rows, std::int32_t columns)
        : m_rows(rows), m_columns(columns), m_cells(static_cast<std::size_t>(rows * columns), 0)
    {
        Place();
    }

    std::int32_t Cell(std::int32_t row, std::int32_t column) const { return m_cells[Index(row, column)]; }

private:
    std::size_t Index(std::int32_t row, std::int32_t column) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(column);
    }

    void Module(std::int32_t row, std::int32_t column, std::int32_t codeword, std::int32_t bit)
    {
        if (row < 0) {
            row += m_rows;
            column += 4 - ((m_rows + 4) % 8);
        }
        if (column < 0) {
            column += m_columns;
            row += 4 - ((m_columns + 4) % 8);
        }
        // The DMRE mapping matrices of 24 rows and 36 or 44 columns wrap a
        // codeword of the left edge past the last row, to the top (ISO/IEC 21471).
        if (row >= m_rows)
            row -= m_rows;
        m_cells[Index(row, column)] = codeword * 8 + bit + 1;
    }

    // The standard "utah" shape of one codeword with its last bit at (row, column).
    void Utah(std::int32_t row, std::int32_t column, std::int32_t codeword)
    {
        static constexpr std::array<std::array<std::int32_t, 2>, 8> kShape{
            {{-2, -2}, {-2, -1}, {-1, -2}, {-1, -1}, {-1, 0}, {0, -2}, {0, -1}, {0, 0}}};
        for (std::int32_t bit = 0; bit < 8; ++bit)
            Module(row + kShape[bit][0], column + kShape[bit][1], codeword, bit);
    }

    // The four corner shapes (Annex F.3, Figures F.4 to F.7); negative
    // offsets count from the last row or column.
    void Corner(const std::array<std::array<std::int32_t, 2>, 8>& shape, std::int32_t codeword)
    {
        for (std::int32_t bit = 0; bit < 8; ++bit) {
            const std::int32_t row = shape[bit][0] < 0 ? m_rows + shape[bit][0] : shape[bit][0];
            const std::int32_t column = shape[bit][1] < 0 ? m_columns + shape[bit][1] : shape[bit][1];
            Module(row, column, codeword, bit);
        }
    }

    bool Free(std::int32_t row, std::int32_t column) const { return m_cells[Index(row, column)] == 0; }

    void Place()
    {
        static constexpr std::array<std::array<std::int32_t, 2>, 8> kCorner1{
            {{-1, 0}, {-1, 1}, {-1, 2}, {0, -2}, {0, -1}, {1, -1}, {2, -1}, {3, -1}}};
        static constexpr std::array<std::array<std::int32_t, 2>, 8> kCorner2{
            {{-3, 0}, {-2, 0}, {-1, 0}, {0, -4}, {0, -3}, {0, -2}, {0, -1}, {1, -1}}};
        static constexpr std::array<std::array<std::int32_t, 2>, 8> kCorner3{
            {{-3, 0}, {-2, 0}, {-1, 0}, {0, -2}, {0, -1}, {1, -1}, {2, -1}, {3, -1}}};
        static constexpr std::array<std::array<std::int32_t, 2>, 8> kCorner4{
            {{-1, 0}, {-1, -1}, {0, -3}, {0, -2}, {0, -1}, {1, -3}, {1, -2}, {1, -1}}};
        std::int32_t codeword = 0;
        std::int32_t row = 4;
        std::int32_t column = 0;
        do {
            if (row == m_rows && column == 0)
                Corner(kCorner1, codeword++);
            if (row == m_rows - 2 && column == 0 && m_columns % 4 != 0)
                Corner(kCorner2, codeword++);
            if (row == m_rows - 2 && column == 0 && m_columns % 8 == 4)
                Corner(kCorner3, codeword++);
            if (row == m_rows + 4 && column == 2 && m_columns % 8 == 0)
                Corner(kCorner4, codeword++);
            // Up and to the right, then down and to the left.
            do {
                if (row < m_rows && column >= 0 && Free(row, column))
                    Utah(row, column, codeword++);
                row -= 2;
                column += 2;
            } while (row >= 0 && column < m_columns);
            row += 1;
            column += 3;
            do {
                if (row >= 0 && column < m_columns && Free(row, column))
                    Utah(row, column, codeword++);
                row += 2;
                column -= 2;
            } while (row < m_rows && column >= 0);
            row += 3;
            column += 1;
        } while (row < m_rows || column < m_columns);
        // Sizes whose mapping matrix leaves the lower right 2 x 2 modules
        // uncovered fill them as a checkerboard, dark at the corner.
        if (Free(m_rows - 1, m_columns - 1)) {
            m_cells[Index(m_rows - 1, m_columns - 1)] = kFixedDark;
            m_cells[Index(m_rows - 2, m_columns - 2)] = kFixedDark;
            m_cells[Index(m_rows - 1, m_columns - 2)] = kFixedLight;
            m_cells[Index(m_rows - 2, m_columns - 1)] = kFixedLight;
        }
    }

    std::int32_t m_rows;
    std::int32_t m_columns;
    std::vector<std::int32_t> m_cells;
};

// Candidates in order of preference: the forced size, else the square sizes
// from the smallest; with DMRE allowed, every size by area (then the squarer).
std::vector<const DataMatrixSize*> Candidates(const Options& options)
{
    std::vector<const DataMatrixSize*> sizes;
    for (const DataMatrixSize& size : DataMatrixSizes())
        if (options.dmre || (size.rows == size.columns))
            sizes.push_back(&size);
    if (options.dmre)
        std::stable_sort(sizes.begin(), sizes.end(), [](const DataMatrixSize* a, const DataMatrixSize* b) {
            return a->rows * a->columns < b->rows * b->columns;
        });
    return sizes;
}

std::string SizeName(const DataMatrixSize& size)
{
    return std::to_string(size.rows) + "x" + std::to_string(size.columns);
}

} // namespace

std::vector<std::uint8_t> DataMatrixWithErrorCorrection(std::vector<std::uint8_t> data, const DataMatrixSize& size)
{
    const std::size_t blocks = static_cast<std::size_t>(size.blocks);
    const std::size_t dataCount = data.size();
    const std::vector<std::uint8_t> generator = Generator(size.ecPerBlock);
    data.resize(dataCount + blocks * static_cast<std::size_t>(size.ecPerBlock));
    // Codeword t of the whole sequence, data and error correction, belongs
    // to block t mod blocks (16022 5.7.3). In the 144 x 144 symbol the last
    // two blocks have a data codeword less, so its error correction starts
    // with those two blocks' first codewords.
    for (std::size_t b = 0; b < blocks; ++b) {
        std::vector<std::uint8_t> block;
        for (std::size_t i = b; i < dataCount; i += blocks)
            block.push_back(data[i]);
        const std::vector<std::uint8_t> correction = BlockCorrection(block, generator);
        const std::size_t first = (b + blocks - dataCount % blocks) % blocks;
        for (std::size_t k = 0; k < correction.size(); ++k)
            data[dataCount + k * blocks + first] = correction[k];
    }
    return data;
}

std::vector<bool> DataMatrixModules(std::span<const std::uint8_t> codewords, const DataMatrixSize& size)
{
    const std::int32_t regionsDown = size.RegionsDown();
    const std::int32_t regionsAcross = size.RegionsAcross();
    const CPlacement placement(regionsDown * size.regionRows, regionsAcross * size.regionColumns);
    std::vector<bool> modules(static_cast<std::size_t>(size.rows * size.columns), false);
    const auto set = [&](std::int32_t row, std::int32_t column, bool dark) {
        modules[static_cast<std::size_t>(row * size.columns + column)] = dark;
    };
    const std::int32_t cellRows = size.regionRows + 2;
    const std::int32_t cellColumns = size.regionColumns + 2;
    for (std::int32_t row = 0; row < size.rows; ++row) {
        for (std::int32_t column = 0; column < size.columns; ++column) {
            const std::int32_t r = row % cellRows;
            const std::int32_t c = column % cellColumns;
            // Each data region: solid finder edges left and below, alternating
            // clock edges above and to the right (16022 5.6).
            if (c == 0 || r == cellRows - 1) {
                set(row, column, true);
            } else if (r == 0) {
                set(row, column, c % 2 == 0);
            } else if (c == cellColumns - 1) {
                set(row, column, r % 2 == 1);
            } else {
                const std::int32_t cell = placement.Cell(row / cellRows * size.regionRows + r - 1,
                                                         column / cellColumns * size.regionColumns + c - 1);
                bool dark = cell == kFixedDark;
                if (cell > 0) {
                    const std::uint8_t codeword = codewords[static_cast<std::size_t>((cell - 1) / 8)];
                    dark = ((codeword >> (7 - (cell - 1) % 8)) & 1) != 0;
                }
                set(row, column, dark);
            }
        }
    }
    return modules;
}

EncodeResult EncodeDataMatrixValues(const Options& options, std::span<const std::int32_t> values, std::string hri,
                                    TextRole hriRole)
{
    EncodeResult result;
    if (options.version != 0) {
        result.status = Status::InvalidArgument;
        result.detail =
            "Data Matrix sizes are ROWSxCOLUMNS (e.g. 16x16), not " + std::to_string(options.version);
        return result;
    }
    std::vector<const DataMatrixSize*> sizes;
    if (options.matrixRows != 0 || options.matrixColumns != 0) {
        const DataMatrixSize* forced = FindDataMatrixSize(options.matrixRows, options.matrixColumns, options.dmre);
        if (forced == nullptr) {
            const bool dmre = FindDataMatrixSize(options.matrixRows, options.matrixColumns, true) != nullptr;
            result.status = Status::InvalidArgument;
            result.detail = "Data Matrix has no size " + std::to_string(options.matrixRows) + "x" +
                            std::to_string(options.matrixColumns) + (dmre ? " without --dmre" : "");
            return result;
        }
        sizes.push_back(forced);
    } else {
        sizes = Candidates(options);
    }
    std::vector<std::int32_t> capacities;
    for (const DataMatrixSize* size : sizes)
        capacities.push_back(size->dataCodewords);
    DataMatrixCodewords encoded = DataMatrixDataCodewords(values, capacities);
    if (encoded.codewords.empty()) {
        const bool forced = sizes.size() == 1;
        const DataMatrixSize& largest = **std::max_element(
            sizes.begin(), sizes.end(), [](const auto* a, const auto* b) { return a->dataCodewords < b->dataCodewords; });
        result.status = forced ? Status::InvalidSize : Status::InvalidText;
        result.detail = "the data need " + std::to_string(encoded.needed) + " data codewords; " +
                        (forced ? "Data Matrix " + SizeName(largest) + " holds " : "Data Matrix holds at most ") +
                        std::to_string(largest.dataCodewords) + (forced ? "" : " (" + SizeName(largest) + ")");
        return result;
    }
    const auto chosen = std::find_if(sizes.begin(), sizes.end(), [&](const DataMatrixSize* size) {
        return size->dataCodewords == static_cast<std::int32_t>(encoded.codewords.size());
    });
    const DataMatrixSize& size = **chosen;
    const std::vector<std::uint8_t> codewords = DataMatrixWithErrorCorrection(std::move(encoded.codewords), size);
    result.symbol = MatrixSymbol(DataMatrixModules(codewords, size), size.columns, size.rows,
                                 options.quietZones ? 1.0 : 0.0);
    if (options.hri)
        result.symbol.texts.push_back({std::move(hri), hriRole, {0.0, 0}, {static_cast<double>(size.columns), 0}, 2});
    return result;
}

namespace {

std::vector<std::int32_t> ByteValues(std::string_view data)
{
    std::vector<std::int32_t> values(data.size());
    std::transform(data.begin(), data.end(), values.begin(),
                   [](char c) { return static_cast<std::int32_t>(static_cast<unsigned char>(c)); });
    return values;
}

// What of the options a Data Matrix cannot carry; empty when it carries them all.
std::string UnusedOption(const Options& options)
{
    if (options.eci >= 0)
        return "Data Matrix is drawn without an ECI designator: --eci is for QR Code";
    return {};
}

// GS1 data as a GS1 Digital Link URI, in a Data Matrix without FNC1: a
// reader takes the URI as plain text, not as element strings. The HRI is
// the element strings'.
EncodeResult EncodeDigitalLinkDataMatrix(const Options& options, std::string_view data)
{
    const DigitalLinkResult link = DigitalLinkUri(options.digitalLink, data);
    if (!link)
        return {link.status, link.detail, {}};
    return EncodeDataMatrixValues(options, ByteValues(link.uri), link.hri, TextRole::Gs1Hri);
}

} // namespace

EncodeResult EncodeDataMatrix(const Options& options, std::string_view data)
{
    if (std::string unused = UnusedOption(options); !unused.empty())
        return {Status::InvalidArgument, std::move(unused), {}};
    if (!options.digitalLink.empty())
        return EncodeDigitalLinkDataMatrix(options, data);
    return EncodeDataMatrixValues(options, ByteValues(data), std::string(data), TextRole::Main);
}

EncodeResult EncodeGs1DataMatrix(const Options& options, std::string_view data)
{
    if (std::string unused = UnusedOption(options); !unused.empty())
        return {Status::InvalidArgument, std::move(unused), {}};
    if (!options.digitalLink.empty())
        return EncodeDigitalLinkDataMatrix(options, data);
    const Gs1Data gs1 = ParseGs1(data, options.gs1Check);
    if (!gs1)
        return {gs1.status, gs1.detail, {}};
    // FNC1 in the first position marks GS1 data (16022 5.2.4.5); another
    // ends each element of variable length that is not the last.
    std::vector<std::int32_t> values{kDataMatrixFnc1};
    for (std::size_t i = 0; i < gs1.elements.size(); ++i) {
        const Gs1Element& element = gs1.elements[i];
        for (const std::string* part : {&element.ai, &element.value})
            for (const char c : *part)
                values.push_back(static_cast<unsigned char>(c));
        if (!element.predefinedLength && i + 1 < gs1.elements.size())
            values.push_back(kDataMatrixFnc1);
    }
    return EncodeDataMatrixValues(options, values, Gs1Hri(gs1.elements), TextRole::Gs1Hri);
}

} // namespace kavren::detail
