// Code 93 Extended: the full-ASCII form of Code 93. Bytes 0..127 become one
// character or a shift character ($), (%), (/), (+) and one character. The data
// text is read as for Code 39 Extended (~hh escapes).
#pragma once

#include "symbologies/Code39Ext.h"
#include "symbologies/Code93.h"

#include <array>
#include <cstdint>

namespace kavren::detail {

class CBarcodeSymCode93Ext : public CFullAsciiSym<CBarcodeSymCode93> {
  public:
    // The Code 93 values of one byte: `second` is 0 when one character suffices.
    struct FullAsciiRow {
        std::uint8_t byte;
        std::uint8_t first;
        std::uint8_t second;
    };

    using CFullAsciiSym::CFullAsciiSym;
    bool Encode() override;

    static const std::array<FullAsciiRow, 128>& Code93FullAscii();
};

} // namespace kavren::detail
