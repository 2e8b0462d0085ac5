#include "image/MyPngWriter.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <csetjmp>
#include <cstring>
#include <limits>
#include <new>

namespace kavren::detail {

namespace {

// libpng's own handlers print to stderr and abort when no recovery point is
// set; this program reports failures itself, so errors return to WriteTo.
[[noreturn]] void OnPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp)
{
}

// Hands libpng's output to the sink; a refusal (or an exception, which must
// not cross libpng's C frames) becomes a libpng error.
void OnPngWrite(png_structp png, png_bytep data, png_size_t size)
{
    const auto* sink = static_cast<const CMyPngWriter::ByteSink*>(png_get_io_ptr(png));
    bool accepted = false;
    try {
        accepted = (*sink)(data, size);
    } catch (...) {
    }
    if (!accepted)
        png_error(png, "write failed");
}

void OnPngFlush(png_structp)
{
}

char* Text(const char* literal)
{
    return const_cast<char*>(literal); // libpng copies the texts and never writes them
}

bool IsZero(const std::uint8_t* row, std::size_t bytes)
{
    return row[0] == 0 && std::memcmp(row, row + 1, bytes - 1) == 0;
}

// Measured on the default Code 128 label (10,000 of them in a batch):
// filter None with Z_FILTERED at level 5 gives 304 bytes, level 6 306 and
// level 9 305 at 3 % and 45 % more instructions per label, levels 1 to 4
// 326 to 348 bytes for 3 to 20 % fewer; the default strategy 310; Up or
// every filter tried gives 327 to 360, and Z_RLE thousands. Rows repeat whole, which
// deflate's matches take as well as Up's zeros, and a filtered row of
// one-bit pixels is no smaller. A label is a few kilobytes of deflate input:
// memory level 5 (a hash of 4,096 heads instead of 32,768, cleared for every
// stream) gives the same bytes as the default 8 on Code 128 and EAN-13
// labels, with 8 % fewer instructions per label; below 4 files grow.
constexpr int kIndexedCompression = 5;
constexpr int kIndexedStrategy = Z_FILTERED;
constexpr int kIndexedMemoryLevel = 5;
constexpr std::uint8_t kIndexedFilter = 0; // PNG filter type None, before each row

// Rows gathered for one deflate call: a label's image data is a few
// kilobytes, so it is one call; a large image goes in pieces of this size.
constexpr std::size_t kPieceBytes = 32768;

// libpng's window for image data of this many bytes: the smallest of at least
// 256 bytes holding the data and 262 bytes more, up to 32 KiB. zlib writes it
// in the stream's header, so a decoder allocates no more than the image needs.
int WindowBits(std::uint64_t dataSize)
{
    int bits = 15;
    if (dataSize <= 16384) {
        std::uint64_t half = std::uint64_t{1} << (bits - 1);
        for (; dataSize + 262 <= half; half >>= 1)
            --bits;
    }
    return bits;
}

// Ends a deflate stream however its compression ends.
struct CDeflateStream {
    z_stream stream{};
    bool started = false;
    ~CDeflateStream()
    {
        if (started)
            deflateEnd(&stream);
    }
};

} // namespace

CMyPngWriter::CMyPngWriter(int width, int height, const char* fontPath, int horizontalDpi, int verticalDpi,
                           Colour background, int compressionLevel)
    : CImageWriter(width, height, background, fontPath, horizontalDpi, verticalDpi),
      m_CompressionLevel(compressionLevel)
{
}

std::uint32_t CMyPngWriter::PixelsPerMetre(int dpi)
{
    // One inch is 0.0254 m exactly.
    const std::int64_t perMetre = (std::int64_t{dpi} * 10000 + 127) / 254;
    return static_cast<std::uint32_t>(std::max<std::int64_t>(perMetre, 0));
}

bool CMyPngWriter::WriteTo(FILE* file)
{
    if (!file)
        return false;
    const bool written = WriteToSink([file](const std::uint8_t* data, std::size_t size) {
        return std::fwrite(data, 1, size, file) == size;
    });
    // The stream may still hold the tail of the file: a full disk shows only
    // when it is flushed.
    return written && std::fflush(file) == 0 && !std::ferror(file);
}

bool CMyPngWriter::WriteToMemory(std::vector<std::uint8_t>& bytes)
{
    return WriteToSink([&bytes](const std::uint8_t* data, std::size_t size) {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    });
}

bool CMyPngWriter::WriteToSink(const ByteSink& sink)
{
    if (!sink || !m_Rows)
        return false;
    if (m_Indexed && !CompressIndexedRows())
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    bool written = false;
    if (info) {
        png_set_write_fn(png, const_cast<ByteSink*>(&sink), OnPngWrite, OnPngFlush);
        written = WritePng(png, info);
    }
    png_destroy_write_struct(&png, &info);
    return written;
}

// Holds only trivially destructible locals: libpng errors leave it by longjmp.
bool CMyPngWriter::WritePng(png_struct_def* png, png_info_def* info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    if (m_Indexed) {
        SetPalette(png, info);
    } else {
        png_set_compression_level(png, m_CompressionLevel == -2 ? 6 : m_CompressionLevel);
        png_set_IHDR(png, info, static_cast<png_uint_32>(m_Width), static_cast<png_uint_32>(m_Height),
                     m_BitDepth, m_Channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    }

    // Too small a gamma (or none at all) falls back to 0.7.
    if (!(m_Gamma >= 0.1))
        m_Gamma = 0.7;
    png_set_gAMA(png, info, m_Gamma);
    if (m_PixelsPerMetre)
        png_set_pHYs(png, info, *m_PixelsPerMetre, *m_PixelsPerMetre, PNG_RESOLUTION_METER);

    // gmtime_r, not libpng's png_convert_from_time_t: that one calls gmtime,
    // whose shared buffer two renders on two threads would both write.
    const std::time_t now = m_Timestamp ? *m_Timestamp : std::time(nullptr);
    std::tm utc{};
    if (!gmtime_r(&now, &utc))
        return false;
    png_time stamp{};
    png_convert_from_struct_tm(&stamp, &utc);
    png_set_tIME(png, info, &stamp);

    if (m_Indexed) {
        // A two-colour label carries only what describes it: no text chunks.
        png_write_info(png, info);
        WriteImageData(png);
        return true;
    }

    char creationTime[29] = {};
    if (!png_convert_to_rfc1123_buffer(creationTime, &stamp))
        return false;
    png_text texts[5] = {};
    const char* const pairs[5][2] = {{"Title", "Title_Text"},
                                     {"Author", "Author_Text"},
                                     {"Description", "Description_Text"},
                                     {"Creation Time", creationTime},
                                     {"Software", "Software_Text"}};
    for (int i = 0; i < 5; ++i) {
        texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = Text(pairs[i][0]);
        texts[i].text = Text(pairs[i][1]);
    }
    png_set_text(png, info, texts, 5);

    png_write_info(png, info);
    WriteRows(png);
    png_write_end(png, info);
    return true;
}

// libpng's selection tries every filter on every row and keeps the one whose
// bytes have the least sum of absolute values (as signed bytes), the earlier
// of None, Sub, Up, Average, Paeth on a tie. A row equal to the row above it
// gives all zeros under Up, which nothing beats; only None ties, when the row
// itself is all zero, and then None wins. Such rows (most rows of a barcode)
// get that filter set directly, so the bytes are the same as libpng's choice.
void CMyPngWriter::WriteRows(png_struct_def* png)
{
    if (m_FilterChoice == EFilterChoice::kLibrary) {
        png_write_image(png, m_Rows.get());
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(m_Channels) * static_cast<std::size_t>(m_Width);
    // Row 0 always gets libpng's choice: libpng sets up the buffers of only the
    // filters enabled when the first row is written, and an all-zero first row
    // (the only one equal to the zero row above it) gets None either way.
    png_write_row(png, m_Rows[0]);
    int current = PNG_ALL_FILTERS;
    int runIsZero = -1; // whether the rows of the current run of equal rows are all zero; -1 unknown
    for (std::int32_t y = 1; y < m_Height; ++y) {
        int wanted = PNG_ALL_FILTERS;
        if (std::memcmp(m_Rows[y], m_Rows[y - 1], rowBytes) == 0) {
            if (runIsZero < 0)
                runIsZero = IsZero(m_Rows[y], rowBytes) ? 1 : 0;
            wanted = runIsZero ? PNG_FILTER_NONE : PNG_FILTER_UP;
        } else {
            runIsZero = -1;
        }
        if (wanted != current) {
            png_set_filter(png, PNG_FILTER_TYPE_BASE, wanted);
            current = wanted;
        }
        png_write_row(png, m_Rows[y]);
    }
}

// The fewest bits per pixel that index every entry: one for two colours.
int CMyPngWriter::IndexBitDepth() const
{
    const std::size_t entries = GetPaletteSize();
    return entries <= 2 ? 1 : entries <= 4 ? 2 : entries <= 16 ? 4 : 8;
}

void CMyPngWriter::SetPalette(png_struct_def* png, png_info_def* info)
{
    const int compression = m_CompressionLevel == -2 ? kIndexedCompression : m_CompressionLevel;
    png_set_compression_level(png, compression);
    png_set_compression_strategy(png, kIndexedStrategy);
    png_set_compression_mem_level(png, kIndexedMemoryLevel);
    png_set_IHDR(png, info, static_cast<png_uint_32>(m_Width), static_cast<png_uint_32>(m_Height),
                 IndexBitDepth(), PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::array<png_color, kMaxPaletteSize> palette{};
    const std::size_t entries = GetPaletteSize();
    for (std::size_t i = 0; i < entries; ++i) {
        const Colour colour = GetPalette()[i];
        palette[i] = png_color{static_cast<png_byte>(colour), static_cast<png_byte>(colour >> 8),
                               static_cast<png_byte>(colour >> 16)};
    }
    png_set_PLTE(png, info, palette.data(), static_cast<int>(entries));
    if (HasAlpha()) {
        // Entry 0, the background, is transparent; the entries tRNS leaves out are opaque.
        png_byte clear = 0;
        png_set_tRNS(png, info, &clear, 1, nullptr);
    }
}

// One index byte per pixel in the raster, packed to the bit depth (the
// leftmost pixel in the high bits, as PNG orders them), each row after its
// filter type byte, and compressed here rather than through libpng's row
// interface: that calls deflate once a row, and the calls cost more than
// the compression of a label's few kilobytes. Most rows of a label equal the
// row above, so a row is packed only when it differs. The stream is the one
// libpng would write for the same rows, filter and zlib settings.
bool CMyPngWriter::CompressIndexedRows()
{
    const int depth = IndexBitDepth();
    const auto width = static_cast<std::size_t>(m_Width);
    const auto height = static_cast<std::size_t>(m_Height);
    const std::size_t perByte = 8 / static_cast<std::size_t>(depth);
    const std::size_t lineBytes = 1 + (width + perByte - 1) / perByte;
    const std::uint64_t dataSize = std::uint64_t{lineBytes} * height;
    const std::size_t piece = std::clamp<std::size_t>(kPieceBytes / lineBytes, 1, height);

    CDeflateStream deflater;
    z_stream& stream = deflater.stream;
    const int level = m_CompressionLevel == -2 ? kIndexedCompression : m_CompressionLevel;
    if (deflateInit2(&stream, level, Z_DEFLATED, WindowBits(dataSize), kIndexedMemoryLevel, kIndexedStrategy) !=
        Z_OK)
        return false;
    deflater.started = true;
    const uLong bound = deflateBound(&stream, static_cast<uLong>(dataSize));
    if (bound > std::numeric_limits<uInt>::max())
        return false;
    std::vector<std::uint8_t> lines;
    try {
        m_ImageData.resize(bound);
        lines.resize(piece * lineBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    stream.next_out = m_ImageData.data();
    stream.avail_out = static_cast<uInt>(bound);

    for (std::size_t y = 0; y < height;) {
        const std::size_t count = std::min(piece, height - y);
        for (std::size_t i = 0; i < count; ++i, ++y) {
            std::uint8_t* line = lines.data() + i * lineBytes;
            // The line before, at the end of the last piece for the first line of a piece.
            const std::uint8_t* before = lines.data() + ((i == 0 ? piece : i) - 1) * lineBytes;
            line[0] = kIndexedFilter;
            if (y == 0 || std::memcmp(m_Rows[y], m_Rows[y - 1], width) != 0) {
                if (depth == 8)
                    std::memcpy(line + 1, m_Rows[y], width);
                else
                    PackRow(m_Rows[y], width, depth, perByte, line + 1);
            } else if (before != line) {
                std::memcpy(line + 1, before + 1, lineBytes - 1);
            }
        }
        const bool last = y == height;
        stream.next_in = lines.data();
        stream.avail_in = static_cast<uInt>(count * lineBytes);
        // With room for the bound, each call takes all its input.
        const int status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
        if (stream.avail_in != 0 || status != (last ? Z_STREAM_END : Z_OK))
            return false;
    }
    m_ImageData.resize(stream.total_out);
    return true;
}

// The compressed rows as one IDAT chunk (more only past libpng's chunk
// limit), then IEND: all that png_write_end adds once tIME is written.
void CMyPngWriter::WriteImageData(png_struct_def* png)
{
    static constexpr png_byte kIdat[5] = "IDAT";
    static constexpr png_byte kIend[5] = "IEND";
    const std::size_t size = m_ImageData.size();
    for (std::size_t offset = 0; offset < size;) {
        const std::size_t length = std::min<std::size_t>(size - offset, PNG_UINT_31_MAX);
        png_write_chunk(png, kIdat, m_ImageData.data() + offset, length);
        offset += length;
    }
    png_write_chunk(png, kIend, nullptr, 0);
}

// Each output byte gathers its pixels in a register: shifting the byte so
// far up by the depth and adding the next index keeps the leftmost pixel in
// the high bits. The last byte is padded with zero bits on the right.
void CMyPngWriter::PackRow(const std::uint8_t* row, std::size_t width, int depth, std::size_t perByte,
                           std::uint8_t* packed)
{
    const auto bits = static_cast<unsigned>(depth);
    const std::size_t whole = width / perByte;
    std::size_t i = 0;
    if (depth == 1) {
        // Eight indices of 0 or 1 as one word, pixel k in bit 8k: the multiplier's bit 63 - 9k moves it to bit 63 - k, and
        // no two products share a bit, so no carry disturbs the top byte.
        constexpr std::uint64_t kGather = 0x8040201008040201;
        for (; i < whole; ++i, row += 8) {
            std::uint64_t word = 0;
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(&word, row, sizeof word); // one load: the compiler keeps the loop below a loop
            } else {
                for (unsigned k = 0; k < 8; ++k)
                    word |= std::uint64_t{row[k]} << (8 * k);
            }
            packed[i] = static_cast<std::uint8_t>((word * kGather) >> 56);
        }
    }
    for (; i < whole; ++i, row += perByte) {
        unsigned byte = 0;
        for (std::size_t k = 0; k < perByte; ++k)
            byte = (byte << bits) | row[k];
        packed[i] = static_cast<std::uint8_t>(byte);
    }
    if (const std::size_t rest = width - whole * perByte; rest > 0) {
        unsigned byte = 0;
        for (std::size_t k = 0; k < rest; ++k)
            byte = (byte << bits) | row[k];
        packed[whole] = static_cast<std::uint8_t>(byte << (bits * (perByte - rest)));
    }
}

} // namespace kavren::detail
