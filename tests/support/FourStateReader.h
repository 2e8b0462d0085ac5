// The tests' own reader of 4-state postal codes: an encoded symbol drawn into
// a PNG by a tiny rasteriser, and the bar states read back from a picture by
// the bars' extents alone, knowing nothing of the encoders.
#pragma once

#include "common/EncodedSymbol.h"
#include "tests/support/TestSupport.h"

#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace kt {

// Draws the symbol black on white at `modulePixels` pixels per module
// (quiet zones included, texts left out) and writes it as an 8-bit RGB PNG.
bool WriteFourStatePng(const kavren::detail::EncodedSymbol& symbol, int modulePixels,
                       const std::string& path);

// The bars from left to right as letters: F full, A ascender, D descender,
// T tracker. The bars are the dark runs of the row that crosses the most of
// them (the tracker's); each bar reaches up and down from there as far as its
// centre column stays dark. Empty when no bar is found.
std::string ReadFourStateBars(const Raster& raster);
// The same of a picture drawn at `orientation` degrees (counter-clockwise):
// turned back first, so the bars come in reading order.
std::string ReadFourStateBars(const Raster& raster, int orientation);

// USPS-B-3200 decoded by its own tables: bar letters to "TRACKING" or
// "TRACKING-ROUTING"; a message in brackets when the bars are no Intelligent
// Mail barcode (count, character, orientation, CRC).
std::string DecodeImb(const std::string& bars);

// The encoded symbol through the PNG and back: its bar letters.
std::string BarsThroughPng(const kavren::detail::EncodedSymbol& symbol, int modulePixels = 10);

} // namespace kt
