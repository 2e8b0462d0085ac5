// The Data Matrix symbol sizes and their lookup.
#include "symbologies/DataMatrix.h"

#include <array>

namespace kavren::detail {

namespace {

// ISO/IEC 16022:2006 Table 7 (squares, then rectangles) and ISO/IEC 21471
// Table 1 (DMRE): rows, columns, data region rows and columns, data
// codewords, interleaved blocks, error correction codewords per block.
constexpr std::array<DataMatrixSize, 48> kSizes{{
    {10, 10, 8, 8, 3, 1, 5, false},
    {12, 12, 10, 10, 5, 1, 7, false},
    {14, 14, 12, 12, 8, 1, 10, false},
    {16, 16, 14, 14, 12, 1, 12, false},
    {18, 18, 16, 16, 18, 1, 14, false},
    {20, 20, 18, 18, 22, 1, 18, false},
    {22, 22, 20, 20, 30, 1, 20, false},
    {24, 24, 22, 22, 36, 1, 24, false},
    {26, 26, 24, 24, 44, 1, 28, false},
    {32, 32, 14, 14, 62, 1, 36, false},
    {36, 36, 16, 16, 86, 1, 42, false},
    {40, 40, 18, 18, 114, 1, 48, false},
    {44, 44, 20, 20, 144, 1, 56, false},
    {48, 48, 22, 22, 174, 1, 68, false},
    {52, 52, 24, 24, 204, 2, 42, false},
    {64, 64, 14, 14, 280, 2, 56, false},
    {72, 72, 16, 16, 368, 4, 36, false},
    {80, 80, 18, 18, 456, 4, 48, false},
    {88, 88, 20, 20, 576, 4, 56, false},
    {96, 96, 22, 22, 696, 4, 68, false},
    {104, 104, 24, 24, 816, 6, 56, false},
    {120, 120, 18, 18, 1050, 6, 68, false},
    {132, 132, 20, 20, 1304, 8, 62, false},
    // 8 blocks of 156 data codewords and 2 of 155 (16022 Table 7, note).
    {144, 144, 22, 22, 1558, 10, 62, false},
    {8, 18, 6, 16, 5, 1, 7, false},
    {8, 32, 6, 14, 10, 1, 11, false},
    {12, 26, 10, 24, 16, 1, 14, false},
    {12, 36, 10, 16, 22, 1, 18, false},
    {16, 36, 14, 16, 32, 1, 24, false},
    {16, 48, 14, 22, 49, 1, 28, false},
    {8, 48, 6, 22, 18, 1, 15, true},
    {8, 64, 6, 14, 24, 1, 18, true},
    {8, 80, 6, 18, 32, 1, 22, true},
    {8, 96, 6, 22, 38, 1, 28, true},
    {8, 120, 6, 18, 49, 1, 32, true},
    {8, 144, 6, 22, 63, 1, 36, true},
    {12, 64, 10, 14, 43, 1, 27, true},
    {12, 88, 10, 20, 64, 1, 36, true},
    {16, 64, 14, 14, 62, 1, 36, true},
    {20, 36, 18, 16, 44, 1, 28, true},
    {20, 44, 18, 20, 56, 1, 34, true},
    {20, 64, 18, 14, 84, 1, 42, true},
    {22, 48, 20, 22, 72, 1, 38, true},
    {24, 48, 22, 22, 80, 1, 41, true},
    {24, 64, 22, 14, 108, 1, 46, true},
    {26, 40, 24, 18, 70, 1, 38, true},
    {26, 48, 24, 22, 90, 1, 42, true},
    {26, 64, 24, 14, 118, 1, 50, true},
}};

} // namespace

std::span<const DataMatrixSize> DataMatrixSizes()
{
    return kSizes;
}

const DataMatrixSize* FindDataMatrixSize(std::int32_t rows, std::int32_t columns, bool dmre)
{
    for (const DataMatrixSize& size : kSizes)
        if (size.rows == rows && size.columns == columns && (dmre || !size.dmre))
            return &size;
    return nullptr;
}

} // namespace kavren::detail
