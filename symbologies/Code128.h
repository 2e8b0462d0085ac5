// Code 128 (ISO/IEC 15417): automatic selection between code sets B and C, or
// one forced set A, B or C; modulo-103 check character always encoded.
//
// Data bytes 128, 129 and 134 stand for the function characters FNC3, FNC2 and
// FNC1. The other byte values above 127 that a set maps to symbol values 98..101
// (SHIFT, CODE C, CODE B/FNC4, CODE A/FNC4) would make a reader change code set
// behind the encoder's back, so they are not accepted as data.
#pragma once

#include "engine/BarcodeSym.h"

#include <kavren/kavren.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavren::detail {

// Code sets in the library's numbering, which m_Code128Charset holds (0 automatic, 1 A, 2 B, 3 C).
using Code128Set = kavren::Code128Set;

// Symbol values with a fixed meaning (ISO/IEC 15417, Table 7).
enum Code128Value : std::uint8_t {
    C128_CODE_C = 99,
    C128_CODE_B = 100,
    C128_CODE_A = 101,
    C128_FNC1 = 102,
    C128_START_A = 103,
    C128_START_B = 104,
    C128_START_C = 105,
    C128_STOP = 106,
};

// Data bytes that stand for function characters (byte - 32 is their value in sets A and B).
inline constexpr unsigned char Code128ByteFnc3 = 128;
inline constexpr unsigned char Code128ByteFnc2 = 129;
inline constexpr unsigned char Code128ByteFnc1 = 134;

// Element widths in modules, bar first, of values 0..106 (ISO/IEC 15417, Table 1).
// Row 106 is the stop character without its closing two-module bar.
extern const std::array<std::array<std::uint8_t, 6>, 107> Code128Widths;

// A data byte that some code set can hold: 32..127 or a function byte.
bool IsCode128Byte(unsigned char b);

class CBarcodeSymCode128 : public CBarcodeSym {
  public:
    using ValueList = std::vector<std::uint8_t>;

    explicit CBarcodeSymCode128(const CBarcodeSettings& settings);
    ~CBarcodeSymCode128() override = default;
    bool Encode() override;

    // Leading digits, counted down to even; true when there were 4 or more.
    static bool LeadingDigitRun(const char* bytes, std::size_t length, std::size_t& count);
    // True with count 2 for a leading digit pair, count 1 for a leading FNC1.
    static bool FitsSetC(const char* bytes, std::size_t length, std::size_t& count);
    static Code128Set ChooseSet(Code128Set current, const char* bytes, std::size_t length,
                                std::size_t& count);
    static void AppendSetChange(ValueList& values, Code128Set from, Code128Set to);
    static bool AppendSetAB(bool setA, ValueList& values, const char* bytes, std::size_t count,
                            bool withStart);
    static bool AppendSetC(ValueList& values, const char* bytes, std::size_t count, bool withStart);
    // The automatic sets: greedy B and C, or with m_Compliant the fewest symbol characters.
    bool EncodeAuto(ValueList& values) const;
    bool EncodeShortest(ValueList& values) const;
    static int CalcCheckValue(const ValueList& values);
    void AppendChar(std::uint8_t value, bool& colour);
    bool BuildPattern(const ValueList& values);
    static std::string& ZeroPadForSetC(std::string& out, const std::string& text);

    std::uint8_t m_CheckValue = 0; // check value of the last Encode

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
    // The code set asked for; any number, as the settings hold it (Validate refuses one beyond C).
    Code128Set CodeSet() const { return static_cast<Code128Set>(m_Code128Charset); }
    // Check value, pattern and display text from a complete list (start to last data value).
    bool FinishSymbol(ValueList& values);
    ValueList NewValueList() const;
};

} // namespace kavren::detail
