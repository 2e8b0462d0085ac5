#include "tests/image_support.h"

#include <sys/resource.h>

#include <cstdlib>

namespace {

struct SizeCase {
    int width, height;
    bool ok;
    const char* why;
};

TEST(ImageRaster, InitAcceptsOnlySizesItCanHold)
{
    const SizeCase cases[] = {
        {1, 1, true, "smallest raster"},
        {1000000, 1, true, "widest row libpng writes"},
        {1, 1000000, true, "tallest column"},
        {0, 10, false, "no columns"},
        {10, -3, false, "negative height"},
        {1000001, 1, false, "wider than libpng's limit"},
        {1, 1000001, false, "taller than libpng's limit"},
        {1000000, 358, false, "just over 1 GiB of pixels"},
        {1000000, 1000000, false, "3 TB: 64-bit size, no overflow"},
        {INT_MAX, INT_MAX, false, "int extremes"},
    };
    for (const auto& c : cases) {
        CMyPngWriter w(c.width, c.height, nullptr, 96, 96, 0xffffff, -2);
        EXPECT_EQ(w.Init(), c.ok) << c.why;
        EXPECT_EQ(w.GetRow(0) != nullptr, c.ok) << c.why;
    }
}

TEST(ImageRaster, InitStartsAllWhite)
{
    auto w = kt::StartedWriter(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int i = 0; i < 21; ++i)
            ASSERT_EQ(w->GetRow(y)[i], 255) << y << ',' << i;
    EXPECT_EQ(w->GetRow(5), nullptr);
    EXPECT_EQ(w->GetRow(-1), nullptr);
}

TEST(ImageRaster, InitFailsWhenFontCannotLoad)
{
    CMyPngWriter w(10, 10, "/nonexistent/font.ttf", 96, 96, 0xffffff, -2);
    EXPECT_FALSE(w.Init());
    w.FillRect(0, 0, 10, 10, 0); // no raster: ignored, no crash
}

#if !defined(__SANITIZE_ADDRESS__)
[[noreturn]] void InitUnderMemoryLimit()
{
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 256u << 20;
    setrlimit(RLIMIT_AS, &limit);
    CMyPngWriter w(20000, 17000, nullptr, 96, 96, 0xffffff, -2);
    std::exit(w.Init() ? 1 : 0);
}
#endif

TEST(ImageRaster, InitReportsAllocationFailure)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address limits do not mix with the address sanitizer";
#else
    // Under 1 GiB, so only the allocation itself can fail.
    EXPECT_EXIT(InitUnderMemoryLimit(), ::testing::ExitedWithCode(0), "");
#endif
}

TEST(ImageRaster, PixelBytesAreRedGreenBlue)
{
    auto w = kt::StartedWriter(4, 2);
    w->FillRect(0, 0, 2, 1, 0x0000ff); // red
    const std::uint8_t expected[] = {255, 0, 0, 255, 0, 0, 255, 255, 255};
    EXPECT_TRUE(std::equal(expected, expected + 9, w->GetRow(0)));
    EXPECT_EQ(w->GetRed(1, 0), 255);
    EXPECT_EQ(w->GetBlue(1, 0), 0);
    w->SetPixel(3, 1, 0xff123456); // top byte ignored
    EXPECT_EQ(kt::PixelAt(*w, 3, 1), 0x123456u);
    EXPECT_EQ(w->GetRow(1)[9], 0x56);
}

struct FillCase {
    int x, y, width, height;
    Colour colour;
    const char* why;
};

// Every fill, grey fast path or per-pixel path, clipped or not, must equal
// setting each pixel of the rectangle's part inside the raster.
TEST(ImageRaster, FillRectMatchesPixelByPixelReference)
{
    const FillCase cases[] = {
        {2, 1, 5, 3, 0x000000, "black: byte-fill path"},
        {2, 1, 5, 3, 0x808080, "grey: byte-fill path"},
        {2, 1, 5, 3, 0x3366cc, "colour: per-pixel path"},
        {0, 0, 13, 9, 0x00ff00, "whole raster"},
        {-4, -2, 7, 5, 0x202020, "over the top-left corner"},
        {10, 6, 50, 50, 0x0a0b0c, "over the bottom-right corner"},
        {-5, 3, 100, 1, 0x000000, "wider than the raster both ways"},
        {13, 0, 5, 5, 0x000000, "just right of the raster"},
        {0, -5, 5, 5, 0x0000ff, "just above the raster"},
        {3, 3, 0, 4, 0x000000, "zero width"},
        {3, 3, 4, -1, 0x000000, "negative height"},
        {5, 2, INT_MAX, 3, 0x000000, "x + width overflows int"},
        {INT_MIN, 2, INT_MAX, 3, 0x00ffff, "far left, ends inside by -1"},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0x000000, "far outside"},
    };
    for (const auto& c : cases) {
        auto fill = kt::StartedWriter(13, 9);
        auto reference = kt::StartedWriter(13, 9);
        fill->FillRect(c.x, c.y, c.width, c.height, c.colour);
        const long right = std::min(static_cast<long>(c.x) + c.width, 13L);
        const long bottom = std::min(static_cast<long>(c.y) + c.height, 9L);
        for (long y = std::max(c.y, 0); y < bottom; ++y)
            for (long x = std::max(c.x, 0); x < right; ++x)
                reference->SetPixel(static_cast<int>(x), static_cast<int>(y), c.colour);
        EXPECT_TRUE(kt::SamePixels(*fill, *reference)) << c.why;
    }
}

TEST(ImageRaster, PixelAccessOutsideTheRasterIsIgnored)
{
    auto w = kt::StartedWriter(3, 3);
    for (const auto& [x, y] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 3}, {INT_MIN, INT_MAX}})
        w->SetPixel(x, y, 0);
    EXPECT_TRUE(kt::InkBox(*w).Empty());
    EXPECT_EQ(w->GetRed(3, 0), 0);
    EXPECT_EQ(w->GetGreen(-1, -1), 0);

    CMyPngWriter idle(3, 3, nullptr, 96, 96, 0xffffff, -2); // never started
    idle.SetPixel(1, 1, 0);
    idle.FillRect(0, 0, 3, 3, 0);
    EXPECT_EQ(idle.GetBlue(1, 1), 0);
    EXPECT_EQ(idle.GetRow(0), nullptr);
}

} // namespace
