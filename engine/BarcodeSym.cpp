#include "engine/BarcodeSym.h"

#include "common/DigitText.h"
#include "engine/CompliantRules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace kavren::detail {

namespace {

constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();

// Quiet zone on each side of the symbol, in modules.
constexpr std::int64_t QuietZoneModules = 10;

// Modules per element code 0..11; 12 and 13 are W wide, everything else is 0.
constexpr std::array<std::uint8_t, 12> ElementModules = {
    1, // 0 bar
    2, // 1 bar
    1, // 2 space
    2, // 3 space
    3, // 4 bar
    3, // 5 space
    4, // 6 bar
    4, // 7 space
    1, // 8 guard bar
    0, // 9 postal short bar
    0, // 10 postal tall bar
    0, // 11 postal gap
};

// In whole pixels (int64) or exact lengths (double).
template <typename Length> Length ElementLength(std::uint8_t code, Length moduleWidth, Length wide)
{
    if (code == WIDE_SPACE || code == WIDE_BAR)
        return wide;
    if (code < ElementModules.size())
        return ElementModules[code] * moduleWidth;
    return 0;
}

} // namespace

// Names of the ASCII control characters, ISO/IEC 646.
const char* const ControlCharNames[32] = {
    "<NULL>", "<SOH>", "<STX>", "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>", //
    "<BS>",   "<TAB>", "<LF>",  "<VT>",  "<FF>",  "<CR>",  "<SO>",  "<SI>",  //
    "<DLE>",  "<DC1>", "<DC2>", "<DC3>", "<DC4>", "<NAK>", "<SYN>", "<ETB>", //
    "<CAN>",  "<EM>",  "<SUB>", "<ESC>", "<FS>",  "<GS>",  "<RS>",  "<US>",  //
};

void BytesToText(const std::string& bytes, std::string& out, bool convertNonPrinting)
{
    out.clear();
    out.reserve(bytes.size() + 50);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 32)
            out.push_back(c);
        else if (convertNonPrinting)
            out.append(ControlCharNames[b]);
    }
}

CBarcodeSym::CBarcodeSym(const CBarcodeSettings& settings) : CBarcodeSettings(settings)
{
}

// ---- Text and calling order ------------------------------------------------

bool CBarcodeSym::Prepare()
{
    m_Valid = Validate();
    if (!m_Valid)
        return false; // the outputs of the last good encoding stay
    LoadData();
    BuildDisplayText();
    m_Pattern.clear();
    m_Pattern.reserve(500);
    return true;
}

bool CBarcodeSym::HasData() const
{
    return !m_Data.empty();
}

bool CBarcodeSym::IsAllDigits(const char* text)
{
    return text != nullptr && IsDigitText(text);
}

void CBarcodeSym::LoadData()
{
    m_DataBytes = m_Data;
}

void CBarcodeSym::BuildDisplayText()
{
    m_DisplayText = m_Data;
}

// ---- Geometry --------------------------------------------------------------

std::int32_t CBarcodeSym::GetWideWidth(int moduleWidth) const
{
    const std::int32_t wide = RoundHalfAway(static_cast<double>(m_WideToNarrow) * moduleWidth);
    return std::max(wide, 0); // a negative ratio must not shorten the symbol
}

std::int32_t CBarcodeSym::GetElementLength(std::uint8_t code, int moduleWidth) const
{
    return Clamp32(ElementLength<std::int64_t>(code, moduleWidth, GetWideWidth(moduleWidth)));
}

bool CBarcodeSym::IsBarElement(std::uint8_t code)
{
    return code == BAR1 || code == BAR2 || code == BAR3 || code == BAR4 || code == WIDE_BAR || code == GUARD;
}

std::int32_t CBarcodeSym::GetQuietModules(bool trailing) const
{
    if (!m_QuietZones)
        return 0;
    const kavren::detail::CompliantRule* rule =
        m_Compliant ? kavren::detail::FindCompliantRule(m_Type) : nullptr;
    if (rule == nullptr)
        return static_cast<std::int32_t>(QuietZoneModules);
    const std::vector<std::uint8_t>* addOn = GetAddOnPattern();
    if (trailing && addOn != nullptr && !addOn->empty())
        return kavren::detail::kAddOnTrailingQuiet;
    // The standards count the quiet zone from the outermost bar: a pattern
    // that ends in a space (UPC-E's end guard) holds part of it.
    std::int32_t spaces = 0;
    const auto countSpaces = [&](auto first, auto last) {
        for (; first != last && !IsBarElement(*first) && *first != WIDE_SPACE; ++first)
            spaces += GetElementLength(*first, 1);
    };
    if (trailing)
        countSpaces(m_Pattern.rbegin(), m_Pattern.rend());
    else
        countSpaces(m_Pattern.begin(), m_Pattern.end());
    return std::max((trailing ? rule->trailing : rule->leading) - spaces, 0);
}

std::int32_t CBarcodeSym::GetQuietZoneWidth(int moduleWidth) const
{
    if (moduleWidth < 0)
        return 0;
    return Clamp32(std::int64_t{GetQuietModules(false)} * moduleWidth);
}

std::int32_t CBarcodeSym::GetTrailingQuietZoneWidth(int moduleWidth) const
{
    if (moduleWidth < 0)
        return 0;
    return Clamp32(std::int64_t{GetQuietModules(true)} * moduleWidth);
}

std::int32_t CBarcodeSym::GetSymbolLength(int moduleWidth) const
{
    // No length for a negative width (-1 is "no width found"); a length that
    // does not fit an int32 cannot be drawn either.
    if (moduleWidth < 0)
        return Int32Max;
    const std::int64_t wide = GetWideWidth(moduleWidth);
    const AddedModules added = GetAddedModules();
    std::int64_t total = static_cast<std::int64_t>(GetQuietZoneWidth(moduleWidth)) +
                         GetTrailingQuietZoneWidth(moduleWidth) +
                         (static_cast<std::int64_t>(added.before) + added.after) * moduleWidth;
    if (total >= Int32Max)
        return Int32Max;
    for (const std::uint8_t code : m_Pattern) {
        total += ElementLength<std::int64_t>(code, moduleWidth, wide);
        if (total >= Int32Max)
            return Int32Max;
    }
    return static_cast<std::int32_t>(total);
}

double CBarcodeSym::GetExactPatternLength(double moduleWidth) const
{
    const double wide = std::max(static_cast<double>(m_WideToNarrow) * moduleWidth, 0.0);
    double total = 0.0;
    for (const std::uint8_t code : m_Pattern)
        total += ElementLength(code, moduleWidth, wide);
    return total;
}

} // namespace kavren::detail
