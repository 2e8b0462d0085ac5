// The settings record every symbology carries, and the small value types the
// engine, the run driver and the image code exchange.
#pragma once

#include <cstdint>
#include <string>

// 0x00BBGGRR: red in bits 0-7, green in 8-15, blue in 16-23; the top byte is unused.
using Colour = std::uint32_t;

// Image area in raster pixels; width is right - left, height bottom - top.
struct Rect {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Unit of an x-dimension or of a symbol length.
enum class SizeUnit : std::int32_t { Mils = 0, Inches = 1, Millimetres = 2, Pixels = 3 };

// Nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3). Values beyond
// the int32 range saturate at its ends.
std::int32_t RoundHalfAway(double value);

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
    float m_WideToNarrow = 3.0F;       // wide element in narrow modules
    bool m_ConvertNonPrinting = true;  // control characters shown by name
    std::int32_t m_BarReduction = 0;   // percent of a module

    bool operator==(const CBarcodeSettings&) const = default;
};
