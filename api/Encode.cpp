// The symbol without the image: Encode, the symbology list and the version.
#include "kavren/kavren.h"

#include "api/Compliance.h"
#include "api/RenderSteps.h"
#include "engine/Barcode.h"
#include "engine/SymbolLayout.h"
#include "symbologies/Symbologies.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>

namespace kavren {

using detail::CBarcode;
using detail::CBarcodeSym;
using detail::CreateBarcodeSym;
using detail::Symbologies;
using detail::SymbologyRow;

namespace {

// The public kinds and roles are the encoded symbol's, number for number.
static_assert(static_cast<int>(SymbolKind::Matrix) == static_cast<int>(detail::SymbolKind::Matrix) &&
              static_cast<int>(SymbolKind::FourState) == static_cast<int>(detail::SymbolKind::FourState) &&
              static_cast<int>(SymbolKind::Stacked) == static_cast<int>(detail::SymbolKind::Stacked));
static_assert(static_cast<int>(TextRole::Gs1Hri) == static_cast<int>(detail::TextRole::Gs1Hri) &&
              static_cast<int>(TextRole::AddOn) == static_cast<int>(detail::TextRole::AddOn) &&
              static_cast<int>(TextRole::EanGroup) == static_cast<int>(detail::TextRole::EanGroup));

Encoding Failed(Status status, std::string detail = {})
{
    return detail::Outcome<Encoding>(status, std::move(detail));
}

// The encoded symbol in plain modules: wide elements at the options' ratio,
// rows stacked at their nominal heights.
SymbolGeometry ToGeometry(const detail::EncodedSymbol& symbol, const Options& options)
{
    const double wide = std::max(static_cast<double>(options.wideToNarrow), 0.0);
    const auto along = [wide](const detail::ModuleSpan& span) { return span.modules + span.wides * wide; };
    SymbolGeometry geometry;
    geometry.kind = static_cast<SymbolKind>(symbol.kind);
    geometry.width = along(symbol.length);
    std::vector<double> edges{0.0};
    for (const detail::SymbolRow& row : symbol.rows) {
        geometry.rows.push_back({edges.back(), row.height, row.stretch > 0.0});
        edges.push_back(edges.back() + row.height);
    }
    geometry.height = edges.back();
    const auto edge = [&edges](std::int32_t row) {
        return edges[static_cast<std::size_t>(std::clamp<std::int32_t>(row, 0, static_cast<std::int32_t>(edges.size()) - 1))];
    };
    for (const detail::DarkRect& dark : symbol.darks) {
        const double top = edge(dark.row);
        geometry.rectangles.push_back(
            {along(dark.start), top, along(dark.length), edge(dark.row + dark.rows) - top, dark.guard});
    }
    if (detail::ShowsText(symbol, options))
        for (const detail::TextItem& item : symbol.texts)
            geometry.texts.push_back({item.text, static_cast<TextRole>(item.role),
                                      along(item.start) + item.inset, along(item.span) - 2.0 * item.inset,
                                      item.align, item.fontScale});
    if (options.quietZones)
        geometry.quietZones = {symbol.quiet.leading, symbol.quiet.trailing, symbol.quiet.top, symbol.quiet.bottom};
    return geometry;
}

// The classic symbologies: the object Render draws, as an encoded symbol.
Status EncodeClassic(const Options& options, detail::EncodedSymbol& symbol, std::string& why)
{
    CBarcode manager(CreateBarcodeSym, detail::ClassicSettings(options, options.data.c_str()));
    if (const Status status = detail::SetUpClassic(options, manager); status != Status::Ok)
        return status;
    const CBarcodeSym& sym = *manager.GetSymbology();
    if (!sym.m_Valid) {
        why = sym.m_ErrorDetail;
        return Status::InvalidText;
    }
    symbol = sym.ToEncodedSymbol();
    return Status::Ok;
}

} // namespace

Encoding Encode(const Options& given)
{
    try {
        const Options options = detail::CompliantOptions(given);
        if (std::string invalid = detail::FindInvalidOption(options); !invalid.empty())
            return Failed(Status::InvalidArgument, std::move(invalid));
        if (options.data.find('\0') != std::string::npos)
            return Failed(Status::InvalidText, "the data holds a NUL byte");
        detail::EncodedSymbol symbol;
        if (std::optional<detail::EncodeResult> encoded = detail::EncodeDirect(options, options.data)) {
            if (!*encoded)
                return Failed(encoded->status, std::move(encoded->detail));
            symbol = std::move(encoded->symbol);
        } else {
            std::string why;
            if (const Status status = EncodeClassic(options, symbol, why); status != Status::Ok)
                return Failed(status, std::move(why));
        }
        Encoding result = Failed(Status::Ok);
        result.symbol = ToGeometry(symbol, options);
        return result;
    } catch (const std::bad_alloc&) {
        return Failed(Status::Fail);
    } catch (...) {
        return Failed(Status::UnknownException);
    }
}

std::vector<SymbologyInfo> ListSymbologies()
{
    std::vector<SymbologyInfo> list;
    for (const SymbologyRow& row : Symbologies())
        list.push_back({static_cast<Symbology>(row.type), row.name, row.names, static_cast<SymbolKind>(row.kind)});
    return list;
}

std::string_view Version()
{
    return KAVREN_VERSION;
}

} // namespace kavren
