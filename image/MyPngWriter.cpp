#include "image/MyPngWriter.h"

#include <png.h>

#include <csetjmp>
#include <ctime>

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

char* Text(const char* literal)
{
    return const_cast<char*>(literal); // libpng copies the texts and never writes them
}

} // namespace

CMyPngWriter::CMyPngWriter(int width, int height, const char* fontPath, int horizontalDpi, int verticalDpi,
                           Colour background, int compressionLevel)
    : CImageWriter(width, height, background, fontPath, horizontalDpi, verticalDpi),
      m_CompressionLevel(compressionLevel)
{
}

bool CMyPngWriter::WriteTo(FILE* file)
{
    if (!file || !m_Rows)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    const bool written = info && WritePng(png, info, file);
    png_destroy_write_struct(&png, &info);
    // The stream may still hold the tail of the file: a full disk shows only
    // when it is flushed.
    return written && std::fflush(file) == 0 && !std::ferror(file);
}

// Holds only trivially destructible locals: libpng errors leave it by longjmp.
bool CMyPngWriter::WritePng(png_struct_def* png, png_info_def* info, FILE* file)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_compression_level(png, m_CompressionLevel == -2 ? 6 : m_CompressionLevel);
    png_set_IHDR(png, info, static_cast<png_uint_32>(m_Width), static_cast<png_uint_32>(m_Height), m_BitDepth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);

    // Too small a gamma (or none at all) falls back to 0.7.
    if (!(m_Gamma >= 0.1))
        m_Gamma = 0.7;
    png_set_gAMA(png, info, m_Gamma);

    png_time stamp{};
    png_convert_from_time_t(&stamp, std::time(nullptr));
    png_set_tIME(png, info, &stamp);

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
    png_write_image(png, m_Rows.get());
    png_write_end(png, info);
    return true;
}
