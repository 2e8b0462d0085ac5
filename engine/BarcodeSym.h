// The abstract classic symbology: a barcode's settings, its texts and its
// element pattern, the calling order the symbologies rely on, and the one
// conversion of the pattern to the encoded symbol the layout draws.
//
// A symbology fills in Validate, LoadData, BuildDisplayText and Encode (data to
// element pattern); it never touches pixels. Failures are statuses and bools,
// never exceptions.
#pragma once

#include "common/EncodedSymbol.h"
#include "engine/BarcodeSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kavren::detail {

// Element codes of m_Pattern. Widths are in modules of m pixels;
// W is RoundHalfAway(m_WideToNarrow x module width).
enum ElementCode : std::uint8_t {
    BAR1 = 0,   // bar, 1 module
    BAR2 = 1,   // bar, 2 modules
    SPACE1 = 2, // space, 1 module
    SPACE2 = 3, // space, 2 modules
    BAR3 = 4,   // bar, 3 modules
    SPACE3 = 5, // space, 3 modules
    BAR4 = 6,   // bar, 4 modules
    SPACE4 = 7, // space, 4 modules
    GUARD = 8,  // guard bar, 1 module, drawn into the text band
    POSTAL_SHORT = 9,
    POSTAL_TALL = 10,
    POSTAL_GAP = 11,
    WIDE_SPACE = 12, // W
    WIDE_BAR = 13,   // W
};

// Names of the control characters 0..31 as shown in display texts.
extern const char* const ControlCharNames[32];

// Renders data bytes as display text: bytes >= 32 are copied, control
// characters become their ControlCharNames entry or are dropped.
void BytesToText(const std::string& bytes, std::string& out, bool convertNonPrinting);

// Whole modules a symbology adds to its symbol beyond the pattern and the
// quiet zones (an attached add-on, bearer bars). Lengths, fits, origins and
// the text span all count them; the symbology lays out what is in them.
struct AddedModules {
    std::int32_t before = 0; // along the reading direction, before the leading quiet zone
    std::int32_t after = 0;  // along it, after the pattern's last element
    std::int32_t across = 0; // across it, on each side of the bars (the text band stays outside)
};

class CBarcodeSym : public CBarcodeSettings {
  public:
    explicit CBarcodeSym(const CBarcodeSettings& settings);
    virtual ~CBarcodeSym() = default;
    CBarcodeSym(const CBarcodeSym&) = delete;
    CBarcodeSym& operator=(const CBarcodeSym&) = delete;

    // Prepare, then build m_Pattern from m_DataBytes. False when invalid.
    virtual bool Encode() = 0;
    // Pixels along the reading direction, both quiet zones included;
    // INT32_MAX when it cannot be computed (m = -1, or too long for int32).
    virtual std::int32_t GetSymbolLength(int moduleWidth) const;
    // The pattern alone at an exact module width: the wide element is
    // m_WideToNarrow x m, not rounded.
    double GetExactPatternLength(double moduleWidth) const;
    // What the symbology adds around its pattern; nothing by default.
    virtual AddedModules GetAddedModules() const { return {}; }
    // The element pattern of an attached add-on (EAN/UPC), drawn in the
    // added modules after the pattern; null when the symbology takes none.
    virtual const std::vector<std::uint8_t>* GetAddOnPattern() const { return nullptr; }
    // Whether the bar at m_Pattern[element] reaches into the text band as
    // the guard bars do: the guard bars themselves by default.
    virtual bool IsGuardLength(std::size_t element) const { return m_Pattern[element] == GUARD; }
    // The last encoding as an encoded symbol in modules: the one conversion
    // from the element pattern (wide elements as ModuleSpan::wides, guard
    // bars as guards, postal bars over two rows, bearers as rows and
    // rectangles, the text items).
    EncodedSymbol ToEncodedSymbol() const;
    // ToEncodedSymbol's text items (with the text shown), the pattern
    // starting `offset` modules into the symbol and ending at `patternEnd`:
    // the display text; EAN and UPC add digit groups and an add-on's digits.
    virtual void AddTexts(double offset, const ModuleSpan& patternEnd, EncodedSymbol& symbol) const;

    bool HasData() const;
    static bool IsAllDigits(const char* text);

    // The leading quiet zone: 10 modules when m_QuietZones, or the
    // symbology's rule when m_Compliant (0 for a negative width).
    std::int32_t GetQuietZoneWidth(int moduleWidth) const;
    // The trailing one: the same, or the rule's (5 after an add-on).
    std::int32_t GetTrailingQuietZoneWidth(int moduleWidth) const;
    // The quiet zones in modules, 0 without quiet zones.
    std::int32_t GetQuietModules(bool trailing) const;

    // Wide element W = RoundHalfAway(m_WideToNarrow x m), never negative.
    std::int32_t GetWideWidth(int moduleWidth) const;
    // Length of one element along the reading direction; 0 for the postal
    // codes and unknown codes.
    std::int32_t GetElementLength(std::uint8_t code, int moduleWidth) const;
    static bool IsBarElement(std::uint8_t code);

    std::vector<std::uint8_t> m_Pattern; // element codes, first to last in reading order
    bool m_Valid = false;            // result of the last Validate
    std::string m_ErrorDetail;       // why the last Validate failed, when a check says more than "invalid"
    std::string m_Warning;           // what the last Validate changed of valid data (a replaced check digit)

  protected:
    // The steps of Encode, in this order only (Prepare takes them): whether
    // m_Data is valid (with m_ErrorDetail and m_Warning), the bytes to encode
    // and the human-readable text of valid data.
    virtual bool Validate() = 0;
    virtual void LoadData();
    virtual void BuildDisplayText();
    // Validate, then LoadData and BuildDisplayText, then an empty pattern;
    // false, leaving the last encoding, when the data is invalid.
    bool Prepare();
};

} // namespace kavren::detail
