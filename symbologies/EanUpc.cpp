#include "symbologies/EanUpc.h"

#include "engine/CompliantRules.h"
#include "symbologies/CharTable.h"
#include "symbologies/EAN2.h"
#include "symbologies/EAN5.h"
#include "symbologies/Symbologies.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kavren::detail {

namespace {

// Module widths of number set C, bar first (ISO/IEC 15420, number sets table). Set A is
// the same widths starting with a space; set B is them reversed, starting with a space.
static constexpr std::array<std::array<std::uint8_t, 4>, 10> EanDigitWidths = {{
    {3, 2, 1, 1}, // 0
    {2, 2, 2, 1}, // 1
    {2, 1, 2, 2}, // 2
    {1, 4, 1, 1}, // 3
    {1, 1, 3, 2}, // 4
    {1, 2, 3, 1}, // 5
    {1, 1, 1, 4}, // 6
    {1, 3, 1, 2}, // 7
    {1, 2, 1, 3}, // 8
    {3, 1, 1, 2}, // 9
}};

} // namespace

bool CheckTypedDigit(CBarcodeSym& sym, std::string_view digits)
{
    if (digits.empty())
        return true;
    const std::string_view before = digits.substr(0, digits.size() - 1);
    const char expected = static_cast<char>('0' + Gs1CheckDigit(before));
    const char typed = digits.back();
    if (typed == expected)
        return true;
    if (sym.m_Gs1Check) {
        sym.m_ErrorDetail = std::string("check digit is ") + typed + ", expected " + expected;
        return false;
    }
    sym.m_Warning = std::string("check digit ") + typed + " replaced by " + expected + ": " +
                    std::string(before) + expected;
    return true;
}

bool EncodeEanDigit(std::vector<std::uint8_t>& pattern, int digit, bool& colour)
{
    return EncodeEanParityDigit(pattern, digit, true, colour);
}

bool EncodeEanParityDigit(std::vector<std::uint8_t>& pattern, int digit, bool oddParity, bool& colour)
{
    if (digit < 0 || digit > 9)
        return false;
    const auto& widths = EanDigitWidths[static_cast<std::size_t>(digit)];
    if (oddParity)
        AppendModuleWidths(pattern, widths, colour);
    else
        // Even parity is the odd pattern read backwards (ISO/IEC 15420, Table 1: set B).
        AppendModuleWidths(pattern, std::array{widths[3], widths[2], widths[1], widths[0]}, colour);
    return true;
}

AddedModules CBarcodeSymEanUpc::GetAddedModules() const
{
    AddedModules added;
    if (m_AddOnPattern.empty())
        return added;
    added.after = AddOnGapModules;
    for (const std::uint8_t code : m_AddOnPattern)
        added.after += GetElementLength(code, 1);
    return added;
}

namespace {

// Where the digits of one symbology go in one text mode. Character positions
// below 0 count from the end of the text (-1 is the last); offsets and spans
// are in modules from the symbol's first module.
struct EanTextRuns {
    std::int32_t type;
    std::int32_t mode;
    bool firstOutside; // character 0 drawn left of the first bar
    std::int32_t group1First, group1Last, group1Offset, group1Span;
    std::int32_t group2First, group2Last, group2Offset, group2Span; // span 0: no second group
    std::int32_t lastOffset;                                        // 0: no character outside right
};

// Each group covers the digit modules of its half plus the centre guard's space
// next to them (EAN-13 3..45 and 49..91); the last character outside right
// stands one module past the symbol's end (EAN-13/UPC-A 95, EAN-8 67, UPC-E 52 modules).
static constexpr std::array<EanTextRuns, 12> EanTextLayouts = {{
    {TYPE_EAN13, 4, true, 1, 6, 3, 43, 7, -1, 49, 43, 0},
    {TYPE_EAN13, 5, true, 1, 5, 3, 43, 6, -2, 49, 43, 96},
    {TYPE_EAN13, 6, false, 0, 5, 3, 43, 6, -1, 49, 43, 0},
    {TYPE_UPCA, 4, true, 1, 5, 3, 43, 6, -1, 49, 43, 0},
    {TYPE_UPCA, 5, true, 1, 5, 3, 43, 6, -2, 49, 43, 96},
    {TYPE_UPCA, 6, false, 0, 5, 3, 43, 6, -1, 49, 43, 0},
    {TYPE_EAN8, 4, true, 1, 3, 3, 29, 4, -1, 35, 29, 0},
    {TYPE_EAN8, 5, true, 1, 3, 3, 29, 4, -2, 35, 29, 68},
    {TYPE_EAN8, 6, false, 0, 3, 3, 29, 4, -1, 35, 29, 0},
    {TYPE_UPCE, 4, true, 1, -1, 3, 43, 0, 0, 0, 0, 0},
    {TYPE_UPCE, 5, true, 1, -2, 3, 43, 0, 0, 0, 0, 52},
    {TYPE_UPCE, 6, false, 0, -1, 3, 43, 0, 0, 0, 0, 0},
}};
// UPC-A as --compliant draws it: its outer characters' bars run to guard
// length (CBarcodeSymUPCA::IsGuardLength), so each group keeps to the five
// digits between them and the centre guard.
static constexpr EanTextRuns CompliantUpcA = {TYPE_UPCA, 5, true, 1, 5, 10, 36, 6, -2, 49, 36, 96};

constexpr int TextModeEnd = 1;
constexpr int TextModeSpread = 3;

int Position(int index, int length)
{
    return index < 0 ? length + index : index;
}

} // namespace

void CBarcodeSymEanUpc::AddDigitGroups(double offset, EncodedSymbol& symbol) const
{
    const int mode = EanTextMode(m_TextAlign, m_QuietZones);
    const EanTextRuns* runs = nullptr;
    for (const EanTextRuns& r : EanTextLayouts)
        if (r.type == m_Type && r.mode == mode)
            runs = &r;
    if (m_Compliant && runs != nullptr && runs->type == CompliantUpcA.type && runs->mode == CompliantUpcA.mode)
        runs = &CompliantUpcA;
    if (runs == nullptr)
        return;
    const std::string& text = m_DisplayText;
    const int n = static_cast<int>(std::strlen(text.c_str()));
    // One run of characters first..last (none unless all are in the text)
    // laid over `span` modules from `start`.
    const auto add = [&](int first, int last, double start, double span, int align, bool inset,
                         double scale) {
        first = Position(first, n);
        last = Position(last, n);
        if (first < 0 || last >= n || last < first)
            return;
        TextItem item;
        item.inset = inset && !m_EanTextFlush ? 1.0 : 0.0;
        item.text = text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
        item.role = TextRole::EanGroup;
        item.start = {offset + start, 0};
        item.span = {span, 0};
        item.align = align;
        item.fontScale = scale;
        symbol.texts.push_back(std::move(item));
    };
    // The outside digits of UPC-A and UPC-E, smaller as GS1 draws them.
    const double outside =
        m_Compliant && (m_Type == TYPE_UPCA || m_Type == TYPE_UPCE) ? kOutsideDigitScale : 1.0;
    if (runs->firstOutside) // ends one module before the first bar
        add(0, 0, -1.0, 0.0, TextModeEnd, false, outside);
    add(runs->group1First, runs->group1Last, runs->group1Offset, runs->group1Span, TextModeSpread, true, 1.0);
    if (runs->group2Span > 0)
        add(runs->group2First, runs->group2Last, runs->group2Offset, runs->group2Span, TextModeSpread, true,
            1.0);
    if (runs->lastOffset > 0)
        add(-1, -1, runs->lastOffset, 0.0, TextModeSpread, false, outside);
}

void CBarcodeSymEanUpc::AddTexts(double offset, const ModuleSpan& patternEnd, EncodedSymbol& symbol) const
{
    if (m_ShowGuards || (m_TextAlign >= 4 && m_TextAlign <= 6))
        AddDigitGroups(offset, symbol);
    else
        CBarcodeSym::AddTexts(offset, patternEnd, symbol);
    if (m_AddOnPattern.empty())
        return;
    // The add-on digits spread over its bars as a digit group is.
    TextItem item;
    item.text = m_AddOn;
    item.role = TextRole::AddOn;
    item.start = {patternEnd.modules + AddOnGapModules, patternEnd.wides};
    item.span = {static_cast<double>(GetAddedModules().after - AddOnGapModules), 0};
    item.align = TextModeSpread;
    item.inset = m_EanTextFlush ? 0.0 : 1.0;
    symbol.texts.push_back(std::move(item));
}

bool CBarcodeSymEanUpc::SplitAddOn(std::string& main)
{
    const std::size_t plus = m_Data.find('+');
    main = m_Data.substr(0, plus);
    m_AddOn = plus == std::string::npos ? std::string() : m_Data.substr(plus + 1);
    return plus == std::string::npos || IsDigitText(m_AddOn, 2, 5);
}

std::string CBarcodeSymEanUpc::AddOnProblem() const
{
    return "add-on '" + m_AddOn + "': 2 or 5 digits follow the '+'";
}

void CBarcodeSymEanUpc::EncodeAddOn()
{
    m_AddOnPattern.clear();
    if (m_AddOn.size() == 2)
        EncodeEan2(m_AddOnPattern, m_AddOn);
    else if (m_AddOn.size() == 5)
        EncodeEan5(m_AddOnPattern, m_AddOn);
}

CBarcodeSymEanUpcHalves::CBarcodeSymEanUpcHalves(const CBarcodeSettings& settings, std::size_t halfDigits,
                                                 bool takesAddOn)
    : CBarcodeSymEanUpc(settings), m_DataDigits(2 * halfDigits - 1), m_TakesAddOn(takesAddOn)
{
}

bool CBarcodeSymEanUpcHalves::Validate()
{
    m_ErrorDetail.clear();
    m_Warning.clear();
    std::string main = m_Data;
    if (m_TakesAddOn && !SplitAddOn(main)) {
        m_ErrorDetail = AddOnProblem();
        return false;
    }
    m_ErrorDetail = DigitProblem(
        main, m_DataDigits, m_DataDigits + 1,
        Takes(*this, std::to_string(m_DataDigits) + " or " + std::to_string(m_DataDigits + 1) + " digits"));
    return m_ErrorDetail.empty() && (main.size() == m_DataDigits || CheckTypedDigit(*this, main));
}

char CBarcodeSymEanUpcHalves::CheckChar() const
{
    return static_cast<char>('0' + Gs1CheckDigit(std::string_view(m_Data).substr(0, m_DataDigits)));
}

void CBarcodeSymEanUpcHalves::LoadData()
{
    m_DataBytes.assign(m_Data, 0, m_DataDigits);
    m_DataBytes.push_back(CheckChar());
}

void CBarcodeSymEanUpcHalves::BuildDisplayText()
{
    m_DisplayText.assign(m_Data, 0, m_DataDigits);
    if (m_ShowCheckDigit)
        m_DisplayText.push_back(CheckChar());
}

bool CBarcodeSymEanUpcHalves::Encode()
{
    if (!Prepare())
        return false;
    const std::size_t halfDigits = (m_DataDigits + 1) / 2;
    bool colour = false;
    AppendElements(m_Pattern, EanNormalGuard);
    for (std::size_t i = 0; i < 2 * halfDigits; ++i) {
        EncodeEanDigit(m_Pattern, m_DataBytes[i] - '0', colour);
        if (i + 1 == halfDigits) {
            AppendElements(m_Pattern, EanCentreGuard);
            colour = true;
        }
    }
    AppendElements(m_Pattern, EanNormalGuard);
    EncodeAddOn();
    return true;
}

} // namespace kavren::detail
