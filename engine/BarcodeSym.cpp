#include "engine/BarcodeSym.h"

#include "common/DigitText.h"
#include "engine/CompliantRules.h"
#include "image/ImageWriter.h"
#include "image/RasterRenderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace kavren::detail {

namespace {

constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();

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

void CBarcodeSym::SetData(const char* text)
{
    if (text == nullptr || m_Data == text)
        return;
    m_Data = text;
    Encode();
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

double CBarcodeSym::GetTextAngle() const
{
    return TextAngle(m_Orientation);
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

std::int32_t CBarcodeSym::GetFreeSpace(int moduleWidth, int width, int height) const
{
    const std::int32_t length = GetSymbolLength(moduleWidth);
    if (moduleWidth == -1 || length == Int32Max)
        return Int32Min;
    const std::int64_t extent = ReadsVertically() ? height : width;
    return Clamp32(extent - length);
}

bool CBarcodeSym::FitsInto(int moduleWidth, int width, int height) const
{
    const std::int64_t cross = ReadsVertically() ? width : height;
    const std::int64_t across = 2 * static_cast<std::int64_t>(GetAddedModules().across) * moduleWidth;
    return GetFreeSpace(moduleWidth, width, height) >= 0 && cross > m_TextHeight + across;
}

bool CBarcodeSym::FitsCurrentArea() const
{
    return FitsInto(m_ModuleWidth, m_AreaWidth, m_AreaHeight);
}

std::int32_t CBarcodeSym::FindModuleWidth(const Size* area) const
{
    if (area == nullptr)
        return -1;
    // What is added across grows with the module too: a width whose bars
    // would leave no room across does not fit (the text band as measured).
    const std::int64_t acrossModules = 2 * static_cast<std::int64_t>(GetAddedModules().across);
    const std::int64_t cross = ReadsVertically() ? area->width : area->height;
    const auto freeSpace = [&](std::int64_t m) -> std::int32_t {
        if (acrossModules > 0 && cross <= m_TextHeight + acrossModules * m)
            return std::numeric_limits<std::int32_t>::min();
        return GetFreeSpace(static_cast<int>(m), area->width, area->height);
    };
    std::int32_t previous = freeSpace(1);
    if (previous < 0)
        return -1;
    // Small widths one after the other; a symbol that does not grow with its
    // module width (e.g. empty, without quiet zones) stops the search at 1.
    constexpr std::int64_t SteppedWidths = 64;
    for (std::int64_t m = 2; m <= SteppedWidths; ++m) {
        const std::int32_t current = freeSpace(m);
        if (current < 0)
            return static_cast<std::int32_t>(m - 1);
        if (current == previous)
            return 1;
        previous = current;
    }
    // Wider modules only lengthen the symbol: double, then bisect, so that any
    // area, however large, takes a few dozen length computations.
    std::int64_t good = SteppedWidths;
    std::int64_t bad = 0;
    for (std::int64_t probe = 2 * good;; probe = std::min(2 * probe, Int32Max)) {
        if (freeSpace(probe) < 0) {
            bad = probe;
            break;
        }
        good = probe;
        if (probe == Int32Max)
            return static_cast<std::int32_t>(good);
    }
    while (bad - good > 1) {
        const std::int64_t middle = good + (bad - good) / 2;
        (freeSpace(middle) >= 0 ? good : bad) = middle;
    }
    return static_cast<std::int32_t>(good);
}

// ---- Layout ----------------------------------------------------------------

bool CBarcodeSym::IsKnownOrientation(std::int32_t orientation)
{
    return orientation == 0 || orientation == 90 || orientation == 180 || orientation == 270;
}

double CBarcodeSym::GetExactSymbolLength(double moduleWidth) const
{
    const LayoutMetrics g = GetExactMetrics(moduleWidth, 0.0);
    const AddedModules added = GetAddedModules();
    double total = (g.quietZone == g.quietZoneAfter ? 2.0 * g.quietZone : g.quietZone + g.quietZoneAfter) +
                   (static_cast<double>(added.before) + added.after) * moduleWidth;
    for (const std::uint8_t code : m_Pattern)
        total += ElementLength(code, g.module, g.wide);
    return total;
}

LayoutMetrics CBarcodeSym::GetPixelMetrics() const
{
    LayoutMetrics g;
    const std::int32_t m = m_ModuleWidth;
    g.module = m;
    g.wide = GetWideWidth(m);
    // The one bar width reduction rule: a percentage of the module, truncated
    // toward zero to whole pixels.
    g.reduction = std::trunc(m_BarReduction / 100.0 * static_cast<double>(m));
    g.quietZone = GetQuietZoneWidth(m);
    g.quietZoneAfter = GetTrailingQuietZoneWidth(m);
    g.textBand = m_TextHeight;
    g.freeSpace = std::max(GetFreeSpace(m, m_AreaWidth, m_AreaHeight), 0);
    return g;
}

LayoutMetrics CBarcodeSym::GetExactMetrics(double moduleWidth, double textBand) const
{
    LayoutMetrics g;
    g.wholePixels = false;
    g.module = moduleWidth;
    g.wide = std::max(static_cast<double>(m_WideToNarrow) * moduleWidth, 0.0);
    g.reduction = m_BarReduction / 100.0 * moduleWidth;
    g.quietZone = static_cast<double>(GetQuietModules(false)) * moduleWidth;
    g.quietZoneAfter = static_cast<double>(GetQuietModules(true)) * moduleWidth;
    g.textBand = textBand;
    return g;
}

namespace {

// The frame point of an image point: ToImage backwards.
struct FramePoint {
    double along, across;
};

FramePoint FromImage(const Layout& layout, double x, double y)
{
    const double dx = x - layout.area.left;
    const double dy = y - layout.area.top;
    switch (layout.orientation) {
    case 90: return {layout.length - dy, dx};
    case 180: return {layout.length - dx, layout.thickness - dy};
    case 270: return {dy, layout.thickness - dx};
    default: return {dx, dy};
    }
}

} // namespace

Layout CBarcodeSym::GetDrawFrame() const
{
    Layout frame;
    frame.area = m_DrawArea;
    frame.orientation = m_Orientation;
    frame.length = ReadsVertically() ? m_AreaHeight : m_AreaWidth;
    frame.thickness = ReadsVertically() ? m_AreaWidth : m_AreaHeight;
    frame.paintBackground = false;
    frame.background = m_BackColor;
    frame.barColour = m_BarColor;
    frame.textColour = m_TextColor;
    return frame;
}

int CBarcodeSym::BuildLayout(const Rect* area, const TextMeasure& measure, Layout& out)
{
    if (area == nullptr)
        return 1;
    m_DrawArea = *area;
    m_AreaWidth = Clamp32(static_cast<std::int64_t>(area->right) - area->left);
    m_AreaHeight = Clamp32(static_cast<std::int64_t>(area->bottom) - area->top);
    const Size size{m_AreaWidth, m_AreaHeight};
    m_TextHeight = m_ShowText && measure ? measure(m_FontHeight) : 0;
    m_ModuleWidth = FindModuleWidth(&size);
    if (!FitsCurrentArea())
        return 5;
    if (!m_Valid)
        return 6;
    out = GetDrawFrame();
    out.paintBackground = !m_KeepBackground;
    int x = 0;
    int y = 0;
    GetBarsOrigin(area, &x, &y);
    LayoutMetrics g = GetPixelMetrics();
    const FramePoint origin = FromImage(out, x, y);
    g.originAlong = origin.along;
    g.originAcross = origin.across;
    LayoutBars(g, out);
    LayoutText(g, out);
    return 0;
}

int CBarcodeSym::BuildExactLayout(double moduleWidth, double thickness, double textBand, Layout& out) const
{
    const double band = m_ShowText ? textBand : 0.0;
    const double length = GetExactSymbolLength(moduleWidth);
    const AddedModules added = GetAddedModules();
    const double across = 2.0 * added.across * moduleWidth;
    if (!(moduleWidth > 0.0) || !(band >= 0.0) || !(thickness > band + across) || !std::isfinite(thickness) ||
        !std::isfinite(length))
        return 5;
    if (!m_Valid)
        return 6;
    out = Layout{};
    out.orientation = m_Orientation;
    out.length = length;
    out.thickness = thickness;
    out.paintBackground = !m_KeepBackground;
    out.background = m_BackColor;
    out.barColour = m_BarColor;
    out.textColour = m_TextColor;
    LayoutMetrics g = GetExactMetrics(moduleWidth, band);
    // As GetBarsOrigin: no free space to align in; an unknown orientation
    // leaves the origin at the corner.
    g.originAlong = IsKnownOrientation(m_Orientation) ? g.quietZone + added.before * moduleWidth : 0.0;
    LayoutBars(g, out);
    LayoutText(g, out);
    return 0;
}

void CBarcodeSym::AddBar(Layout& out, BarBox bar)
{
    if (!IsKnownOrientation(out.orientation))
        return;
    // Cut only what sticks out, so a bar inside keeps its exact width.
    if (bar.along < 0.0) {
        bar.length += bar.along;
        bar.along = 0.0;
    }
    if (bar.along + bar.length > out.length)
        bar.length = out.length - bar.along;
    if (bar.across < 0.0) {
        bar.height += bar.across;
        bar.across = 0.0;
    }
    if (bar.across + bar.height > out.thickness)
        bar.height = out.thickness - bar.across;
    if (bar.length > 0.0 && bar.height > 0.0)
        out.bars.push_back(bar);
}

double CBarcodeSym::GetPatternLength(const LayoutMetrics& g) const
{
    double total = 0.0;
    for (const std::uint8_t code : m_Pattern)
        total += ElementLength(code, g.module, g.wide);
    return total;
}

void CBarcodeSym::LayoutBars(const LayoutMetrics& g, Layout& out) const
{
    const double th = g.textBand;
    // What is added across (bearers) lies between the bars and the frame.
    const double inset = GetAddedModules().across * g.module;
    const double cross = out.thickness - 2.0 * inset;
    // Start points across the symbol: normal bars leave the whole text band
    // free, guard bars (with guards shown) only half of it.
    const double guardCut = GetGuardCut(g);
    double barShift = 0.0;
    double guardShift = 0.0;
    if (m_ShowText) {
        if (!m_TextBelow) {
            barShift = th;
            guardShift = guardCut;
        }
    }
    // Bars lose the reduction on their trailing side and the spaces gain it,
    // so the symbol keeps its length.
    double along = g.originAlong;
    for (std::size_t element = 0; element < m_Pattern.size(); ++element) {
        const std::uint8_t code = m_Pattern[element];
        if (along >= out.length)
            break; // nothing past the far edge can be seen
        const double length = ElementLength(code, g.module, g.wide);
        if (length == 0.0)
            continue;
        if (IsBarElement(code) && IsGuardLength(element))
            AddBar(out, {along, g.originAcross + inset + guardShift, length - g.reduction, cross - guardCut});
        else if (IsBarElement(code))
            AddBar(out, {along, g.originAcross + inset + barShift, length - g.reduction, cross - th});
        along += length;
    }
}

double CBarcodeSym::GetGuardCut(const LayoutMetrics& g) const
{
    if (!m_ShowText)
        return 0.0;
    const double th = g.textBand;
    if (!m_ShowGuards)
        return th;
    if (m_Compliant)
        return std::max(th - kavren::detail::kGuardExtensionModules * g.module, 0.0);
    return g.Half(th);
}

void CBarcodeSym::LayoutText(const LayoutMetrics& g, Layout& out) const
{
    if (m_ShowText)
        LayoutPlainText(g, m_DisplayText.c_str(), out);
}

void CBarcodeSym::LayoutPlainText(const LayoutMetrics& g, const char* text, Layout& out) const
{
    // The text's descender line lies on the area's edge (text after the bars)
    // or on the bars' edge (text before them).
    const double band = m_TextBelow ? out.thickness : g.textBand;
    TextRun run;
    run.text = text;
    run.along = g.originAlong;
    run.across = g.originAcross + band;
    run.fontHeight = m_FontHeight;
    if (m_TextAlign >= 1 && m_TextAlign <= 3) {
        // The box that covers the bars: the frame less the quiet zones and
        // the free space before the symbol.
        const double margin = g.quietZone + g.Half(g.freeSpace);
        const AddedModules added = GetAddedModules();
        run.mode = m_TextAlign;
        const double margins = g.quietZone == g.quietZoneAfter
                                   ? 2.0 * margin
                                   : 2.0 * g.Half(g.freeSpace) + g.quietZone + g.quietZoneAfter;
        run.span = out.length - margins - (static_cast<double>(added.before) + added.after) * g.module;
    }
    out.texts.push_back(std::move(run));
}

void CBarcodeSym::LayoutTextRun(const LayoutMetrics& g, double across, const char* text, int count,
                                double offset, double span, int mode, bool inset, Layout& out) const
{
    if (text == nullptr || count <= 0)
        return;
    if (inset && !m_EanTextFlush) {
        offset += g.module;
        span -= 2.0 * g.module;
    }
    TextRun run;
    run.text.assign(text, strnlen(text, static_cast<std::size_t>(count)));
    run.along = g.originAlong + offset;
    run.across = across;
    run.span = span;
    run.mode = mode;
    run.fontHeight = m_FontHeight;
    out.texts.push_back(std::move(run));
}

// ---- Drawing into a raster, through the layout ------------------------------

int CBarcodeSym::Draw(CImageWriter& writer, const Rect* area)
{
    Layout layout;
    const int status = BuildLayout(
        area, [&writer](std::int32_t fontHeight) { return writer.MeasureTextHeight(fontHeight); }, layout);
    if (status == 0)
        DrawLayout(writer, layout);
    return status;
}

std::int32_t CBarcodeSym::GetBarsOrigin(const Rect* area, int* x, int* y)
{
    if (area == nullptr || x == nullptr || y == nullptr)
        return 0;
    const std::int64_t freeSpace = std::max(GetFreeSpace(m_ModuleWidth, m_AreaWidth, m_AreaHeight), 0);
    std::int64_t shift = 0;
    if (m_BarcodeAlign == 1)
        shift = freeSpace;
    else if (m_BarcodeAlign == 2)
        shift = freeSpace / 2;
    const std::int64_t offset = shift + GetQuietZoneWidth(m_ModuleWidth) +
                                static_cast<std::int64_t>(GetAddedModules().before) * m_ModuleWidth;
    std::int64_t originX = area->left;
    std::int64_t originY = area->top;
    switch (m_Orientation) {
    case 0: originX += offset; break;
    case 90: originY += m_AreaHeight - offset; break;
    case 180:
        originX += m_AreaWidth - offset;
        originY += m_AreaHeight;
        break;
    case 270:
        originX += m_AreaWidth;
        originY += offset;
        break;
    default: break;
    }
    *x = Clamp32(originX);
    *y = Clamp32(originY);
    return Clamp32(offset);
}

} // namespace kavren::detail
