// The symbology table: one row per symbology number (the -t value), with the
// name shown to people and the class that implements it. The factory, the
// tests and the README gallery all read this one table.
#pragma once

#include "common/EncodedSymbol.h"
#include "symbologies/Encoder.h"

#include <kavren/kavren.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace kavren::detail {

class CBarcodeSym;
class CBarcodeSettings;

// The symbology numbers, as CBarcodeSettings::m_Type holds them: the public
// enum's, which is where each number is written.
constexpr std::int32_t SymbologyNumber(kavren::Symbology symbology)
{
    return static_cast<std::int32_t>(symbology);
}

enum SymbologyType : std::int32_t {
    TYPE_INTERL25 = SymbologyNumber(kavren::Symbology::Interleaved2of5),
    TYPE_INDUSTR25 = SymbologyNumber(kavren::Symbology::Industrial2of5),
    TYPE_CODE39 = SymbologyNumber(kavren::Symbology::Code39),
    TYPE_CODE39EXT = SymbologyNumber(kavren::Symbology::Code39Extended),
    TYPE_CODE11 = SymbologyNumber(kavren::Symbology::Code11),
    TYPE_CODABAR = SymbologyNumber(kavren::Symbology::Codabar),
    TYPE_MSI = SymbologyNumber(kavren::Symbology::Msi),
    TYPE_CODE128 = SymbologyNumber(kavren::Symbology::Code128),
    TYPE_EAN2 = SymbologyNumber(kavren::Symbology::Ean2),
    TYPE_EAN5 = SymbologyNumber(kavren::Symbology::Ean5),
    TYPE_EAN8 = SymbologyNumber(kavren::Symbology::Ean8),
    TYPE_EAN13 = SymbologyNumber(kavren::Symbology::Ean13),
    TYPE_EAN14 = SymbologyNumber(kavren::Symbology::Ean14),
    TYPE_UPCA = SymbologyNumber(kavren::Symbology::UpcA),
    TYPE_UPCE = SymbologyNumber(kavren::Symbology::UpcE),
    TYPE_UCCEAN128 = SymbologyNumber(kavren::Symbology::UccEan128),
    TYPE_SSCC18 = SymbologyNumber(kavren::Symbology::Sscc18),
    TYPE_POSTNET = SymbologyNumber(kavren::Symbology::PostNet),
    TYPE_PLANET = SymbologyNumber(kavren::Symbology::Planet),
    TYPE_CODE93 = SymbologyNumber(kavren::Symbology::Code93),
    TYPE_CODE93EXT = SymbologyNumber(kavren::Symbology::Code93Extended),
    TYPE_ITF14 = SymbologyNumber(kavren::Symbology::Itf14),
    TYPE_DATAMATRIX = SymbologyNumber(kavren::Symbology::DataMatrix),
    TYPE_GS1_DATAMATRIX = SymbologyNumber(kavren::Symbology::Gs1DataMatrix),
    TYPE_QR = SymbologyNumber(kavren::Symbology::QrCode),
    TYPE_GS1_QR = SymbologyNumber(kavren::Symbology::Gs1QrCode),
    TYPE_MICRO_QR = SymbologyNumber(kavren::Symbology::MicroQrCode),
    TYPE_IMB = SymbologyNumber(kavren::Symbology::IntelligentMail),
    TYPE_RM4SCC = SymbologyNumber(kavren::Symbology::Rm4scc),
    TYPE_KIX = SymbologyNumber(kavren::Symbology::Kix),
    TYPE_AUSPOST = SymbologyNumber(kavren::Symbology::AusPost),
    TYPE_AUSPOST_REPLY = SymbologyNumber(kavren::Symbology::AusPostReply),
    TYPE_AUSPOST_ROUTING = SymbologyNumber(kavren::Symbology::AusPostRouting),
    TYPE_AUSPOST_REDIRECT = SymbologyNumber(kavren::Symbology::AusPostRedirect),
    TYPE_DATABAR = SymbologyNumber(kavren::Symbology::DataBar),
    TYPE_DATABAR_TRUNCATED = SymbologyNumber(kavren::Symbology::DataBarTruncated),
    TYPE_DATABAR_STACKED = SymbologyNumber(kavren::Symbology::DataBarStacked),
    TYPE_DATABAR_STACKED_OMNI = SymbologyNumber(kavren::Symbology::DataBarStackedOmni),
    TYPE_DATABAR_EXPANDED = SymbologyNumber(kavren::Symbology::DataBarExpanded),
    TYPE_DATABAR_EXPANDED_STACKED = SymbologyNumber(kavren::Symbology::DataBarExpandedStacked),
};

// The highest symbology number: the table holds 0..kLastSymbology.
inline constexpr std::int32_t kLastSymbology = TYPE_DATABAR_EXPANDED_STACKED;

struct SymbologyRow {
    SymbologyType type;
    std::string_view name; // as the README gallery shows it, e.g. "UCC/EAN-128"
    // The names -t takes, space separated, the first the canonical one; the
    // lookup ignores case, '-' and '_' (FindSymbologyByName).
    std::string_view names;
    kavren::detail::SymbolKind kind; // what its encoded symbols are made of
    // A new object of the class, made from the settings and not yet encoded;
    // null for a symbology that only has an encoder.
    std::unique_ptr<CBarcodeSym> (*make)(const CBarcodeSettings& settings);
    // Data and options to the encoded symbol, which the layout draws; null
    // for the symbologies drawn through their class.
    kavren::detail::EncodeFunction encode;
};

// Every symbology, in number order: row i has number i.
std::span<const SymbologyRow> Symbologies();
// The row's encoder on the data: an empty text, or one with a NUL byte, is
// invalid for every symbology (the whole text counts, as for the classic
// ones), whatever the encoder would make of it. The row must have `encode`.
kavren::detail::EncodeResult EncodeWith(const SymbologyRow& row, const kavren::Options& options,
                                        std::string_view data);
// The row of that number; null for a number that names no symbology.
const SymbologyRow* FindSymbology(std::int32_t type);
// The row one of whose names is `name`, ignoring case, '-' and '_'; null for none.
const SymbologyRow* FindSymbologyByName(std::string_view name);
// A new, encoded object of the class that settings.m_Type names in the table;
// null for a number the table does not hold or has no class for. The object is
// returned even when its data is invalid. The barcode manager's factory
// (CBarcode, engine/Barcode.h).
std::unique_ptr<CBarcodeSym> CreateBarcodeSym(const CBarcodeSettings& settings);

} // namespace kavren::detail
