#include "symbologies/PostPlaNet.h"

#include "symbologies/Digits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kavren::detail {

// USPS PostNet digit patterns, 1 = tall bar: two tall bars of five per digit.
static constexpr std::array<std::array<std::uint8_t, 5>, 10> PostalDigitBars = {{
    {1, 1, 0, 0, 0}, // 0
    {0, 0, 0, 1, 1}, // 1
    {0, 0, 1, 0, 1}, // 2
    {0, 0, 1, 1, 0}, // 3
    {0, 1, 0, 0, 1}, // 4
    {0, 1, 0, 1, 0}, // 5
    {0, 1, 1, 0, 0}, // 6
    {1, 0, 0, 0, 1}, // 7
    {1, 0, 0, 1, 0}, // 8
    {1, 0, 1, 0, 0}, // 9
}};

namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

} // namespace

int DigitSumCheckDigit(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    int sum = 0;
    for (; *text != '\0'; ++text) {
        sum = (sum + (*text - '0')) % 10;
    }
    return (10 - sum) % 10;
}

CBarcodeSymPostPlaNet::CBarcodeSymPostPlaNet(const CBarcodeSettings& settings, bool isPostNet)
    : CBarcodeSym(settings), m_IsPostNet(isPostNet)
{
}

bool CBarcodeSymPostPlaNet::Validate()
{
    m_ErrorDetail = DigitProblem(m_Data, Takes(*this, "digits"));
    return m_ErrorDetail.empty();
}

void CBarcodeSymPostPlaNet::LoadData()
{
    if (!Validate()) {
        return;
    }
    m_DataBytes = m_Data;
    if (m_CalcCheckDigit) {
        m_DataBytes += static_cast<char>('0' + DigitSumCheckDigit(m_Data.c_str()));
    }
}

void CBarcodeSymPostPlaNet::BuildDisplayText()
{
    if (!Validate()) {
        return;
    }
    m_DisplayText = m_Data;
    if (m_CalcCheckDigit && m_ShowCheckDigit) {
        m_DisplayText += static_cast<char>('0' + DigitSumCheckDigit(m_Data.c_str()));
    }
}

// Planet is PostNet with tall and short swapped; the frame bars are tall in both.
bool CBarcodeSymPostPlaNet::Encode()
{
    if (!Prepare()) {
        return false;
    }
    const std::uint8_t one = m_IsPostNet ? POSTAL_TALL : POSTAL_SHORT;
    const std::uint8_t zero = m_IsPostNet ? POSTAL_SHORT : POSTAL_TALL;
    m_Pattern.push_back(POSTAL_TALL);
    m_Pattern.push_back(POSTAL_GAP);
    for (const char c : m_DataBytes) {
        for (const std::uint8_t tall : PostalDigitBars[static_cast<std::size_t>(c - '0')]) {
            m_Pattern.push_back(tall != 0 ? one : zero);
            m_Pattern.push_back(POSTAL_GAP);
        }
    }
    m_Pattern.push_back(POSTAL_TALL);
    return true;
}

// Modules along the reading direction: one per bar or gap, and both quiet zones.
std::int64_t CBarcodeSymPostPlaNet::SymbolModules() const
{
    return static_cast<std::int64_t>(m_Pattern.size()) + 2 * std::int64_t{GetQuietZoneWidth(1)};
}

std::int32_t CBarcodeSymPostPlaNet::GetSymbolLength(int moduleWidth) const
{
    if (moduleWidth < 0) {
        return kInt32Max; // no module width fits
    }
    const std::int64_t modules = SymbolModules();
    if (moduleWidth > 0 && modules > kInt32Max / moduleWidth) {
        return kInt32Max;
    }
    return static_cast<std::int32_t>(modules * moduleWidth);
}

std::int64_t CBarcodeSymPostPlaNet::ShortBarHeight(std::int64_t tallHeight)
{
    // 2h/5 is never exactly halfway between two integers, so adding 2 before
    // the division rounds it to the nearest.
    const std::int64_t height = (2 * tallHeight + 2) / 5;
    return height < 1 ? 1 : height;
}

bool CBarcodeSymPostPlaNet::FitsInto(int moduleWidth, int width, int height) const
{
    const std::int64_t tall = std::int64_t{ReadsVertically() ? width : height} - m_TextHeight;
    // A short bar must be 40 % of a tall one without the 1-pixel floor, else
    // tall and short would look the same.
    return GetFreeSpace(moduleWidth, width, height) >= 0 && tall >= 2;
}

// The length grows by SymbolModules() pixels per module width, so the widest
// fitting width is a division rather than a search.
std::int32_t CBarcodeSymPostPlaNet::FindModuleWidth(const Size* area) const
{
    if (area == nullptr) {
        return -1;
    }
    const std::int64_t length = ReadsVertically() ? area->height : area->width;
    const std::int64_t modules = SymbolModules();
    if (length < modules) {
        return -1;
    }
    if (modules == 0) {
        return 1; // nothing to draw: the length does not grow with the width
    }
    return static_cast<std::int32_t>(length / modules);
}

// The symbol is placed along the reading direction as every other one is.
std::int32_t CBarcodeSymPostPlaNet::GetBarsOrigin(const Rect* area, int* x, int* y)
{
    return CBarcodeSym::GetBarsOrigin(area, x, y);
}

double CBarcodeSymPostPlaNet::GetExactSymbolLength(double moduleWidth) const
{
    return static_cast<double>(SymbolModules()) * moduleWidth;
}

void CBarcodeSymPostPlaNet::LayoutBars(const LayoutMetrics& g, Layout& out) const
{
    const double cross = out.thickness;
    const double tall = cross - (m_ShowText ? g.textBand : 0.0);
    const double m = g.module;
    // Bars shrink on their trailing side, as in every symbology; a widened bar
    // is never wider than the area.
    const double thickness = std::min(m - g.reduction, out.length);
    if (tall <= 0.0 || m <= 0.0 || thickness <= 0.0)
        return;
    const double shortBar =
        g.wholePixels ? static_cast<double>(ShortBarHeight(static_cast<std::int64_t>(tall))) : 0.4 * tall;
    // Every bar stands on the bar band's edge away from the origin side:
    // next to the text below, or on the area's far edge.
    const double baseline = m_TextBelow ? tall : cross;
    double along = g.originAlong;
    for (const std::uint8_t code : m_Pattern) {
        if (code == POSTAL_TALL || code == POSTAL_SHORT) {
            const double height = code == POSTAL_TALL ? tall : shortBar;
            AddBar(out, {along, g.originAcross + baseline - height, thickness, height});
        }
        along += m;
    }
}

} // namespace kavren::detail
