#include "image/EpsWriter.h"

#include <cmath>
#include <cstdio>

namespace kavren::detail {

namespace {

// "r g b setrgbcolor" of a 0x00BBGGRR colour.
std::string SetColour(Colour colour)
{
    return FormatNumber((colour & 0xffU) / 255.0) + ' ' + FormatNumber(((colour >> 8) & 0xffU) / 255.0) +
           ' ' + FormatNumber(((colour >> 16) & 0xffU) / 255.0) + " setrgbcolor\n";
}

std::string Point(const ImagePoint& p)
{
    return FormatNumber(p.x) + ' ' + FormatNumber(p.y);
}

// A rectangle as "x y width height" in image coordinates.
std::string Box(double left, double top, double right, double bottom)
{
    return FormatNumber(left) + ' ' + FormatNumber(top) + ' ' + FormatNumber(right - left) + ' ' +
           FormatNumber(bottom - top);
}

// A conic's control point raised to the two control points of the same curve
// as a cubic (PostScript has only cubics).
ImagePoint Raise(const ImagePoint& end, const ImagePoint& control)
{
    return {end.x + 2.0 / 3.0 * (control.x - end.x), end.y + 2.0 / 3.0 * (control.y - end.y)};
}

void AppendText(const std::vector<PathStep>& path, Colour colour, std::string& out)
{
    if (path.empty())
        return;
    out += SetColour(colour) + "newpath\n";
    ImagePoint current;
    for (const PathStep& step : path) {
        switch (step.kind) {
        case PathStep::Kind::Move:
            out += Point(step.points[0]) + " m\n";
            current = step.points[0];
            break;
        case PathStep::Kind::Line:
            out += Point(step.points[0]) + " l\n";
            current = step.points[0];
            break;
        case PathStep::Kind::Conic:
            out += Point(Raise(current, step.points[0])) + ' ' +
                   Point(Raise(step.points[1], step.points[0])) + ' ' + Point(step.points[1]) + " c\n";
            current = step.points[1];
            break;
        case PathStep::Kind::Cubic:
            out += Point(step.points[0]) + ' ' + Point(step.points[1]) + ' ' + Point(step.points[2]) + " c\n";
            current = step.points[2];
            break;
        case PathStep::Kind::Close: out += "h\n"; break;
        }
    }
    out += "f\n";
}

} // namespace

std::string PostScriptString(const std::string& text)
{
    std::string out = "(";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '(' || byte == ')' || byte == '\\') {
            out += '\\';
            out += ch;
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += ch;
        } else {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", byte);
            out += octal;
        }
    }
    return out + ")";
}

bool WriteEps(const Layout& layout, const VectorOptions& options, std::string& document)
{
    document.clear();
    std::vector<PathStep> text;
    if (!TextOutlines(layout, options, text))
        return false;

    const ImageBox frame = FrameBox(layout);
    const std::int32_t dpi = options.dpi > 0 ? options.dpi : 96;
    // The frame in points: units x 72 / dpi.
    const double width = (frame.right - frame.left) * 72.0 / dpi;
    const double height = (frame.bottom - frame.top) * 72.0 / dpi;
    std::string out = "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: kavren\n";
    if (const std::string title = DocumentTitle(layout, options); !title.empty())
        out += "%%Title: " + PostScriptString(title) + '\n';
    out +=
        "%%BoundingBox: 0 0 " + FormatNumber(std::ceil(width)) + ' ' + FormatNumber(std::ceil(height)) + '\n';
    out += "%%HiResBoundingBox: 0 0 " + FormatNumber(width) + ' ' + FormatNumber(height) + '\n';
    out += "%%LanguageLevel: 2\n%%Pages: 1\n%%EndComments\n";
    // Short names for the path operators, kept in a dictionary of their own.
    out += "%%BeginProlog\n/KavrenDict 8 dict def\nKavrenDict begin\n"
           "/m /moveto load def\n/l /lineto load def\n/c /curveto load def\n/h /closepath load def\n"
           "/f /fill load def\n/r /rectfill load def\nend\n%%EndProlog\n";
    out += "%%Page: 1 1\nKavrenDict begin\ngsave\n";
    // Image coordinates (y down, in layout units) from here on; nothing
    // leaves the frame.
    out += "0 " + FormatNumber(height) + " translate 72 " + std::to_string(dpi) + " div dup neg scale " +
           FormatNumber(-frame.left) + ' ' + FormatNumber(-frame.top) + " translate\n";
    const std::string box = Box(frame.left, frame.top, frame.right, frame.bottom);
    out += box + " rectclip\n";
    if (layout.paintBackground)
        out += SetColour(layout.background) + box + " r\n";
    if (const std::vector<ImageBox> bars = MergedBars(layout); !bars.empty()) {
        out += SetColour(layout.barColour);
        for (const ImageBox& b : bars)
            out += Box(b.left, b.top, b.right, b.bottom) + " r\n";
    }
    AppendText(text, layout.textColour, out);
    out += "grestore\nend\nshowpage\n%%Trailer\n%%EOF\n";
    document = std::move(out);
    return true;
}

} // namespace kavren::detail
