#include "image/VectorShapes.h"

#include "image/GlyphPlacement.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <tuple>

namespace kavren::detail {

namespace {

// A bar's box in image coordinates: the frame maps corner to corner.
ImageBox ToImageBox(const Layout& layout, const BarBox& bar)
{
    const ImagePoint a = ToImage(layout, bar.along, bar.across);
    const ImagePoint b = ToImage(layout, bar.along + bar.length, bar.across + bar.height);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// Collects FT_Outline_Decompose's steps, mapped from the glyph's 26.6 units
// (y upward from its origin) to image coordinates: the glyph's point `from`
// lands on `at`.
struct OutlineCollector {
    std::vector<PathStep>* path;
    ImagePoint at;
    FT_Vector from{0, 0};
    bool open = false;

    ImagePoint Map(const FT_Vector* v) const
    {
        return {at.x + static_cast<double>(v->x - from.x) / 64.0, at.y - static_cast<double>(v->y - from.y) / 64.0};
    }
    void Add(PathStep::Kind kind, std::initializer_list<const FT_Vector*> points)
    {
        PathStep step;
        step.kind = kind;
        int i = 0;
        for (const FT_Vector* v : points)
            step.points[i++] = Map(v);
        path->push_back(step);
    }
    void Close()
    {
        if (open)
            path->push_back({PathStep::Kind::Close, {}});
        open = false;
    }
    void Decompose(const FT_Outline& outline)
    {
        // FreeType reads the outline only.
        FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &kOutlineFuncs, this);
        Close();
    }
    static const FT_Outline_Funcs kOutlineFuncs;
};

OutlineCollector& Collector(void* user)
{
    return *static_cast<OutlineCollector*>(user);
}

int MoveTo(const FT_Vector* to, void* user)
{
    Collector(user).Close();
    Collector(user).Add(PathStep::Kind::Move, {to});
    Collector(user).open = true;
    return 0;
}

int LineTo(const FT_Vector* to, void* user)
{
    Collector(user).Add(PathStep::Kind::Line, {to});
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    Collector(user).Add(PathStep::Kind::Conic, {control, to});
    return 0;
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user)
{
    Collector(user).Add(PathStep::Kind::Cubic, {control1, control2, to});
    return 0;
}

const FT_Outline_Funcs OutlineCollector::kOutlineFuncs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};

// The bytes the raster text renderer draws: up to the first NUL.
std::size_t DrawnLength(const std::string& text)
{
    return strnlen(text.c_str(), text.size());
}

} // namespace

ImageBox FrameBox(const Layout& layout)
{
    const bool upright = layout.orientation == 90 || layout.orientation == 270;
    const double left = layout.area.left;
    const double top = layout.area.top;
    return {left, top, left + (upright ? layout.thickness : layout.length),
            top + (upright ? layout.length : layout.thickness)};
}

std::vector<ImageBox> MergedBars(const Layout& layout)
{
    std::vector<BarBox> bars;
    bars.reserve(layout.bars.size());
    for (const BarBox& bar : layout.bars)
        if (bar.length > 0 && bar.height > 0)
            bars.push_back(bar);
    std::sort(bars.begin(), bars.end(), [](const BarBox& a, const BarBox& b) {
        return std::tie(a.across, a.height, a.along) < std::tie(b.across, b.height, b.along);
    });
    std::vector<BarBox> merged;
    merged.reserve(bars.size());
    for (const BarBox& bar : bars) {
        if (!merged.empty()) {
            BarBox& last = merged.back();
            if (last.across == bar.across && last.height == bar.height &&
                bar.along <= last.along + last.length) {
                last.length = std::max(last.length, bar.along + bar.length - last.along);
                continue;
            }
        }
        merged.push_back(bar);
    }
    // Back in reading order, clipped to the frame as the raster clips them.
    std::sort(merged.begin(), merged.end(), [](const BarBox& a, const BarBox& b) {
        return std::tie(a.along, a.across) < std::tie(b.along, b.across);
    });
    const ImageBox frame = FrameBox(layout);
    std::vector<ImageBox> boxes;
    boxes.reserve(merged.size());
    for (const BarBox& bar : merged) {
        ImageBox box = ToImageBox(layout, bar);
        box.left = std::max(box.left, frame.left);
        box.top = std::max(box.top, frame.top);
        box.right = std::min(box.right, frame.right);
        box.bottom = std::min(box.bottom, frame.bottom);
        if (box.left < box.right && box.top < box.bottom)
            boxes.push_back(box);
    }
    return boxes;
}

namespace {

// Each drawn glyph of the text runs, as the raster text renderer places it:
// its outline and its origin in image coordinates. False when the font cannot
// be opened (only tried when there is text).
using OutlineSink = std::function<void(FT_Outline& outline, ImagePoint origin)>;

bool ForEachOutline(const Layout& layout, const VectorOptions& options, std::size_t& glyphs, const OutlineSink& sink)
{
    glyphs = 0;
    for (const TextRun& run : layout.texts)
        glyphs += DrawnLength(run.text);
    if (glyphs == 0)
        return true;
    CFontFace opened;
    if (!options.face && opened.Open(options.fontPath) != 0)
        return false;
    const CFontFace& face = options.face ? *options.face : opened;
    const double angle = TextAngle(layout.orientation);
    for (const TextRun& run : layout.texts) {
        // Placed from (0, 0) and moved to the run's exact start: every step of
        // the placement is relative to its start point.
        const ImagePoint start = ToImage(layout, run.along, run.across);
        const auto* text = reinterpret_cast<const unsigned char*>(run.text.c_str());
        PlaceGlyphs(face, options.dpi, options.dpi, text, DrawnLength(run.text), run.fontHeight, run.mode, 0,
                    0, RoundHalfAway(run.span), angle, EGlyphLoad::kOutline,
                    [&](FT_Glyph glyph, std::int64_t originX, std::int64_t originY) {
                        if (glyph->format == FT_GLYPH_FORMAT_OUTLINE)
                            sink(reinterpret_cast<FT_OutlineGlyph>(glyph)->outline,
                                 {start.x + static_cast<double>(originX), start.y + static_cast<double>(originY)});
                    });
    }
    return true;
}

} // namespace

bool TextOutlines(const Layout& layout, const VectorOptions& options, std::vector<PathStep>& path)
{
    // About as many steps as a glyph of the embedded font has, so the path
    // is gathered without moving.
    constexpr std::size_t kStepsPerGlyph = 48;
    std::size_t glyphs = 0;
    return ForEachOutline(layout, options, glyphs, [&](FT_Outline& outline, ImagePoint origin) {
        if (path.empty())
            path.reserve(kStepsPerGlyph * glyphs);
        OutlineCollector{&path, origin}.Decompose(outline);
    });
}

namespace {

template <class Value> char* PutBytes(char* at, const Value* values, std::size_t count)
{
    if (count > 0)
        std::memcpy(at, values, count * sizeof(Value));
    return at + count * sizeof(Value);
}

} // namespace

CGlyphOutline::CGlyphOutline(const FT_Outline& outline, ImagePoint origin) : m_Outline(outline)
{
    // A glyph's sub-pixel pen position moves its whole outline (FreeType
    // translates after hinting), so the outline taken from its own first
    // point is the same wherever the glyph stands.
    const FT_Vector first = outline.n_points > 0 ? outline.points[0] : FT_Vector{0, 0};
    m_Anchor = {origin.x + static_cast<double>(first.x) / 64.0, origin.y - static_cast<double>(first.y) / 64.0};
    const auto points = static_cast<std::size_t>(outline.n_points > 0 ? outline.n_points : 0);
    const auto contours = static_cast<std::size_t>(outline.n_contours > 0 ? outline.n_contours : 0);
    // Sized once and filled in place: a label's every glyph makes a key.
    m_Key.resize(sizeof outline.n_contours + sizeof outline.flags + sizeof *outline.contours * contours +
                 points + sizeof(FT_Vector) * points);
    char* at = m_Key.data();
    at = PutBytes(at, &outline.n_contours, 1);
    at = PutBytes(at, &outline.flags, 1);
    at = PutBytes(at, outline.contours, contours);
    at = PutBytes(at, outline.tags, points);
    for (std::size_t i = 0; i < points; ++i) {
        const FT_Vector relative{outline.points[i].x - first.x, outline.points[i].y - first.y};
        at = PutBytes(at, &relative, 1);
    }
}

std::vector<PathStep> CGlyphOutline::Steps() const
{
    std::vector<PathStep> steps;
    const FT_Vector first = m_Outline.n_points > 0 ? m_Outline.points[0] : FT_Vector{0, 0};
    OutlineCollector{&steps, {0.0, 0.0}, first}.Decompose(m_Outline);
    return steps;
}

bool GlyphOutlines(const Layout& layout, const VectorOptions& options, const GlyphOutlineSink& sink)
{
    std::size_t count = 0;
    return ForEachOutline(layout, options, count,
                          [&](FT_Outline& outline, ImagePoint origin) { sink(CGlyphOutline(outline, origin)); });
}

std::string DocumentTitle(const Layout& layout, const VectorOptions& options)
{
    if (!options.title.empty())
        return options.title;
    std::string title;
    for (const TextRun& run : layout.texts)
        title.append(run.text, 0, DrawnLength(run.text));
    return title;
}

namespace {

// The decimals of n/64 (".015625" for 1): at most six, all exact, trailing
// zeros dropped; empty for 0.
struct Sixtyfourth {
    char text[8];
    std::uint8_t length;
};

constexpr std::array<Sixtyfourth, 64> MakeSixtyfourths()
{
    std::array<Sixtyfourth, 64> table{};
    for (std::uint32_t n = 1; n < 64; ++n) {
        Sixtyfourth& entry = table[n];
        entry.text[0] = '.';
        std::uint32_t millionths = n * 15625; // 1/64 = 0.015625
        for (int i = 6; i >= 1; --i, millionths /= 10)
            entry.text[i] = static_cast<char>('0' + millionths % 10);
        entry.length = 7;
        while (entry.text[entry.length - 1] == '0')
            --entry.length;
    }
    return table;
}

constexpr std::array<Sixtyfourth, 64> kSixtyfourths = MakeSixtyfourths();

// signedUnits / 64: the sign, the whole part, then the exact decimals (at
// most 1 + 20 + 7 characters; 8 bytes of decimals are copied).
char* PutSixtyFourths(char* at, std::int64_t signedUnits)
{
    const std::uint64_t units = signedUnits < 0 ? 0 - static_cast<std::uint64_t>(signedUnits)
                                                : static_cast<std::uint64_t>(signedUnits);
    if (signedUnits < 0)
        *at++ = '-';
    at = std::to_chars(at, at + 24, units / 64).ptr;
    const Sixtyfourth& fraction = kSixtyfourths[units % 64];
    std::memcpy(at, fraction.text, sizeof fraction.text);
    return at + fraction.length;
}

} // namespace

char* PutNumber(char* at, double value)
{
    if (!std::isfinite(value)) {
        *at = '0';
        return at + 1;
    }
    // Glyph outlines and pixel-grid shapes are whole 64ths (FreeType's 26.6
    // units): their six decimals are exact, so they are written from whole
    // numbers, as to_chars would write them but without its general rounding.
    const double scaled = value * 64.0;                // exact: a power of two
    constexpr double kMostScaled = 9007199254740992.0; // 2^53, every integer below is exact
    if (std::fabs(scaled) < kMostScaled) {
        const auto units = static_cast<std::int64_t>(scaled);
        if (static_cast<double>(units) == scaled)
            return PutSixtyFourths(at, units);
    }
    // to_chars, unlike printf, ignores the locale: always a decimal point.
    const auto result = std::to_chars(at, at + kNumberRoom, value, std::chars_format::fixed, 6);
    std::string_view text(at, result.ec == std::errc{} ? static_cast<std::size_t>(result.ptr - at) : 0);
    if (text.find('.') != std::string_view::npos) {
        text.remove_suffix(text.size() - 1 - text.find_last_not_of('0'));
        if (text.back() == '.')
            text.remove_suffix(1);
    }
    if (text.empty() || text == "-0") {
        *at = '0';
        return at + 1;
    }
    return at + text.size();
}

void AppendNumber(std::string& out, double value)
{
    char text[kNumberRoom];
    out.append(text, PutNumber(text, value));
}

std::string FormatNumber(double value)
{
    std::string text;
    AppendNumber(text, value);
    return text;
}

} // namespace kavren::detail
