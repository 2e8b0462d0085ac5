#include "image/RasterRenderer.h"

#include "image/ImageWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace kavren::detail {

namespace {

constexpr double Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr double Int32Min = std::numeric_limits<std::int32_t>::min();

// A position to the nearest pixel edge, kept inside the int32 range.
std::int64_t ToPixel(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<std::int64_t>(std::clamp(std::round(value), 4 * Int32Min, 4 * Int32Max));
}

// A bar's pixels: its box rounded to whole pixels and clipped to the area.
struct PixelBox {
    std::int64_t x0, x1, y0, y1;
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

PixelBox BarPixels(const Layout& layout, const BarBox& bar)
{
    const ImagePoint a = ToImage(layout, bar.along, bar.across);
    const ImagePoint b = ToImage(layout, bar.along + bar.length, bar.across + bar.height);
    const Rect& area = layout.area;
    return {std::max<std::int64_t>(ToPixel(std::min(a.x, b.x)), area.left),
            std::min<std::int64_t>(ToPixel(std::max(a.x, b.x)), area.right),
            std::max<std::int64_t>(ToPixel(std::min(a.y, b.y)), area.top),
            std::min<std::int64_t>(ToPixel(std::max(a.y, b.y)), area.bottom)};
}

// Bars in one colour overwrite whatever is under them, so the order they are
// filled in does not matter: consecutive bars over the same rows are filled
// as one band.
void FillBars(CImageWriter& writer, const Layout& layout)
{
    std::vector<CImageWriter::ColumnSpan> columns;
    std::int64_t top = 0;
    std::int64_t bottom = 0;
    const auto flush = [&] {
        if (!columns.empty())
            writer.FillColumns(top, bottom, columns, layout.barColour);
        columns.clear();
    };
    for (const BarBox& bar : layout.bars) {
        const PixelBox box = BarPixels(layout, bar);
        if (box.Empty())
            continue;
        if (box.y0 != top || box.y1 != bottom) {
            flush();
            top = box.y0;
            bottom = box.y1;
        }
        columns.push_back({box.x0, box.x1});
    }
    flush();
}

void DrawRun(CImageWriter& writer, const Layout& layout, const TextRun& run, double angle)
{
    const ImagePoint origin = ToImage(layout, run.along, run.across);
    const auto count = static_cast<int>(std::min<std::size_t>(run.text.size(), Int32Max));
    writer.DrawStringN(run.text.c_str(), count, run.fontHeight, run.mode, Clamp32(ToPixel(origin.x)),
                       Clamp32(ToPixel(origin.y)), Clamp32(ToPixel(run.span)), angle, layout.textColour);
}

} // namespace

void DrawLayout(CImageWriter& writer, const Layout& layout)
{
    constexpr Colour RgbMask = 0xffffff; // the top byte of a colour carries nothing
    const Rect& area = layout.area;
    if (layout.paintBackground && (layout.background & RgbMask) != (writer.GetBackground() & RgbMask))
        writer.FillRect(area.left, area.top, Clamp32(std::int64_t{area.right} - area.left),
                        Clamp32(std::int64_t{area.bottom} - area.top), layout.background);
    FillBars(writer, layout);
    const double angle = TextAngle(layout.orientation);
    for (const TextRun& run : layout.texts)
        DrawRun(writer, layout, run, angle);
}

} // namespace kavren::detail
