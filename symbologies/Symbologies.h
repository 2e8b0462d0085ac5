// The symbology table: one row per symbology number (the -t value), with the
// name shown to people and the class that implements it. The factory, the
// tests and the README gallery all read this one table.
#pragma once

#include "common/EncodedSymbol.h"
#include "symbologies/Encoder.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

class CBarcodeSym;
class CBarcodeSettings;

// The symbology numbers, as CBarcodeSettings::m_Type holds them.
enum SymbologyType : std::int32_t {
    TYPE_INTERL25 = 0,
    TYPE_INDUSTR25 = 1,
    TYPE_CODE39 = 2,
    TYPE_CODE39EXT = 3,
    TYPE_CODE11 = 4,
    TYPE_CODABAR = 5,
    TYPE_MSI = 6,
    TYPE_CODE128 = 7,
    TYPE_EAN2 = 8,
    TYPE_EAN5 = 9,
    TYPE_EAN8 = 10,
    TYPE_EAN13 = 11,
    TYPE_EAN14 = 12,
    TYPE_UPCA = 13,
    TYPE_UPCE = 14,
    TYPE_UCCEAN128 = 15,
    TYPE_SSCC18 = 16,
    TYPE_POSTNET = 17,
    TYPE_PLANET = 18,
    TYPE_CODE93 = 19,
    TYPE_CODE93EXT = 20,
    TYPE_ITF14 = 21,
    TYPE_DATAMATRIX = 22,
    TYPE_GS1_DATAMATRIX = 23,
    TYPE_QR = 24,
    TYPE_GS1_QR = 25,
    TYPE_MICRO_QR = 26,
    TYPE_IMB = 27,
    TYPE_RM4SCC = 28,
    TYPE_KIX = 29,
    TYPE_AUSPOST = 30,
    TYPE_AUSPOST_REPLY = 31,
    TYPE_AUSPOST_ROUTING = 32,
    TYPE_AUSPOST_REDIRECT = 33,
    TYPE_DATABAR = 34,
    TYPE_DATABAR_TRUNCATED = 35,
    TYPE_DATABAR_STACKED = 36,
    TYPE_DATABAR_STACKED_OMNI = 37,
    TYPE_DATABAR_EXPANDED = 38,
    TYPE_DATABAR_EXPANDED_STACKED = 39,
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
