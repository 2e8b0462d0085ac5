// The settings record every symbology carries.
#pragma once

#include "common/Geometry.h"

#include <kavren/kavren.h>

#include <cstdint>
#include <string>

namespace kavren::detail {

// Bearer bars of the Interleaved 2 of 5 family (GS1 General Specifications,
// ITF-14): none, a bar along the top and the bottom, or a closed frame.
enum class BearerStyle : std::int32_t { None = 0, Bars = 1, Box = 2 };

// One barcode's settings. Plain value record: copies share nothing. The
// symbology object inherits it, so the run driver writes these fields directly
// on the live object.
class CBarcodeSettings {
  public:
    std::int32_t m_Type = 0;       // symbology number 0..21
    std::string m_Data = "012345"; // the text as the user gave it
    std::string m_DataBytes;       // the bytes actually encoded (any value 0..255)
    std::string m_DisplayText;     // the human-readable text
    bool m_KeepBackground = false; // leave the area unpainted instead of filling it
    Colour m_TextColor = 0;
    Colour m_BarColor = 0;
    Colour m_BackColor = 0xffffff;
    std::int32_t m_BarcodeAlign = 2; // 0 start, 1 end, 2 centre of the reading direction
    std::int32_t m_Orientation = 0;  // 0, 90, 180 or 270 degrees, counter-clockwise
    bool m_ShowGuards = true;        // EAN/UPC guard bars drawn long
    bool m_QuietZones = true;        // 10 modules on both sides
    bool m_ShowText = true;
    bool m_TextBelow = true;      // text band after the bars (below them at 0)
    std::int32_t m_TextAlign = 0; // 0..6
    bool m_ShowStartStop = false;
    bool m_ShowCheckDigit = true;
    bool m_CalcCheckDigit = true;
    bool m_EanTextFlush = false;       // EAN/UPC digit groups not inset by one module
    std::int32_t m_FontHeight = 14;    // pixels
    std::int32_t m_Code128Charset = 0; // 0 auto, 1 A, 2 B, 3 C
    // Wide element in narrow modules. Every run sets it from Options::wideToNarrow;
    // a bare record starts at the same default.
    float m_WideToNarrow = kavren::kDefaultWideToNarrow;
    bool m_ConvertNonPrinting = true;  // control characters shown by name
    std::int32_t m_BarReduction = 0;   // percent of a module
    bool m_Gs1Check = false;           // GS1 data checked against the GS1 syntax, not corrected

    BearerStyle m_Bearer = BearerStyle::None; // read by Interleaved 2 of 5 and ITF-14 only
    std::int32_t m_BearerWidth = 5;           // in modules
    // Drawn as the GS1 and ISO/IEC rules draw the parts the other settings
    // leave free (shortest Code 128 sets, human-readable text without
    // start, stop or check characters, ...).
    bool m_Compliant = false;

    bool operator==(const CBarcodeSettings&) const = default;
};

} // namespace kavren::detail
