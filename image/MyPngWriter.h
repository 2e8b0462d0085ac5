// The PNG writer: encodes the raster as an 8-bit RGB (or, with an alpha
// channel, RGBA) PNG with gAMA, tIME and five tEXt chunks, through libpng; an
// indexed raster as a palette PNG of the fewest bits per pixel (one for two
// colours) with gAMA and tIME only.
#pragma once

#include "image/ImageWriter.h"

#include <ctime>
#include <functional>
#include <optional>
#include <vector>
struct png_struct_def;
struct png_info_def;

namespace kavren::detail {


class CMyPngWriter : public CImageWriter {
  public:
    // Receives the PNG stream piece by piece, in order; false fails the write.
    using ByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

    // How each row's filter is chosen. Both give the same bytes: libpng picks
    // the filter whose output has the least sum of absolute values (earlier
    // filter on a tie), and for a row equal to the one above it that is
    // always Up (None when the row is all zero), which kPerRow sets without
    // trying the others.
    enum class EFilterChoice { kPerRow, kLibrary };

    // compressionLevel: zlib level 0..9, or -2 for the default (6).
    CMyPngWriter(int width, int height, const char* fontPath, int horizontalDpi, int verticalDpi,
                 Colour background, int compressionLevel);

    // Writes the whole PNG stream at the file's position and flushes it; does
    // not close the file. False (nothing printed) when libpng fails, the
    // stream reports a write error, or Init has not succeeded.
    bool WriteTo(FILE* file) override;
    // The same stream handed to a sink; false when the sink refuses a piece,
    // libpng fails or Init has not succeeded.
    bool WriteToSink(const ByteSink& sink);
    // The same stream appended to bytes (which keeps what it held before).
    bool WriteToMemory(std::vector<std::uint8_t>& bytes);

    // Pixels per metre for a resolution in dots per inch, rounded (600 -> 23622).
    static std::uint32_t PixelsPerMetre(int dpi);

    std::int32_t m_CompressionLevel;
    double m_Gamma = 0.5; // below 0.1 is written as 0.7
    EFilterChoice m_FilterChoice = EFilterChoice::kPerRow;
    // When set, a pHYs chunk with this many pixels per metre both ways.
    std::optional<std::uint32_t> m_PixelsPerMetre;
    // When set, the time written to tIME and "Creation Time" instead of now.
    std::optional<std::time_t> m_Timestamp;

  private:
    bool WritePng(png_struct_def* png, png_info_def* info);
    void WriteRows(png_struct_def* png);
    int IndexBitDepth() const;
    void SetPalette(png_struct_def* png, png_info_def* info);
    bool CompressIndexedRows();
    void WriteImageData(png_struct_def* png);
    static void PackRow(const std::uint8_t* row, std::size_t width, int depth, std::size_t perByte,
                        std::uint8_t* packed);

    std::vector<std::uint8_t> m_ImageData; // an indexed raster's zlib stream, made before libpng starts
};

} // namespace kavren::detail
