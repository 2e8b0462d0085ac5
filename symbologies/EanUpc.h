// Shared EAN/UPC machinery (ISO/IEC 15420): digit widths, guard patterns, the
// typed check digit's test, the digit encoders, and the digit-group
// text layout that EAN-13, EAN-8, UPC-A and UPC-E share.
#pragma once

#include "engine/BarcodeSym.h"
#include "symbologies/Digits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavren::detail {

// A typed check digit (the last of `digits`) against the GS1 one of the
// digits before it (Gs1CheckDigit). Checked (--gs1-check), a wrong one is
// invalid data: false, with "check digit is 8, expected 7" in m_ErrorDetail.
// Otherwise the computed one replaces it, as always, and m_Warning says so.
bool CheckTypedDigit(CBarcodeSym& sym, std::string_view digits);

// Append a digit's four elements in table order (number set C, or set A when
// the colour state says space). `colour` is true when the next element is a
// bar and flips after every element. False, appending nothing, for digit > 9.
bool EncodeEanDigit(std::vector<std::uint8_t>& pattern, int digit, bool& colour);
// Odd parity: table order; even parity (set B): reverse order.
bool EncodeEanParityDigit(std::vector<std::uint8_t>& pattern, int digit, bool oddParity, bool& colour);

// Guard patterns, ISO/IEC 15420. Guard modules use the long guard bar code.
inline constexpr std::array<std::uint8_t, 3> EanNormalGuard = {GUARD, SPACE1, GUARD};
inline constexpr std::array<std::uint8_t, 5> EanCentreGuard = {SPACE1, GUARD, SPACE1, GUARD, SPACE1};
// Add-on start 1011 and the 01 delineator between add-on digits (ISO/IEC 15420 add-on symbols);
// these are ordinary bars, not guard bars.
inline constexpr std::array<std::uint8_t, 3> AddOnStart = {BAR1, SPACE1, BAR2};
inline constexpr std::array<std::uint8_t, 2> AddOnSeparator = {SPACE1, BAR1};

template <std::size_t N>
void AppendElements(std::vector<std::uint8_t>& pattern, const std::array<std::uint8_t, N>& elements)
{
    pattern.insert(pattern.end(), elements.begin(), elements.end());
}

// The digit-group layout the text modes draw: 4 (leading digit outside), 5
// (leading and last digit outside) or 6 (every digit under the bars) as
// asked where the quiet zones give the outside digits room, else 6.
inline constexpr int EanBothOutsideMode = 5;
inline int EanTextMode(int textAlign, bool quietZones)
{
    return textAlign >= 4 && textAlign <= 6 && quietZones ? textAlign : 6;
}

// Space between a main EAN/UPC symbol and its add-on, in modules: the GS1
// General Specifications allow 7 to 12 after EAN-13 and 9 to 12 after UPC-A
// and UPC-E; 9 lies in both.
inline constexpr std::int32_t AddOnGapModules = 9;

// The four symbologies whose human-readable digits are laid out in groups
// under the bars (and, in text modes 4 and 5, beside them).
class CBarcodeSymEanUpc : public CBarcodeSym {
  public:
    using CBarcodeSym::CBarcodeSym;
    // The attached add-on: the gap and its modules after the main symbol.
    AddedModules GetAddedModules() const override;
    const std::vector<std::uint8_t>* GetAddOnPattern() const override { return &m_AddOnPattern; }
    // Digit groups with guards shown or in text modes 4 to 6, else the plain
    // text; then an attached add-on's digits.
    void AddTexts(double offset, const ModuleSpan& patternEnd, EncodedSymbol& symbol) const override;

    // The digits of an attached add-on (after '+' in the data text), empty
    // when there is none; its pattern, drawn AddOnGapModules after the main
    // symbol's last module.
    std::string m_AddOn;
    std::vector<std::uint8_t> m_AddOnPattern;

  protected:
    // The digit groups of the text mode, the pattern starting `offset`
    // modules into the symbol.
    void AddDigitGroups(double offset, EncodedSymbol& symbol) const;
    // Splits m_Data at its '+': `main` gets the text before it (all of it when
    // there is none) and m_AddOn the digits after it. False when anything
    // follows the '+' but 2 or 5 digits.
    bool SplitAddOn(std::string& main);
    // Why SplitAddOn failed, for the detail line.
    std::string AddOnProblem() const;
    // Rebuilds m_AddOnPattern from m_AddOn; every Encode ends with it.
    void EncodeAddOn();
};

// EAN-8 and UPC-A, one body: two halves of `halfDigits` digits, the last one
// the check digit (weights 3, 1, ... from the first), set A on the left half
// and set C on the right. A typed check digit is replaced by the computed one,
// never compared. With `takesAddOn` (UPC-A) the data may end in an add-on.
class CBarcodeSymEanUpcHalves : public CBarcodeSymEanUpc {
  public:
    CBarcodeSymEanUpcHalves(const CBarcodeSettings& settings, std::size_t halfDigits,
                            bool takesAddOn = false);
    bool Encode() override;

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;

  private:
    char CheckChar() const;
    const std::size_t m_DataDigits; // digits before the check digit
    const bool m_TakesAddOn;
};

} // namespace kavren::detail
