// Code 39 Extended: the full-ASCII form of Code 39. Bytes 0..127 become one or
// two Code 39 characters; the data text gives control characters as ~hh escapes.
#pragma once

#include "symbologies/Code39.h"
#include "symbologies/Digits.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kavren::detail {

// ISO/IEC 16388, Annex (full ASCII): the Code 39 characters standing for each byte 0..127.
extern const std::array<const char*, 128> Code39FullAscii;

// Data text to bytes for the full-ASCII symbologies: "~~" is one "~", "~hh"
// (two hexadecimal digits) is the byte hh, dropped when outside lowest..highest;
// any other "~" is literal. A null text gives no bytes.
void DecodeTildeEscapes(const char* text, std::string& bytes, std::uint8_t lowest, std::uint8_t highest);

// The data text rule of the full-ASCII symbologies: not empty, only bytes 32..127
// (control characters come in as escapes), and at least one byte left after the
// escapes, since a symbol without data scans as nothing or as its check character.
// Why the text breaks it, ending in what the symbology `sym` takes; empty when
// the text keeps it.
std::string FullAsciiProblem(const std::string& text, const CBarcodeSym& sym);

// The full-ASCII step both extended symbologies take on top of their base
// (Code 39 or Code 93): the data text rule, the escapes to bytes 0..127, and
// the display text from the bytes around the base's check characters. The
// subclass turns the bytes into its base's characters in Encode.
template <typename Base> class CFullAsciiSym : public Base {
  public:
    using Base::Base;

  protected:
    bool Validate() override
    {
        this->m_ErrorDetail = FullAsciiProblem(this->m_Data, *this);
        return this->m_ErrorDetail.empty();
    }
    void LoadData() override { DecodeTildeEscapes(this->m_Data.c_str(), this->m_DataBytes, 0, 127); }
    void BuildDisplayText() override
    {
        std::string dataPart;
        BytesToText(this->m_DataBytes, dataPart, this->m_ConvertNonPrinting);
        this->ComposeDisplayText(dataPart);
    }
};

class CBarcodeSymCode39Ext : public CFullAsciiSym<CBarcodeSymCode39> {
  public:
    using CFullAsciiSym::CFullAsciiSym;
    bool Encode() override;
};

} // namespace kavren::detail
