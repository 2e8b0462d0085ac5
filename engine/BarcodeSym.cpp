#include "engine/BarcodeSym.h"

#include "image/ImageWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();

std::int32_t Clamp32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp(value, Int32Min, Int32Max));
}

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

std::int64_t ElementLength(std::uint8_t code, std::int64_t moduleWidth, std::int64_t wide)
{
    if (code == WIDE_SPACE || code == WIDE_BAR)
        return wide;
    if (code < ElementModules.size())
        return ElementModules[code] * moduleWidth;
    return 0;
}

// Unit steps for one orientation: along the reading direction (dx, dy) and
// across it, away from the edge the bars grow from (cx, cy).
struct Axes {
    int dx, dy, cx, cy;
};

Axes AxesFor(std::int32_t orientation)
{
    switch (orientation) {
    case 90: return {0, -1, 1, 0};
    case 180: return {-1, 0, 0, -1};
    case 270: return {0, 1, -1, 0};
    default: return {1, 0, 0, 1};
    }
}

// Text angles use this value of pi so that rotated text lands on the same pixels everywhere.
constexpr double TextPi = 3.1415926;

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
    if (text == nullptr || *text == '\0')
        return false;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
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
    return Clamp32(ElementLength(code, moduleWidth, GetWideWidth(moduleWidth)));
}

bool CBarcodeSym::IsBarElement(std::uint8_t code)
{
    return code == BAR1 || code == BAR2 || code == BAR3 || code == BAR4 || code == WIDE_BAR || code == GUARD;
}

double CBarcodeSym::GetTextAngle() const
{
    switch (m_Orientation) {
    case 90:
    case 180:
    case 270: return m_Orientation * TextPi / 180.0;
    default: return 0.0;
    }
}

std::int32_t CBarcodeSym::GetQuietZoneWidth(int moduleWidth) const
{
    if (!m_QuietZones || moduleWidth < 0)
        return 0;
    return Clamp32(QuietZoneModules * moduleWidth);
}

std::int32_t CBarcodeSym::GetSymbolLength(int moduleWidth) const
{
    // No length for a negative width (-1 is "no width found"); a length that
    // does not fit an int32 cannot be drawn either.
    if (moduleWidth < 0)
        return Int32Max;
    const std::int64_t wide = GetWideWidth(moduleWidth);
    std::int64_t total = 2 * static_cast<std::int64_t>(GetQuietZoneWidth(moduleWidth));
    if (total >= Int32Max)
        return Int32Max;
    for (const std::uint8_t code : m_Pattern) {
        total += ElementLength(code, moduleWidth, wide);
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
    const std::int32_t cross = ReadsVertically() ? width : height;
    return GetFreeSpace(moduleWidth, width, height) >= 0 && cross > m_TextHeight;
}

bool CBarcodeSym::FitsCurrentArea() const
{
    return FitsInto(m_ModuleWidth, m_AreaWidth, m_AreaHeight);
}

std::int32_t CBarcodeSym::FindModuleWidth(const Size* area) const
{
    if (area == nullptr)
        return -1;
    const auto freeSpace = [&](std::int64_t m) {
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

// ---- Drawing ---------------------------------------------------------------

int CBarcodeSym::Draw(CImageWriter& writer, const Rect* area)
{
    if (area == nullptr)
        return 1;
    m_DrawArea = *area;
    m_AreaWidth = Clamp32(static_cast<std::int64_t>(area->right) - area->left);
    m_AreaHeight = Clamp32(static_cast<std::int64_t>(area->bottom) - area->top);
    const Size size{m_AreaWidth, m_AreaHeight};
    m_ModuleWidth = FindModuleWidth(&size);
    m_TextHeight = m_ShowText ? writer.MeasureTextHeight(m_FontHeight) : 0;
    if (!FitsCurrentArea())
        return 5;
    if (!m_Valid)
        return 6;
    constexpr Colour RgbMask = 0xffffff; // the top byte of a colour carries nothing
    if (!m_KeepBackground && (m_BackColor & RgbMask) != (writer.GetBackground() & RgbMask))
        writer.FillRect(area->left, area->top, m_AreaWidth, m_AreaHeight, m_BackColor);
    int x = 0;
    int y = 0;
    GetBarsOrigin(area, &x, &y);
    DrawBars(writer, x, y);
    return 0;
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
    const std::int64_t offset = shift + GetQuietZoneWidth(m_ModuleWidth);
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

namespace {

// Fills one bar, a rectangle `thickness` long in the reading direction and
// `length` across it from (x, y), clipped to the drawing area.
void FillClippedBar(CImageWriter& writer, std::int32_t orientation, const Rect& area, Colour colour,
                    std::int64_t x, std::int64_t y, std::int64_t thickness, std::int64_t length)
{
    if (thickness <= 0 || length <= 0)
        return;
    std::int64_t left = x;
    std::int64_t top = y;
    std::int64_t width = thickness;
    std::int64_t height = length;
    switch (orientation) {
    case 0: break;
    case 90:
        top = y - thickness;
        width = length;
        height = thickness;
        break;
    case 180:
        left = x - thickness;
        top = y - length;
        break;
    case 270:
        left = x - length;
        width = length;
        height = thickness;
        break;
    default: return;
    }
    const std::int64_t x0 = std::max<std::int64_t>(left, area.left);
    const std::int64_t x1 = std::min<std::int64_t>(left + width, area.right);
    const std::int64_t y0 = std::max<std::int64_t>(top, area.top);
    const std::int64_t y1 = std::min<std::int64_t>(top + height, area.bottom);
    if (x1 > x0 && y1 > y0)
        writer.FillRect(Clamp32(x0), Clamp32(y0), Clamp32(x1 - x0), Clamp32(y1 - y0), colour);
}

} // namespace

void CBarcodeSym::FillBar(CImageWriter& writer, int x, int y, int thickness, int length)
{
    FillClippedBar(writer, m_Orientation, m_DrawArea, m_BarColor, x, y, thickness, length);
}

void CBarcodeSym::DrawBars(CImageWriter& writer, int x, int y)
{
    const Axes axes = AxesFor(m_Orientation);
    const std::int64_t m = m_ModuleWidth;
    const std::int64_t cross = ReadsVertically() ? m_AreaWidth : m_AreaHeight;
    const std::int64_t th = m_TextHeight;
    // Start points across the symbol: normal bars leave the whole text band
    // free, guard bars (with guards shown) only half of it.
    std::int64_t guardCut = 0;
    std::int64_t barShift = 0;
    std::int64_t guardShift = 0;
    if (m_ShowText) {
        guardCut = m_ShowGuards ? th / 2 : th;
        if (!m_TextBelow) {
            barShift = th;
            guardShift = guardCut;
        }
    }
    // Bars lose the reduction on their trailing side and the spaces gain it,
    // so the symbol keeps its length.
    const auto reduction =
        static_cast<std::int64_t>(std::trunc(m_BarReduction / 100.0 * static_cast<double>(m)));
    const std::int64_t wide = GetWideWidth(m_ModuleWidth);
    // Distance from the origin to the area's far edge along the reading direction.
    std::int64_t room = 0;
    switch (m_Orientation) {
    case 90: room = static_cast<std::int64_t>(y) - m_DrawArea.top; break;
    case 180: room = static_cast<std::int64_t>(x) - m_DrawArea.left; break;
    case 270: room = static_cast<std::int64_t>(m_DrawArea.bottom) - y; break;
    default: room = static_cast<std::int64_t>(m_DrawArea.right) - x; break;
    }
    std::int64_t along = 0;
    for (const std::uint8_t code : m_Pattern) {
        if (along >= room)
            break; // nothing past the far edge can be seen
        const std::int64_t length = ElementLength(code, m, wide);
        if (length == 0)
            continue;
        const std::int64_t startX = x + axes.dx * along;
        const std::int64_t startY = y + axes.dy * along;
        if (code == GUARD) {
            FillClippedBar(writer, m_Orientation, m_DrawArea, m_BarColor, startX + axes.cx * guardShift,
                           startY + axes.cy * guardShift, m - reduction, cross - guardCut);
        } else if (IsBarElement(code)) {
            FillClippedBar(writer, m_Orientation, m_DrawArea, m_BarColor, startX + axes.cx * barShift,
                           startY + axes.cy * barShift, length - reduction, cross - th);
        }
        along += length;
    }
    DrawText(writer, x, y, m_TextHeight);
}

void CBarcodeSym::DrawText(CImageWriter& writer, int x, int y, int textHeight)
{
    if (m_ShowText)
        DrawPlainText(writer, x, y, textHeight, m_DisplayText.c_str());
}

void CBarcodeSym::DrawPlainText(CImageWriter& writer, int x, int y, int textHeight, const char* text)
{
    const std::int64_t freeSpace = std::max(GetFreeSpace(m_ModuleWidth, m_AreaWidth, m_AreaHeight), 0);
    const std::int64_t margin = GetQuietZoneWidth(m_ModuleWidth) + freeSpace / 2;
    const bool vertical = ReadsVertically();
    // The text's descender line lies on the area's edge (text after the bars)
    // or on the bars' edge (text before them).
    const std::int64_t band = m_TextBelow ? (vertical ? m_AreaWidth : m_AreaHeight) : textHeight;
    const std::int64_t span = vertical ? m_AreaHeight : m_AreaWidth;
    const Axes axes = AxesFor(m_Orientation);
    const std::int64_t originX = x + axes.cx * band;
    const std::int64_t originY = y + axes.cy * band;
    int mode = 0;
    std::int64_t textSpan = 0;
    if (m_TextAlign >= 1 && m_TextAlign <= 3) {
        mode = m_TextAlign;
        textSpan = span - 2 * margin;
    }
    writer.DrawString(text, m_FontHeight, mode, Clamp32(originX), Clamp32(originY), Clamp32(textSpan),
                      GetTextAngle(), m_TextColor);
}

void CBarcodeSym::DrawTextRun(CImageWriter& writer, const char* text, int count, int x, int y, int offset,
                              int span, int mode, bool inset)
{
    std::int64_t along = offset;
    std::int64_t runSpan = span;
    if (inset && !m_EanTextFlush) {
        along += m_ModuleWidth;
        runSpan -= 2 * static_cast<std::int64_t>(m_ModuleWidth);
    }
    const Axes axes = AxesFor(m_Orientation);
    writer.DrawStringN(text, count, m_FontHeight, mode, Clamp32(x + axes.dx * along),
                       Clamp32(y + axes.dy * along), Clamp32(runSpan), GetTextAngle(), m_TextColor);
}
