// Data Matrix ECC 200 (ISO/IEC 16022:2006) with the rectangular extensions of
// ISO/IEC 21471 (DMRE): the data in the fewest codewords over the six
// encodation schemes, the smallest symbol that holds them, Reed-Solomon error
// correction in interleaved blocks and the module placement of Annex F.
#pragma once

#include "symbologies/Encoder.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kavren::detail {

// One symbol size (ISO/IEC 16022 Table 7, ISO/IEC 21471 Table 1).
struct DataMatrixSize {
    std::int16_t rows;
    std::int16_t columns;
    std::int16_t regionRows;    // data region, without its finder and clock edges
    std::int16_t regionColumns;
    std::int16_t dataCodewords; // of the whole symbol
    std::int16_t blocks;        // Reed-Solomon blocks, interleaved
    std::int16_t ecPerBlock;    // error correction codewords of each block
    bool dmre;

    std::int32_t RegionsDown() const { return rows / (regionRows + 2); }
    std::int32_t RegionsAcross() const { return columns / (regionColumns + 2); }
};

// Every size: the 24 square ones, the 6 rectangular ones, the DMRE ones.
std::span<const DataMatrixSize> DataMatrixSizes();
// The size of rows x columns; null when there is none (or it is a DMRE size
// and `dmre` is false).
const DataMatrixSize* FindDataMatrixSize(std::int32_t rows, std::int32_t columns, bool dmre);

// The data as the encodation sees it: bytes 0..255 and kDataMatrixFnc1.
inline constexpr std::int32_t kDataMatrixFnc1 = 256;

// The fewest data codewords for `data` (`needed`, as for a symbol they fill
// exactly), and the codewords padded to the first of `capacities` (in the order
// of preference) that holds them: empty when none does; unpadded when `capacities` is empty.
struct DataMatrixCodewords {
    std::int32_t needed = 0;
    std::vector<std::uint8_t> codewords;
};
DataMatrixCodewords DataMatrixDataCodewords(std::span<const std::int32_t> data,
                                            std::span<const std::int32_t> capacities);

// Data codewords (exactly size.dataCodewords) followed by their error
// correction, interleaved over the blocks as the symbol carries them.
std::vector<std::uint8_t> DataMatrixWithErrorCorrection(std::vector<std::uint8_t> data, const DataMatrixSize& size);

// The symbol's modules, row-major, true dark: finder and clock patterns and
// the codewords placed by Annex F.
std::vector<bool> DataMatrixModules(std::span<const std::uint8_t> codewords, const DataMatrixSize& size);

// `datamatrix`: the data bytes as given.
EncodeResult EncodeDataMatrix(const Options& options, std::string_view data);
// `gs1-datamatrix`: GS1 element strings, FNC1 first and after each element of
// variable length.
EncodeResult EncodeGs1DataMatrix(const Options& options, std::string_view data);
// The symbol for already encodable data (bytes and kDataMatrixFnc1): the size
// options.matrixRows x options.matrixColumns or the smallest that holds it.
EncodeResult EncodeDataMatrixValues(const Options& options, std::span<const std::int32_t> values,
                                    std::string hri, TextRole hriRole);

} // namespace kavren::detail
