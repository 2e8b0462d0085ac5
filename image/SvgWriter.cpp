#include "image/SvgWriter.h"

#include <algorithm>
#include <array>
#include <vector>
#include <unordered_map>

namespace kavren::detail {

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
    out.append("<path fill=\"")
        .append(HexColour(layout.barColour))
        .append("\" shape-rendering=\"crispEdges\" d=\"");
    for (const ImageBox& b : boxes) {
        AppendCommand<5>(out, {'M', ' ', 'H', 'V', 'H'}, {b.left, b.top, b.right, b.bottom, b.left});
        out += 'Z';
    }
    out += "\"/>\n";
}

// Path data of outline steps.
void AppendPathData(const std::vector<PathStep>& path, std::string& out)
{
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
}

// The path data of glyph outlines, by their keys. A batch draws the same few
// glyphs label after label, so each thread keeps what it wrote; bounded,
// since a long run of many fonts or sizes meets ever new outlines. An entry
// stays where it is until Forget, so a document may name it by address.
class CGlyphPaths {
  public:
    const std::string& Of(const CGlyphOutline& glyph)
    {
        // The font hands the same loaded outline label after label: its
        // address finds the entry without hashing the key, which is still
        // compared, since a freed outline's address may come back for another.
        const Kept*& last = m_BySource[glyph.Source()];
        if (last != nullptr && last->first == glyph.Key())
            return last->second;
        auto found = m_Kept.find(glyph.Key());
        if (found == m_Kept.end()) {
            std::string data;
            AppendPathData(glyph.Steps(), data);
            found = m_Kept.emplace(glyph.Key(), std::move(data)).first;
        }
        last = &*found;
        return found->second;
    }
    // Before a document: past the bound, the kept paths are dropped.
    void Forget()
    {
        constexpr std::size_t kMostKept = 4096;
        if (m_Kept.size() >= kMostKept || m_BySource.size() >= kMostKept) {
            m_Kept.clear();
            m_BySource.clear();
        }
    }

  private:
    using Kept = std::pair<const std::string, std::string>;
    std::unordered_map<std::string, std::string> m_Kept;
    std::unordered_map<const void*, const Kept*> m_BySource; // entries stay put until cleared
};

// The text: each distinct glyph outline once in <defs>, placed with <use>.
// The uses make one clip path that a rectangle of the text colour fills, so
// the glyphs are filled as one shape, as a single path of all outlines is:
// a fill of each glyph alone would blend the anti-aliased edges where two
// glyphs share a pixel. False when the font cannot be opened.
bool AppendText(const Layout& layout, const VectorOptions& options, const ImageBox& frame, std::string& out)
{
    thread_local CGlyphPaths paths;
    paths.Forget();
    std::vector<const std::string*> ids; // the kept path data of each id; a label has a few
    std::string defs;
    std::string uses;
    const bool opened = GlyphOutlines(layout, options, [&](const CGlyphOutline& glyph) {
        const std::string& data = paths.Of(glyph);
        if (data.empty())
            return;
        const std::size_t id = static_cast<std::size_t>(std::find(ids.begin(), ids.end(), &data) - ids.begin());
        const std::string number = std::to_string(id);
        if (id == ids.size()) {
            // Room for a short text's definitions and uses, taken with the
            // first glyph, so they are written without growing.
            if (ids.empty()) {
                defs.reserve(kTypicalSize / 2);
                uses.reserve(kTypicalSize / 8);
            }
            ids.push_back(&data);
            defs.append("<path id=\"g").append(number).append("\" d=\"").append(data).append("\"/>\n");
        }
        uses.append("<use xlink:href=\"#g").append(number).append("\" x=\"");
        AppendNumber(uses, glyph.Anchor().x);
        uses.append("\" y=\"");
        AppendNumber(uses, glyph.Anchor().y);
        uses.append("\"/>\n");
    });
    if (!opened)
        return false;
    if (ids.empty())
        return true;
    out.append("<defs>\n").append(defs).append("<clipPath id=\"text\">\n").append(uses);
    out.append("</clipPath>\n</defs>\n");
    // The rectangle reaches a frame's size past every side: a glyph's ink
    // past the frame's edge, on the partial last pixel that a renderer's
    // rounded-up image size shows, is drawn as it is from a single path,
    // not cut at the frame at any scale at which the image has a pixel.
    const double width = frame.right - frame.left;
    const double height = frame.bottom - frame.top;
    out += "<rect x=\"" + FormatNumber(frame.left - width) + "\" y=\"" + FormatNumber(frame.top - height) +
           "\" width=\"" + FormatNumber(3 * width) + "\" height=\"" + FormatNumber(3 * height) + "\" fill=\"" +
           HexColour(layout.textColour) + "\" clip-path=\"url(#text)\"/>\n";
    return true;
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
    const ImageBox frame = FrameBox(layout);
    std::string text;
    if (!AppendText(layout, options, frame, text))
        return false;

    const std::string x = FormatNumber(frame.left), y = FormatNumber(frame.top);
    const std::string width = FormatNumber(frame.right - frame.left);
    const std::string height = FormatNumber(frame.bottom - frame.top);
    std::string out;
    out.reserve(kTypicalSize);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    // The glyphs' uses name their outline with an XLink reference (SVG 1.1).
    out += !text.empty() ? "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\""
                         : "<svg xmlns=\"http://www.w3.org/2000/svg\"";
    out.append(" version=\"1.1\" width=\"")
        .append(PhysicalLength(frame.right - frame.left, options))
        .append("\" height=\"")
        .append(PhysicalLength(frame.bottom - frame.top, options))
        .append("\" viewBox=\"")
        .append(x)
        .append(" ")
        .append(y)
        .append(" ")
        .append(width)
        .append(" ")
        .append(height)
        .append("\">\n");
    if (const std::string title = EscapeXml(DocumentTitle(layout, options)); !title.empty())
        out.append("<title>").append(title).append("</title>\n");
    if (layout.paintBackground) {
        out.append("<rect x=\"").append(x).append("\" y=\"").append(y).append("\" width=\"").append(width);
        out.append("\" height=\"").append(height).append("\" fill=\"").append(HexColour(layout.background));
        out.append("\" shape-rendering=\"crispEdges\"/>\n");
    }
    AppendBars(layout, out);
    out += text;
    out += "</svg>\n";
    document = std::move(out);
    return true;
}

} // namespace kavren::detail
