// Helpers of the image suites: a started writer and the box of drawn pixels.
#pragma once

#include "image/MyPngWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace kt {

inline std::unique_ptr<CMyPngWriter> StartedWriter(int width, int height, int compression = -2)
{
    auto writer = std::make_unique<CMyPngWriter>(width, height, nullptr, 96, 96, 0xffffff, compression);
    EXPECT_TRUE(writer->Init());
    return writer;
}

inline Colour PixelAt(const CImageWriter& w, int x, int y)
{
    return w.GetRed(x, y) | (w.GetGreen(x, y) << 8) | (w.GetBlue(x, y) << 16);
}

// Bounding box of the pixels that differ from white (inclusive); empty when none.
struct Box {
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
    bool Empty() const { return left > right; }
};

inline Box InkBox(const CImageWriter& w)
{
    Box box;
    for (int y = 0; y < w.GetHeight(); ++y)
        for (int x = 0; x < w.GetWidth(); ++x)
            if (PixelAt(w, x, y) != 0xffffff) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

inline bool SamePixels(const CImageWriter& a, const CImageWriter& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (int y = 0; y < a.GetHeight(); ++y)
        if (!std::equal(a.GetRow(y), a.GetRow(y) + 3 * a.GetWidth(), b.GetRow(y)))
            return false;
    return true;
}

} // namespace kt
