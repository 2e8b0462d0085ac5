#include "image/SvgWriter.h"

#include <array>

namespace {

// Room for a typical label's document (bars and a short text's outlines), so
// it is written without growing.
constexpr std::size_t kTypicalSize = 8192;

// "#rrggbb" of a 0x00BBGGRR colour.
std::string HexColour(Colour colour)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "#";
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned channel = (colour >> shift) & 0xffU;
        text += kDigits[channel >> 4];
        text += kDigits[channel & 0xfU];
    }
    return text;
}

// The document's width or height: CSS pixels at 96 dpi, else the physical size.
std::string PhysicalLength(double units, const VectorOptions& options)
{
    const double inches = units / (options.dpi > 0 ? options.dpi : 96);
    switch (options.unit) {
    case SizeUnit::Millimetres: return FormatNumber(inches * 25.4) + "mm";
    case SizeUnit::Pixels:
        if (options.dpi == 96)
            return FormatNumber(units);
        [[fallthrough]];
    default: return FormatNumber(inches) + "in";
    }
}

// A path command: its letter, then its numbers (a point is two) separated by
// spaces or, for the bars' H and V, by the letters themselves.
template <std::size_t Count>
void AppendCommand(std::string& out, const std::array<char, Count>& letters,
                   const std::array<double, Count>& numbers)
{
    char text[Count * (kNumberRoom + 1)];
    char* end = text;
    for (std::size_t i = 0; i < Count; ++i) {
        *end++ = letters[i];
        end = PutNumber(end, numbers[i]);
    }
    out.append(text, end);
}

void AppendBars(const Layout& layout, std::string& out)
{
    const std::vector<ImageBox> boxes = MergedBars(layout);
    if (boxes.empty())
        return;
    out += "<path fill=\"" + HexColour(layout.barColour) + "\" shape-rendering=\"crispEdges\" d=\"";
    for (const ImageBox& b : boxes) {
        AppendCommand<5>(out, {'M', ' ', 'H', 'V', 'H'}, {b.left, b.top, b.right, b.bottom, b.left});
        out += 'Z';
    }
    out += "\"/>\n";
}

void AppendText(const std::vector<PathStep>& path, Colour colour, std::string& out)
{
    if (path.empty())
        return;
    out += "<path fill=\"" + HexColour(colour) + "\" d=\"";
    for (const PathStep& step : path) {
        const ImagePoint* p = step.points;
        switch (step.kind) {
        case PathStep::Kind::Move: AppendCommand<2>(out, {'M', ' '}, {p[0].x, p[0].y}); break;
        case PathStep::Kind::Line: AppendCommand<2>(out, {'L', ' '}, {p[0].x, p[0].y}); break;
        case PathStep::Kind::Conic:
            AppendCommand<4>(out, {'Q', ' ', ' ', ' '}, {p[0].x, p[0].y, p[1].x, p[1].y});
            break;
        case PathStep::Kind::Cubic:
            AppendCommand<6>(out, {'C', ' ', ' ', ' ', ' ', ' '},
                             {p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y});
            break;
        case PathStep::Kind::Close: out += 'Z'; break;
        }
    }
    out += "\"/>\n";
}

} // namespace

std::string EscapeXml(const std::string& text)
{
    std::string out;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (byte) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            // C0 and C1 controls and DEL: XML 1.0 forbids most of them and
            // discourages the rest.
            if (byte < 0x20 || (byte >= 0x7f && byte < 0xa0))
                break;
            if (byte < 0x80) {
                out += ch;
            } else {
                out += static_cast<char>(0xc0 | (byte >> 6));
                out += static_cast<char>(0x80 | (byte & 0x3f));
            }
        }
    }
    return out;
}

bool WriteSvg(const Layout& layout, const VectorOptions& options, std::string& document)
{
    document.clear();
    std::vector<PathStep> text;
    if (!TextOutlines(layout, options, text))
        return false;

    const ImageBox frame = FrameBox(layout);
    const std::string x = FormatNumber(frame.left), y = FormatNumber(frame.top);
    const std::string width = FormatNumber(frame.right - frame.left);
    const std::string height = FormatNumber(frame.bottom - frame.top);
    std::string out;
    out.reserve(kTypicalSize);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
           PhysicalLength(frame.right - frame.left, options) + "\" height=\"" +
           PhysicalLength(frame.bottom - frame.top, options) + "\" viewBox=\"" + x + ' ' + y + ' ' + width +
           ' ' + height + "\">\n";
    if (const std::string title = EscapeXml(DocumentTitle(layout, options)); !title.empty())
        out += "<title>" + title + "</title>\n";
    if (layout.paintBackground) {
        out += "<rect x=\"" + x + "\" y=\"" + y + "\" width=\"" + width + "\" height=\"" + height +
               "\" fill=\"" + HexColour(layout.background) + "\" shape-rendering=\"crispEdges\"/>\n";
    }
    AppendBars(layout, out);
    AppendText(text, layout.textColour, out);
    out += "</svg>\n";
    document = std::move(out);
    return true;
}
