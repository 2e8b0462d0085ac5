#include "image/GlyphPlacement.h"

#include "common/Geometry.h"
#include "image/EmbeddedFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_MODULE_H

#ifdef KAVREN_FREETYPE_MODULES
// Module classes of the static FreeType archive, which the shared library
// does not export. Each begins with its FT_Module_Class, which is all that
// FT_Add_Module takes. The memory manager is FT_Init_FreeType's own, so that
// FT_Done_FreeType releases either kind of library.
extern "C" {
FT_Memory FT_New_Memory();
void FT_Done_Memory(FT_Memory memory);
extern const FT_Module_Class sfnt_module_class;
extern const FT_Module_Class tt_driver_class;
extern const FT_Module_Class ft_smooth_renderer_class;
extern const FT_Module_Class ft_raster1_renderer_class;
}
#endif

#include <algorithm>
#include <cmath>
#include <sys/stat.h>
#include <functional>
#include <limits>
#include <tuple>
#include <unordered_map>

namespace kavren::detail {

namespace {

// 16.16 fixed point, truncated toward zero.
FT_Fixed ToFixed(double value)
{
    return static_cast<FT_Fixed>(value * 65536.0);
}

// Whole pixels of a 26.6 value, rounded toward minus infinity.
FT_Pos FloorPixels(FT_Pos value)
{
    return value >= 0 ? value / 64 : -((-value + 63) / 64);
}

} // namespace

namespace {

// The embedded font is a hinted TrueType font: its glyphs need only the
// TrueType driver (with the sfnt tables it reads), the anti-aliasing
// rasteriser and the one-bit one of two-colour images; starting FreeType with
// just those saves initialising a dozen others, and in a static link leaves
// them out of the program. A font file may be of any kind (or unhinted, for
// the auto-hinter), so it gets them all.
FT_Error NewLibrary([[maybe_unused]] const char* fontPath, FT_Library& library)
{
#ifdef KAVREN_FREETYPE_MODULES
    if (!fontPath) {
        FT_Memory memory = FT_New_Memory();
        if (!memory)
            return FT_Err_Out_Of_Memory;
        if (const FT_Error error = FT_New_Library(memory, &library)) {
            FT_Done_Memory(memory);
            return error;
        }
        for (const FT_Module_Class* module :
             {&sfnt_module_class, &tt_driver_class, &ft_smooth_renderer_class, &ft_raster1_renderer_class})
            if (const FT_Error error = FT_Add_Module(library, module)) {
                FT_Done_FreeType(library); // releases the memory too
                library = nullptr;
                return error;
            }
        return 0;
    }
#endif
    return FT_Init_FreeType(&library);
}

// A character size on the face: the font height in points and the resolutions.
struct SizeKey {
    int fontHeight = 0;
    FT_UInt horizontalDpi = 0;
    FT_UInt verticalDpi = 0;
    bool operator==(const SizeKey&) const = default;
};

SizeKey MakeSizeKey(int fontHeight, int horizontalDpi, int verticalDpi)
{
    return {fontHeight, static_cast<FT_UInt>(std::max(horizontalDpi, 0)),
            static_cast<FT_UInt>(std::max(verticalDpi, 0))};
}

// Everything a loaded glyph depends on: the glyph, the size, the load flags
// and the transform (matrix and sub-pixel shift) it was loaded under.
struct GlyphKey {
    FT_UInt index = 0;
    SizeKey size;
    FT_Int32 loadFlags = 0;
    FT_Fixed xx = 0, xy = 0, yx = 0, yy = 0;
    FT_Pos dx = 0, dy = 0;
    bool operator==(const GlyphKey&) const = default;
};

struct GlyphKeyHash {
    std::size_t operator()(const GlyphKey& k) const
    {
        std::size_t h = 0;
        for (const long long part :
             {static_cast<long long>(k.index), static_cast<long long>(k.size.fontHeight),
              static_cast<long long>(k.size.horizontalDpi), static_cast<long long>(k.size.verticalDpi),
              static_cast<long long>(k.loadFlags), static_cast<long long>(k.xx), static_cast<long long>(k.xy),
              static_cast<long long>(k.yx), static_cast<long long>(k.yy), static_cast<long long>(k.dx),
              static_cast<long long>(k.dy)})
            h = h * 1000003U ^ std::hash<long long>{}(part);
        return h;
    }
};

// A glyph as FT_Load_Glyph left it: whether it loaded, its transformed
// advance, and its copy (null when the copy failed); and once asked for, its
// bitmap in the render mode of its load flags (null until then, or the glyph
// itself when it is a bitmap already).
struct LoadedGlyph {
    bool loaded = false;
    FT_Vector advance{0, 0};
    FT_Glyph glyph = nullptr;
    FT_Glyph bitmap = nullptr;
};

// Glyphs kept per face; past this many the cache starts over, so a thread
// drawing every character of every size holds a bounded amount.
constexpr std::size_t kMostKeptGlyphs = 1024;
constexpr std::size_t kMostKeptBands = 64;

struct SizeKeyHash {
    std::size_t operator()(const SizeKey& k) const
    {
        return std::hash<long long>{}((static_cast<long long>(k.fontHeight) << 32) ^
                                      (static_cast<long long>(k.horizontalDpi) << 16) ^ k.verticalDpi);
    }
};

} // namespace

struct CFontFace::CState {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool sizeSet = false; // whether `size` was requested last, and `sizeOk` is its outcome
    bool sizeOk = false;
    SizeKey size;
    std::unordered_map<SizeKey, std::int32_t, SizeKeyHash> bands;
    std::unordered_map<GlyphKey, LoadedGlyph, GlyphKeyHash> glyphs;
    // The kept glyphs by their copy, for RenderedGlyph; a render mode follows
    // from the load flags, so each kept glyph has one bitmap.
    std::unordered_map<FT_Glyph, LoadedGlyph*> rendered;

    CState() = default;
    CState(const CState&) = delete;
    CState& operator=(const CState&) = delete;
    ~CState()
    {
        ForgetGlyphs();
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    // 0 on success, else the FreeType error with the failed handle left null.
    int Open(const char* fontPath)
    {
        if (!library) {
            if (const FT_Error error = NewLibrary(fontPath, library)) {
                library = nullptr;
                return error;
            }
        }
        const FT_Error error = fontPath
                                   ? FT_New_Face(library, fontPath, 0, &face)
                                   : FT_New_Memory_Face(library, g_EmbeddedFont,
                                                        static_cast<FT_Long>(g_EmbeddedFontSize), 0, &face);
        if (error)
            face = nullptr;
        return error;
    }

    // Requests the character size unless it is the one requested last; true
    // when that request succeeded.
    bool UseSize(const SizeKey& key)
    {
        if (!sizeSet || !(size == key)) {
            sizeOk = FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(key.fontHeight) * 64,
                                      key.horizontalDpi, key.verticalDpi) == 0;
            size = key;
            sizeSet = true;
        }
        return sizeOk;
    }

    // The glyph loaded at the size in use under the transform; loaded once.
    const LoadedGlyph& Load(FT_UInt index, FT_Int32 loadFlags, const FT_Matrix& matrix,
                            const FT_Vector& delta)
    {
        const GlyphKey key{index,     size,      loadFlags, matrix.xx, matrix.xy,
                           matrix.yx, matrix.yy, delta.x,   delta.y};
        if (const auto found = glyphs.find(key); found != glyphs.end())
            return found->second;
        if (glyphs.size() >= kMostKeptGlyphs)
            ForgetGlyphs();
        LoadedGlyph loaded;
        FT_Matrix m = matrix;
        FT_Vector d = delta;
        FT_Set_Transform(face, &m, &d);
        loaded.loaded = FT_Load_Glyph(face, index, loadFlags) == 0;
        if (loaded.loaded) {
            loaded.advance = face->glyph->advance;
            if (FT_Get_Glyph(face->glyph, &loaded.glyph) != 0)
                loaded.glyph = nullptr;
        }
        FT_Set_Transform(face, nullptr, nullptr);
        LoadedGlyph& kept = glyphs.emplace(key, loaded).first->second;
        if (kept.glyph)
            rendered.emplace(kept.glyph, &kept);
        return kept;
    }

    void ForgetGlyphs()
    {
        for (auto& [key, loaded] : glyphs) {
            if (loaded.bitmap && loaded.bitmap != loaded.glyph)
                FT_Done_Glyph(loaded.bitmap);
            if (loaded.glyph)
                FT_Done_Glyph(loaded.glyph);
        }
        glyphs.clear();
        rendered.clear();
    }
};

namespace {

// The embedded font of this thread, opened on first use and kept until the
// thread ends; null (and `error` set) when it cannot be opened.
CFontFace::CState* EmbeddedState(int& error)
{
    thread_local std::unique_ptr<CFontFace::CState> state;
    if (!state) {
        auto opened = std::make_unique<CFontFace::CState>();
        error = opened->Open(nullptr);
        if (error)
            return nullptr;
        state = std::move(opened);
    }
    error = 0;
    return state.get();
}

constexpr FT_Matrix kIdentity{0x10000, 0, 0, 0x10000};

// Total advance of the unrotated text in 26.6 units, kerning left out; only
// alignment in a span needs it.
FT_Pos TotalAdvance(CFontFace::CState& state, const unsigned char* text, std::size_t length,
                    FT_Int32 loadFlags)
{
    FT_Pos total = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const LoadedGlyph& glyph =
            state.Load(FT_Get_Char_Index(state.face, text[i]), loadFlags, kIdentity, FT_Vector{0, 0});
        if (glyph.loaded)
            total += std::max(std::abs(glyph.advance.x), std::abs(glyph.advance.y));
    }
    return total;
}

} // namespace

CFontFace::CFontFace() = default;
CFontFace::~CFontFace() = default;

int CFontFace::Open(const char* fontPath)
{
    if (m_State)
        return 0;
    if (!fontPath) {
        int error = 0;
        m_State = EmbeddedState(error);
        return error;
    }
    // Only a regular file is read: a FIFO or a device would be waited on or
    // read without end.
    struct stat st {};
    if (stat(fontPath, &st) != 0 || !S_ISREG(st.st_mode))
        return FT_Err_Cannot_Open_Resource;
    auto own = std::make_unique<CState>();
    if (const int error = own->Open(fontPath))
        return error;
    m_Own = std::move(own);
    m_State = m_Own.get();
    return 0;
}

FT_FaceRec_* CFontFace::Get() const
{
    return m_State ? m_State->face : nullptr;
}

namespace {

// The font height's share of the band in pixels: the font height itself at
// 96 dpi, where the band was first defined, and as many times more as the
// resolution is higher, so the band keeps its physical size with the text.
std::int64_t BandFontHeight(int fontHeight, int verticalDpi)
{
    constexpr std::int64_t kBandDpi = 96;
    if (verticalDpi <= 0 || verticalDpi == kBandDpi)
        return fontHeight;
    return (std::int64_t{fontHeight} * verticalDpi + kBandDpi / 2) / kBandDpi;
}

// The band measured on the face: `height` plus the descent of 'j' twice.
std::int32_t MeasureBand(CFontFace::CState& state, const SizeKey& key, std::int64_t height,
                         std::int64_t fallback)
{
    // Points at the given resolution: at 96 dpi the em is fontHeight x 96 / 72 pixels.
    if (!state.UseSize(key))
        return Clamp32(fallback);
    // 'j' has the deepest descender of the ASCII letters; the band reserves it
    // below the baseline and, for symmetry, above the cap height.
    if (FT_Load_Glyph(state.face, FT_Get_Char_Index(state.face, 'j'), FT_LOAD_DEFAULT) != 0)
        return Clamp32(fallback);
    const FT_Glyph_Metrics& metrics = state.face->glyph->metrics;
    const std::int64_t descent = (metrics.height - metrics.horiBearingY) / 64;
    return Clamp32(height + 2 * descent);
}

} // namespace

std::int32_t MeasureTextBand(const CFontFace& font, int fontHeight, int horizontalDpi, int verticalDpi)
{
    const std::int64_t height = BandFontHeight(fontHeight, verticalDpi);
    const std::int64_t fallback = height * 3 / 2;
    CFontFace::CState* state = font.State();
    if (!state || !state->face)
        return Clamp32(fallback);
    const SizeKey key = MakeSizeKey(fontHeight, horizontalDpi, verticalDpi);
    if (const auto found = state->bands.find(key); found != state->bands.end())
        return found->second;
    if (state->bands.size() >= kMostKeptBands)
        state->bands.clear();
    return state->bands.emplace(key, MeasureBand(*state, key, height, fallback)).first->second;
}

bool PlaceGlyphs(const CFontFace& font, int horizontalDpi, int verticalDpi, const unsigned char* text,
                 std::size_t length, int fontHeight, int mode, int x, int y, int span, double angle,
                 EGlyphLoad load, const GlyphSink& sink)
{
    CFontFace::CState* state = font.State();
    if (!state || !state->face || length == 0)
        return true;
    FT_Face face = state->face;
    // The load flags are part of every kept glyph's key, so glyphs hinted for
    // one bit per pixel and anti-aliased ones never stand in for each other.
    const FT_Int32 loadFlags = load == EGlyphLoad::kOutline ? FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP
                               : load == EGlyphLoad::kMono  ? FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO
                                                            : FT_LOAD_DEFAULT;
    const std::int32_t textHeight = MeasureTextBand(font, fontHeight, horizontalDpi, verticalDpi);
    const std::int64_t descent = (std::int64_t{textHeight} - BandFontHeight(fontHeight, verticalDpi)) / 2;
    // Glyphs and kerning are scaled to the size in use.
    bool complete = state->UseSize(MakeSizeKey(fontHeight, horizontalDpi, verticalDpi));
    if (!std::isfinite(angle))
        angle = 0.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const FT_Matrix matrix{ToFixed(c), ToFixed(-s), ToFixed(s), ToFixed(c)};

    const bool aligned = span != 0 && (mode == 1 || mode == 2 || (mode == 3 && length > 1));
    const FT_Pos total = aligned ? TotalAdvance(*state, text, length, loadFlags) : 0;
    std::int64_t startX = x;
    std::int64_t startY = y;
    double extra = 0.0; // 26.6 units added after every glyph when spreading
    if (aligned) {
        const std::int64_t spare = std::int64_t{span} - total / 64;
        const std::int64_t shift = mode == 1 ? spare : mode == 2 ? spare / 2 : 0;
        startX += static_cast<std::int64_t>(static_cast<double>(shift) * c);
        startY -= static_cast<std::int64_t>(static_cast<double>(shift) * s);
        if (mode == 3)
            extra = static_cast<double>(std::int64_t{span} * 64 - total) / static_cast<double>(length - 1);
    }
    // From the descender line up to the baseline, rotated with the text.
    const std::int64_t dx = -RoundHalfAway(static_cast<double>(descent) * s);
    const std::int64_t dy = -RoundHalfAway(static_cast<double>(descent) * c);

    const bool kerning = FT_HAS_KERNING(face);
    FT_Vector pen{0, 0};
    FT_UInt previous = 0;
    bool hasPrevious = false;
    for (std::size_t i = 0; i < length; ++i) {
        const FT_UInt glyphIndex = FT_Get_Char_Index(face, text[i]);
        if (kerning && hasPrevious && glyphIndex != 0) {
            FT_Vector kern{0, 0};
            FT_Get_Kerning(face, previous, glyphIndex, FT_KERNING_DEFAULT, &kern);
            pen.x += static_cast<FT_Pos>(static_cast<double>(kern.x) * c);
            pen.y += static_cast<FT_Pos>(static_cast<double>(kern.x) * s);
        }
        // FreeType gets only the sub-pixel part of the pen; the whole pixels
        // go to the origin, so long texts and far positions stay within the
        // rasteriser's 16-bit coordinate range.
        const FT_Vector whole{FloorPixels(pen.x), FloorPixels(pen.y)};
        const FT_Vector fraction{pen.x - whole.x * 64, pen.y - whole.y * 64};
        const LoadedGlyph& loaded = state->Load(glyphIndex, loadFlags, matrix, fraction);
        if (!loaded.glyph) {
            complete = false;
            continue;
        }
        pen.x += loaded.advance.x;
        pen.y += loaded.advance.y;
        if (mode == 3 && aligned) {
            pen.x += static_cast<FT_Pos>(extra * c);
            pen.y += static_cast<FT_Pos>(extra * s);
        }
        previous = glyphIndex;
        hasPrevious = true;
        sink(loaded.glyph, startX + whole.x + dx, startY + dy - whole.y);
    }
    return complete;
}

FT_GlyphRec_* RenderedGlyph(const CFontFace& font, FT_GlyphRec_* glyph, int renderMode)
{
    CFontFace::CState* state = font.State();
    if (!state || !glyph)
        return nullptr;
    if (glyph->format == FT_GLYPH_FORMAT_BITMAP)
        return glyph;
    const auto found = state->rendered.find(glyph);
    if (found == state->rendered.end())
        return nullptr;
    LoadedGlyph& loaded = *found->second;
    if (!loaded.bitmap) {
        FT_Glyph bitmap = glyph;
        if (FT_Glyph_To_Bitmap(&bitmap, static_cast<FT_Render_Mode>(renderMode), nullptr, 0) != 0)
            return nullptr; // tried again next time: a failure keeps nothing
        loaded.bitmap = bitmap;
    }
    return loaded.bitmap;
}

} // namespace kavren::detail
