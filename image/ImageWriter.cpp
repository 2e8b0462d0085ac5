#include "image/ImageWriter.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kavren::detail {

namespace {

constexpr Colour kRgbMask = 0xffffff; // the top byte of a colour carries nothing

} // namespace

CImageWriter::CImageWriter(int width, int height, Colour background, const char* fontPath, int horizontalDpi,
                           int verticalDpi)
    : m_Width(width), m_Height(height), m_Background(background),
      m_TextRenderer(this, fontPath, horizontalDpi, verticalDpi)
{
}

CImageWriter::~CImageWriter() = default;

bool CImageWriter::Init()
{
    m_Rows.reset();
    m_Pixels.reset();
    if (m_Width < 1 || m_Height < 1 || m_Width > kMaxDimension || m_Height > kMaxDimension)
        return false;
    const std::int64_t rowBytes = std::int64_t{m_Width} * m_Channels;
    const std::int64_t totalBytes = rowBytes * m_Height;
    if (totalBytes > kMaxRasterBytes)
        return false;

    try {
        // One block for all pixels; the row table points into it so PNG
        // writing hands libpng the rows without copying.
        auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(totalBytes));
        auto rows = std::make_unique_for_overwrite<std::uint8_t*[]>(static_cast<std::size_t>(m_Height));
        for (std::int32_t y = 0; y < m_Height; ++y)
            rows[y] = pixels.get() + rowBytes * y;
        if (m_Indexed) {
            std::memset(pixels.get(), 0, static_cast<std::size_t>(totalBytes)); // entry 0: the background
        } else if (m_Channels == 3) {
            std::memset(pixels.get(), 255, static_cast<std::size_t>(totalBytes));
        } else {
            // Transparent background: its colour, alpha 0.
            const std::uint8_t clear[4] = {static_cast<std::uint8_t>(m_Background),
                                           static_cast<std::uint8_t>(m_Background >> 8),
                                           static_cast<std::uint8_t>(m_Background >> 16), 0};
            for (std::int32_t x = 0; x < m_Width; ++x)
                std::memcpy(rows[0] + std::size_t{4} * static_cast<std::size_t>(x), clear, 4);
            for (std::int32_t y = 1; y < m_Height; ++y)
                std::memcpy(rows[y], rows[0], static_cast<std::size_t>(rowBytes));
        }
        m_Pixels = std::move(pixels);
        m_Rows = std::move(rows);
    } catch (const std::bad_alloc&) {
        return false;
    }

    m_Palette[0] = m_Background & kRgbMask;
    m_PaletteSize = m_Indexed ? 1 : 0;
    if (m_TextRenderer.Init() != 0) {
        m_Rows.reset();
        m_Pixels.reset();
        return false;
    }
    return true;
}

bool CImageWriter::Contains(int x, int y) const
{
    return m_Rows && x >= 0 && y >= 0 && x < m_Width && y < m_Height;
}

// A colour drawn over the transparent background is opaque, so with alpha it
// never takes entry 0, even in the background's colour.
std::uint8_t CImageWriter::IndexOf(Colour colour)
{
    colour &= kRgbMask;
    for (std::size_t i = m_Alpha ? 1 : 0; i < m_PaletteSize; ++i)
        if (m_Palette[i] == colour)
            return static_cast<std::uint8_t>(i);
    if (m_PaletteSize == kMaxPaletteSize)
        return static_cast<std::uint8_t>(kMaxPaletteSize - 1);
    m_Palette[m_PaletteSize] = colour;
    return static_cast<std::uint8_t>(m_PaletteSize++);
}

void CImageWriter::SetPixel(int x, int y, Colour colour)
{
    if (!Contains(x, y))
        return;
    if (m_Indexed) {
        m_Rows[y][x] = IndexOf(colour);
        return;
    }
    std::uint8_t* p = m_Rows[y] + static_cast<std::size_t>(m_Channels) * static_cast<std::size_t>(x);
    p[0] = static_cast<std::uint8_t>(colour);
    p[1] = static_cast<std::uint8_t>(colour >> 8);
    p[2] = static_cast<std::uint8_t>(colour >> 16);
    if (m_Channels == 4)
        p[3] = 255;
}

std::uint8_t CImageWriter::ByteAt(int x, int y, int channel) const
{
    if (!Contains(x, y))
        return 0;
    if (m_Indexed)
        return channel == 3 ? 255 : static_cast<std::uint8_t>(m_Palette[m_Rows[y][x]] >> (8 * channel));
    return m_Rows[y][static_cast<std::size_t>(m_Channels) * static_cast<std::size_t>(x) +
                     static_cast<std::size_t>(channel)];
}

std::uint8_t CImageWriter::GetRed(int x, int y) const
{
    return ByteAt(x, y, 0);
}
std::uint8_t CImageWriter::GetGreen(int x, int y) const
{
    return ByteAt(x, y, 1);
}
std::uint8_t CImageWriter::GetBlue(int x, int y) const
{
    return ByteAt(x, y, 2);
}
std::uint8_t CImageWriter::GetAlpha(int x, int y) const
{
    if (m_Indexed && m_Alpha && Contains(x, y) && m_Rows[y][x] == 0)
        return 0;
    if (m_Channels != 4)
        return Contains(x, y) ? 255 : 0;
    return ByteAt(x, y, 3);
}

void CImageWriter::FillRect(int x, int y, int width, int height, Colour colour)
{
    if (!m_Rows || width <= 0 || height <= 0)
        return;
    // Clip in 64 bits: x + width may not fit an int.
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, m_Width);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + height, m_Height);
    if (left >= right || top >= bottom)
        return;

    const std::uint8_t red = static_cast<std::uint8_t>(colour);
    const std::uint8_t green = static_cast<std::uint8_t>(colour >> 8);
    const std::uint8_t blue = static_cast<std::uint8_t>(colour >> 16);
    const auto offset = static_cast<std::size_t>(left * m_Channels);
    const auto bytes = static_cast<std::size_t>((right - left) * m_Channels);

    if (m_Indexed) {
        const std::uint8_t index = IndexOf(colour);
        for (std::int64_t row = top; row < bottom; ++row)
            std::memset(m_Rows[row] + offset, index, bytes);
        return;
    }
    if (m_Channels == 4) {
        const std::uint8_t opaque[4] = {red, green, blue, 255};
        std::uint8_t* first = m_Rows[top] + offset;
        for (std::size_t i = 0; i < bytes; i += 4)
            std::memcpy(first + i, opaque, 4);
        for (std::int64_t row = top + 1; row < bottom; ++row)
            std::memcpy(m_Rows[row] + offset, first, bytes);
        return;
    }
    if (red == green && green == blue) {
        // Grey levels (black bars, white background): one byte fill per row.
        for (std::int64_t row = top; row < bottom; ++row)
            std::memset(m_Rows[row] + offset, red, bytes);
        return;
    }
    std::uint8_t* first = m_Rows[top] + offset;
    for (std::size_t i = 0; i < bytes; i += 3) {
        first[i] = red;
        first[i + 1] = green;
        first[i + 2] = blue;
    }
    for (std::int64_t row = top + 1; row < bottom; ++row)
        std::memcpy(m_Rows[row] + offset, first, bytes);
}

void CImageWriter::FillColumns(std::int64_t top, std::int64_t bottom, std::span<const ColumnSpan> columns,
                               Colour colour)
{
    const std::int64_t first = std::max<std::int64_t>(top, 0);
    const std::int64_t end = std::min<std::int64_t>(bottom, m_Height);
    if (!m_Rows || first >= end)
        return;
    // The extent of the columns inside the raster.
    std::int64_t left = m_Width;
    std::int64_t right = 0;
    for (const ColumnSpan& column : columns) {
        const std::int64_t from = std::max<std::int64_t>(column.left, 0);
        const std::int64_t to = std::min<std::int64_t>(column.right, m_Width);
        if (from < to) {
            left = std::min(left, from);
            right = std::max(right, to);
        }
    }
    if (left >= right)
        return;
    const auto fillRow = [&](std::int64_t y) {
        for (const ColumnSpan& column : columns) {
            const std::int64_t from = std::max<std::int64_t>(column.left, 0);
            const std::int64_t to = std::min<std::int64_t>(column.right, m_Width);
            if (from < to)
                FillRect(static_cast<int>(from), static_cast<int>(y), static_cast<int>(to - from), 1, colour);
        }
    };
    const auto offset = static_cast<std::size_t>(left * m_Channels);
    const auto bytes = static_cast<std::size_t>((right - left) * m_Channels);
    try {
        m_FirstRowBefore.assign(m_Rows[first] + offset, m_Rows[first] + offset + bytes);
    } catch (const std::bad_alloc&) {
        for (std::int64_t y = first; y < end; ++y)
            fillRow(y);
        return;
    }
    fillRow(first);
    const std::uint8_t* filled = m_Rows[first] + offset;
    for (std::int64_t y = first + 1; y < end; ++y) {
        std::uint8_t* row = m_Rows[y] + offset;
        if (std::memcmp(row, m_FirstRowBefore.data(), bytes) == 0)
            std::memcpy(row, filled, bytes);
        else
            fillRow(y);
    }
}

const std::uint8_t* CImageWriter::GetRow(int y) const
{
    return Contains(0, y) ? m_Rows[y] : nullptr;
}

std::int32_t CImageWriter::MeasureTextHeight(int fontHeight)
{
    return m_TextRenderer.MeasureTextHeight(fontHeight);
}

bool CImageWriter::DrawString(const char* text, int fontHeight, int mode, int x, int y, int span,
                              double angle, Colour colour)
{
    return m_TextRenderer.DrawString(text, fontHeight, mode, x, y, span, angle, colour);
}

bool CImageWriter::DrawStringN(const char* text, int count, int fontHeight, int mode, int x, int y, int span,
                               double angle, Colour colour)
{
    return m_TextRenderer.DrawStringN(text, count, fontHeight, mode, x, y, span, angle, colour);
}

} // namespace kavren::detail
