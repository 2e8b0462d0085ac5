#include "symbologies/Code128.h"

#include "symbologies/CharTable.h"
#include "symbologies/Digits.h"

#include <algorithm>
#include <cstdint>

namespace kavren::detail {

// ISO/IEC 15417, Table 1: bar, space, bar, space, bar, space widths of values 0..106.
const std::array<std::array<std::uint8_t, 6>, 107> Code128Widths = {{
    {2, 1, 2, 2, 2, 2}, {2, 2, 2, 1, 2, 2}, {2, 2, 2, 2, 2, 1}, {1, 2, 1, 2, 2, 3}, // 0..3
    {1, 2, 1, 3, 2, 2}, {1, 3, 1, 2, 2, 2}, {1, 2, 2, 2, 1, 3}, {1, 2, 2, 3, 1, 2}, // 4..7
    {1, 3, 2, 2, 1, 2}, {2, 2, 1, 2, 1, 3}, {2, 2, 1, 3, 1, 2}, {2, 3, 1, 2, 1, 2}, // 8..11
    {1, 1, 2, 2, 3, 2}, {1, 2, 2, 1, 3, 2}, {1, 2, 2, 2, 3, 1}, {1, 1, 3, 2, 2, 2}, // 12..15
    {1, 2, 3, 1, 2, 2}, {1, 2, 3, 2, 2, 1}, {2, 2, 3, 2, 1, 1}, {2, 2, 1, 1, 3, 2}, // 16..19
    {2, 2, 1, 2, 3, 1}, {2, 1, 3, 2, 1, 2}, {2, 2, 3, 1, 1, 2}, {3, 1, 2, 1, 3, 1}, // 20..23
    {3, 1, 1, 2, 2, 2}, {3, 2, 1, 1, 2, 2}, {3, 2, 1, 2, 2, 1}, {3, 1, 2, 2, 1, 2}, // 24..27
    {3, 2, 2, 1, 1, 2}, {3, 2, 2, 2, 1, 1}, {2, 1, 2, 1, 2, 3}, {2, 1, 2, 3, 2, 1}, // 28..31
    {2, 3, 2, 1, 2, 1}, {1, 1, 1, 3, 2, 3}, {1, 3, 1, 1, 2, 3}, {1, 3, 1, 3, 2, 1}, // 32..35
    {1, 1, 2, 3, 1, 3}, {1, 3, 2, 1, 1, 3}, {1, 3, 2, 3, 1, 1}, {2, 1, 1, 3, 1, 3}, // 36..39
    {2, 3, 1, 1, 1, 3}, {2, 3, 1, 3, 1, 1}, {1, 1, 2, 1, 3, 3}, {1, 1, 2, 3, 3, 1}, // 40..43
    {1, 3, 2, 1, 3, 1}, {1, 1, 3, 1, 2, 3}, {1, 1, 3, 3, 2, 1}, {1, 3, 3, 1, 2, 1}, // 44..47
    {3, 1, 3, 1, 2, 1}, {2, 1, 1, 3, 3, 1}, {2, 3, 1, 1, 3, 1}, {2, 1, 3, 1, 1, 3}, // 48..51
    {2, 1, 3, 3, 1, 1}, {2, 1, 3, 1, 3, 1}, {3, 1, 1, 1, 2, 3}, {3, 1, 1, 3, 2, 1}, // 52..55
    {3, 3, 1, 1, 2, 1}, {3, 1, 2, 1, 1, 3}, {3, 1, 2, 3, 1, 1}, {3, 3, 2, 1, 1, 1}, // 56..59
    {3, 1, 4, 1, 1, 1}, {2, 2, 1, 4, 1, 1}, {4, 3, 1, 1, 1, 1}, {1, 1, 1, 2, 2, 4}, // 60..63
    {1, 1, 1, 4, 2, 2}, {1, 2, 1, 1, 2, 4}, {1, 2, 1, 4, 2, 1}, {1, 4, 1, 1, 2, 2}, // 64..67
    {1, 4, 1, 2, 2, 1}, {1, 1, 2, 2, 1, 4}, {1, 1, 2, 4, 1, 2}, {1, 2, 2, 1, 1, 4}, // 68..71
    {1, 2, 2, 4, 1, 1}, {1, 4, 2, 1, 1, 2}, {1, 4, 2, 2, 1, 1}, {2, 4, 1, 2, 1, 1}, // 72..75
    {2, 2, 1, 1, 1, 4}, {4, 1, 3, 1, 1, 1}, {2, 4, 1, 1, 1, 2}, {1, 3, 4, 1, 1, 1}, // 76..79
    {1, 1, 1, 2, 4, 2}, {1, 2, 1, 1, 4, 2}, {1, 2, 1, 2, 4, 1}, {1, 1, 4, 2, 1, 2}, // 80..83
    {1, 2, 4, 1, 1, 2}, {1, 2, 4, 2, 1, 1}, {4, 1, 1, 2, 1, 2}, {4, 2, 1, 1, 1, 2}, // 84..87
    {4, 2, 1, 2, 1, 1}, {2, 1, 2, 1, 4, 1}, {2, 1, 4, 1, 2, 1}, {4, 1, 2, 1, 2, 1}, // 88..91
    {1, 1, 1, 1, 4, 3}, {1, 1, 1, 3, 4, 1}, {1, 3, 1, 1, 4, 1}, {1, 1, 4, 1, 1, 3}, // 92..95
    {1, 1, 4, 3, 1, 1}, {4, 1, 1, 1, 1, 3}, {4, 1, 1, 3, 1, 1}, {1, 1, 3, 1, 4, 1}, // 96..99
    {1, 1, 4, 1, 3, 1}, {3, 1, 1, 1, 4, 1}, {4, 1, 1, 1, 3, 1}, {2, 1, 1, 4, 1, 2}, // 100..103
    {2, 1, 1, 2, 1, 4}, {2, 1, 1, 2, 3, 2}, {2, 3, 3, 1, 1, 1},                     // 104..106
}};

namespace {

bool IsFunctionByte(unsigned char b)
{
    return b == Code128ByteFnc1 || b == Code128ByteFnc2 || b == Code128ByteFnc3;
}

// Set A holds upper case, digits and punctuation (32..95) besides the function characters.
bool FitsSetA(unsigned char b)
{
    return (b >= 32 && b <= 95) || IsFunctionByte(b);
}

bool FitsSetB(unsigned char b)
{
    return (b >= 32 && b <= 127) || IsFunctionByte(b);
}

} // namespace

bool IsCode128Byte(unsigned char b)
{
    return FitsSetB(b);
}

CBarcodeSymCode128::CBarcodeSymCode128(const CBarcodeSettings& settings) : CBarcodeSym(settings)
{
}

bool CBarcodeSymCode128::Validate()
{
    m_ErrorDetail.clear();
    if (!HasData()) {
        m_ErrorDetail = "no data: " + Takes(*this, "one character or more");
        return false;
    }
    const auto firstOther = [this](bool (*fits)(unsigned char), const std::string& takes) {
        for (std::size_t i = 0; i < m_Data.size(); ++i)
            if (!fits(static_cast<unsigned char>(m_Data[i]))) {
                m_ErrorDetail = CharacterAt(m_Data, i) + ": " + takes;
                return false;
            }
        return true;
    };
    switch (CodeSet()) {
    case Code128Set::Auto:
        if (m_Compliant) // set A holds the control characters
            return firstOther([](unsigned char b) { return FitsSetB(b) || (b >= 1 && b < 32); },
                              Takes(*this, "ASCII from SOH to DEL and FNC1 to FNC3"));
        [[fallthrough]];
    case Code128Set::B: return firstOther(FitsSetB, Takes(*this, "ASCII from space to DEL and FNC1 to FNC3"));
    case Code128Set::A: return firstOther(FitsSetA, "code set A takes space to _ and FNC1 to FNC3");
    case Code128Set::C: m_ErrorDetail = DigitProblem(m_Data, "code set C takes digits"); return m_ErrorDetail.empty();
    default: // no such code set: nothing could be drawn
        m_ErrorDetail =
            "code set " + std::to_string(m_Code128Charset) + " is none of 0 (automatic), 1 (A), 2 (B), 3 (C)";
        return false;
    }
}

void CBarcodeSymCode128::LoadData()
{
    if (CodeSet() == Code128Set::C)
        ZeroPadForSetC(m_DataBytes, m_Data);
    else
        m_DataBytes = m_Data;
}

void CBarcodeSymCode128::BuildDisplayText()
{
    if (CodeSet() == Code128Set::C)
        ZeroPadForSetC(m_DisplayText, m_Data);
    else if (m_Compliant)
        BytesToText(m_Data, m_DisplayText, m_ConvertNonPrinting);
    else
        m_DisplayText = m_Data;
    // ISO/IEC 15417, 4.8: the check character is not part of the human-readable interpretation.
    if (m_ShowCheckDigit && !m_Compliant)
        m_DisplayText += static_cast<char>(m_CheckValue + 32);
}

CBarcodeSymCode128::ValueList CBarcodeSymCode128::NewValueList() const
{
    ValueList values;
    values.reserve(m_DataBytes.size() + 10);
    return values;
}

bool CBarcodeSymCode128::Encode()
{
    m_CheckValue = 0;
    if (!Prepare())
        return false;
    ValueList values = NewValueList();
    const char* bytes = m_DataBytes.data();
    const std::size_t length = m_DataBytes.size();
    bool built = false;
    switch (CodeSet()) {
    case Code128Set::Auto: built = EncodeAuto(values); break;
    case Code128Set::A: built = AppendSetAB(true, values, bytes, length, true); break;
    case Code128Set::B: built = AppendSetAB(false, values, bytes, length, true); break;
    case Code128Set::C: built = AppendSetC(values, bytes, length, true); break;
    default: break;
    }
    if (!built) {
        // Validate admits only what the chosen set holds; never leave a valid object without bars.
        m_Valid = false;
        return false;
    }
    return FinishSymbol(values);
}

bool CBarcodeSymCode128::FinishSymbol(ValueList& values)
{
    m_CheckValue = static_cast<std::uint8_t>(CalcCheckValue(values));
    values.push_back(m_CheckValue);
    const bool built = BuildPattern(values);
    BuildDisplayText();
    return built;
}

bool CBarcodeSymCode128::LeadingDigitRun(const char* bytes, std::size_t length, std::size_t& count)
{
    std::size_t n = 0;
    while (n < length && IsDigit(bytes[n]))
        ++n;
    count = n & ~static_cast<std::size_t>(1);
    return n >= 4;
}

bool CBarcodeSymCode128::FitsSetC(const char* bytes, std::size_t length, std::size_t& count)
{
    count = 0;
    if (length == 0)
        return false;
    // Only FNC1 exists in set C besides the digit pairs (ISO/IEC 15417, Table 7).
    if (static_cast<unsigned char>(bytes[0]) == Code128ByteFnc1) {
        count = 1;
        return true;
    }
    if (length >= 2 && IsDigit(bytes[0]) && IsDigit(bytes[1])) {
        count = 2;
        return true;
    }
    return false;
}

Code128Set CBarcodeSymCode128::ChooseSet(Code128Set current, const char* bytes, std::size_t length,
                                         std::size_t& count)
{
    if (LeadingDigitRun(bytes, length, count))
        return Code128Set::C;
    if (current == Code128Set::C && FitsSetC(bytes, length, count))
        return Code128Set::C;
    count = 1;
    return Code128Set::B;
}

void CBarcodeSymCode128::AppendSetChange(ValueList& values, Code128Set from, Code128Set to)
{
    if (values.empty()) {
        values.push_back(to == Code128Set::A ? C128_START_A : to == Code128Set::B ? C128_START_B : C128_START_C);
        return;
    }
    if (from == to)
        return;
    values.push_back(to == Code128Set::A ? C128_CODE_A : to == Code128Set::B ? C128_CODE_B : C128_CODE_C);
}

bool CBarcodeSymCode128::AppendSetAB(bool setA, ValueList& values, const char* bytes, std::size_t count,
                                     bool withStart)
{
    if (withStart)
        values.push_back(setA ? C128_START_A : C128_START_B);
    if (count == 0)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (!(setA ? FitsSetA(b) : FitsSetB(b)))
            return false;
        values.push_back(static_cast<std::uint8_t>(b - 32));
    }
    return true;
}

bool CBarcodeSymCode128::AppendSetC(ValueList& values, const char* bytes, std::size_t count, bool withStart)
{
    if (withStart)
        values.push_back(C128_START_C);
    if (count == 1 && static_cast<unsigned char>(bytes[0]) == Code128ByteFnc1) {
        values.push_back(C128_FNC1);
        return true;
    }
    if (count == 0 || count % 2 != 0)
        return false;
    for (std::size_t i = 0; i < count; i += 2) {
        if (!IsDigit(bytes[i]) || !IsDigit(bytes[i + 1]))
            return false;
        values.push_back(static_cast<std::uint8_t>((bytes[i] - '0') * 10 + (bytes[i + 1] - '0')));
    }
    return true;
}

bool CBarcodeSymCode128::EncodeAuto(ValueList& values) const
{
    if (m_Compliant)
        return EncodeShortest(values);
    const char* bytes = m_DataBytes.data();
    std::size_t remaining = m_DataBytes.size();
    std::size_t p = 0;
    Code128Set current = Code128Set::C; // so that a text starting with a digit pair starts in set C
    while (remaining > 0) {
        std::size_t n = 0;
        const Code128Set set = ChooseSet(current, bytes + p, remaining, n);
        if (set != current || values.empty()) {
            AppendSetChange(values, current, set);
            current = set;
        }
        if (current == Code128Set::C)
            AppendSetC(values, bytes + p, n, false);
        else
            AppendSetAB(current == Code128Set::A, values, bytes + p, n, false);
        p += n;
        remaining -= n;
    }
    return true;
}

namespace {

// The compliant automatic sets, in the order ties are broken in: B before A.
constexpr std::size_t kSetB = 0;
constexpr std::size_t kSetC = 1;
constexpr std::size_t kSetA = 2;
constexpr std::size_t kSets = 3;
constexpr std::size_t kNoCost = SIZE_MAX / 4;
constexpr std::uint8_t kShift = 98; // ISO/IEC 15417, Table 7: the next character from the other of A and B

bool FitsSet(std::size_t set, unsigned char b)
{
    return set == kSetA ? FitsSetA(b) || (b >= 1 && b < 32) : FitsSetB(b);
}

// A byte's value in set A or B (function bytes and 32..95 alike in both;
// control characters 64..95 in A).
std::uint8_t ValueInSet(std::size_t set, unsigned char b)
{
    return static_cast<std::uint8_t>(set == kSetA && b < 32 ? b + 64 : b - 32);
}

} // namespace

bool CBarcodeSymCode128::EncodeShortest(ValueList& values) const
{
    // ISO/IEC 15417, Annex E gives rules for a short symbol; the fewest symbol
    // characters are found exactly by costing every position in every code
    // set, from the end: a code set change costs one character, a character
    // of the other of sets A and B two (SHIFT and it), a digit pair or FNC1
    // in set C one.
    const char* bytes = m_DataBytes.data();
    const std::size_t length = m_DataBytes.size();
    using Costs = std::array<std::size_t, kSets>;
    // stay: from i on, the next character in the set as it is; cost: with a
    // change of set allowed first.
    std::vector<Costs> cost(length + 1, Costs{});
    std::vector<Costs> stay(length + 1, Costs{});
    for (std::size_t i = length; i-- > 0;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t pairCount = 0;
        stay[i][kSetC] =
            FitsSetC(bytes + i, length - i, pairCount) ? 1 + cost[i + pairCount][kSetC] : kNoCost;
        for (const std::size_t set : {kSetB, kSetA}) {
            const std::size_t other = set == kSetA ? kSetB : kSetA;
            stay[i][set] = FitsSet(set, b)     ? 1 + cost[i + 1][set]
                           : FitsSet(other, b) ? 2 + cost[i + 1][set]
                                               : kNoCost;
        }
        for (std::size_t set = 0; set < kSets; ++set) {
            cost[i][set] = stay[i][set];
            for (std::size_t to = 0; to < kSets; ++to)
                cost[i][set] = std::min(cost[i][set], 1 + stay[i][to]);
        }
    }
    // The start character selects the first set; on a tie the greedy start (C
    // before a digit pair) is kept, and B before A.
    std::size_t set = stay[0][kSetC] <= stay[0][kSetB] ? kSetC : kSetB;
    // A as short as B is taken when the first character needs it (Annex E:
    // A for a control character before any lower case).
    if (stay[0][kSetA] < stay[0][set] || (set == kSetB && stay[0][kSetA] == stay[0][kSetB] && length > 0 &&
                                          !FitsSet(kSetB, static_cast<unsigned char>(bytes[0]))))
        set = kSetA;
    values.push_back(set == kSetC ? C128_START_C : set == kSetB ? C128_START_B : C128_START_A);
    constexpr std::array<std::uint8_t, kSets> Change = {C128_CODE_B, C128_CODE_C, C128_CODE_A};
    for (std::size_t i = 0; i < length;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        // A change as short as a SHIFT is taken instead (Annex E shifts only
        // where the set is wanted again after the one character).
        const bool shifts = set != kSetC && !FitsSet(set, b);
        if (stay[i][set] != cost[i][set] || shifts) {
            std::size_t to = 0;
            while (to < kSets && (to == set || 1 + stay[i][to] != cost[i][set]))
                ++to;
            if (to < kSets) {
                set = to;
                values.push_back(Change[set]);
            }
        }
        if (set == kSetC) {
            std::size_t count = 1;
            FitsSetC(bytes + i, length - i, count);
            AppendSetC(values, bytes + i, count, false);
            i += count;
            continue;
        }
        if (FitsSet(set, b)) {
            values.push_back(ValueInSet(set, b));
        } else {
            values.push_back(kShift);
            values.push_back(ValueInSet(set == kSetA ? kSetB : kSetA, b));
        }
        ++i;
    }
    return true;
}

int CBarcodeSymCode128::CalcCheckValue(const ValueList& values)
{
    // ISO/IEC 15417, 4.6: start weighs 1, the i-th symbol character after it weighs i.
    // Reduced at every step so that no length can overflow.
    if (values.empty())
        return 0;
    unsigned sum = values[0] % 103;
    unsigned weight = 0;
    for (std::size_t i = 1; i < values.size(); ++i) {
        weight = (weight + 1) % 103;
        sum = (sum + weight * values[i]) % 103;
    }
    return static_cast<int>(sum);
}

void CBarcodeSymCode128::AppendChar(std::uint8_t value, bool& colour)
{
    if (value < Code128Widths.size())
        AppendModuleWidths(m_Pattern, Code128Widths[value], colour);
}

bool CBarcodeSymCode128::BuildPattern(const ValueList& values)
{
    bool bar = true;
    // Six elements per value, the stop and its final bar: one allocation, no regrowth.
    m_Pattern.reserve(m_Pattern.size() + 6 * values.size() + 7);
    for (std::uint8_t v : values)
        AppendChar(v, bar);
    AppendChar(C128_STOP, bar);
    // The stop character ends with a two-module bar (ISO/IEC 15417, 4.1.2).
    if (bar)
        m_Pattern.push_back(BAR2);
    return true;
}

std::string& CBarcodeSymCode128::ZeroPadForSetC(std::string& out, const std::string& text)
{
    if (text.size() % 2 != 0)
        out = "0" + text;
    else
        out = text;
    return out;
}

} // namespace kavren::detail
