// The settings of one run as the command line gives them: plain values with
// the defaults a run starts from. The option table (cli/OptionTable.h) says
// which option sets which field.
#pragma once

#include <cstdint>

struct RunOptions {
    std::int32_t width = 0; // image width in pixels; 0: not given
    std::int32_t height = 0;
    double xDim = 2.0; // module width in pixels
    const char* data = "1234567";
    std::int32_t type = 7; // symbology number; 7 is Code 128
    std::int32_t orientation = 0;
    std::uint32_t backColor = 0xffffff; // colours as 0x00BBGGRR
    std::uint32_t barColor = 0;
    std::uint32_t textColor = 0;
    bool quietZones = true;
    std::int32_t barcodeAlign = 2;
    std::int32_t textAlign = 0;
    bool showGuards = true;
    bool showText = true;
    bool textBelow = true;
    bool showStartStop = false;
    bool showCheckDigit = true;
    bool calcCheckDigit = true;
    bool eanTextFlush = false;
    bool convertNonPrinting = true;
    std::int32_t code128Charset = 0;
    float wideToNarrow = 2.5F;
    std::int32_t barReduction = 0;
    std::int32_t fontHeight = 14; // points at 96 dpi
};
