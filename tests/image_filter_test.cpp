// The PNG writer's per-row filter choice against libpng's own: the same file,
// byte for byte, for the program's pictures and for rasters built to hit the
// edge cases of the choice.
#include "tests/image_support.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::time_t kStamp = 1767225600; // one time stamp for both writes

std::vector<std::uint8_t> Encoded(CMyPngWriter& w, CMyPngWriter::EFilterChoice choice)
{
    w.m_FilterChoice = choice;
    w.m_Timestamp = kStamp;
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(w.WriteToMemory(bytes));
    return bytes;
}

void ExpectSameFile(CMyPngWriter& w, const std::string& what)
{
    const auto fast = Encoded(w, CMyPngWriter::EFilterChoice::kPerRow);
    const auto plain = Encoded(w, CMyPngWriter::EFilterChoice::kLibrary);
    EXPECT_GT(fast.size(), 60u) << what;
    EXPECT_TRUE(fast == plain) << what << ": " << fast.size() << " vs " << plain.size() << " bytes";
}

// A writer holding the pixels of a PNG the program wrote.
std::unique_ptr<CMyPngWriter> Reloaded(const kt::Raster& r)
{
    auto w = kt::StartedWriter(r.width, r.height);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            w->SetPixel(x, y, r.At(x, y));
    return w;
}

TEST(ImageFilter, ProgramPicturesEncodeAsLibpngChooses)
{
    const std::vector<std::vector<std::string>> cases = {
        {"-t", "0", "-d", "12345678"}, // every symbology at its defaults
        {"-t", "1", "-d", "1234567"},
        {"-t", "2", "-d", "KAVREN-42"},
        {"-t", "3", "-d", "Kavren 42"},
        {"-t", "4", "-d", "123-45"},
        {"-t", "5", "-d", "A12345B"},
        {"-t", "6", "-d", "1234567"},
        {"-t", "7", "-d", "Kavren 42"},
        {"-t", "8", "-d", "12"},
        {"-t", "9", "-d", "12345"},
        {"-t", "10", "-d", "1234567"},
        {"-t", "11", "-d", "123456789012"},
        {"-t", "12", "-d", "1234567890123"},
        {"-t", "13", "-d", "12345678901"},
        {"-t", "14", "-d", "01200000345"},
        {"-t", "15", "-d", "(01)12345678901231"},
        {"-t", "16", "-d", "0012345678901234567"},
        {"-t", "17", "-d", "12345"},
        {"-t", "18", "-d", "12345678901"},
        {"-t", "19", "-d", "KAVREN"},
        {"-t", "20", "-d", "Kavren"},
        {"-t", "21", "-d", "1234567890123"},
        {"-o", "90", "-d", "Kavren 42"}, // the four orientations
        {"-o", "180", "-d", "Kavren 42"},
        {"-o", "270", "-d", "Kavren 42"},
        {"-t", "11", "-d", "123456789012", "-o", "90"},   // guard bars across text, turned
        {"-p", "1", "-d", "Kavren 42"},                   // text above
        {"-s", "0", "-d", "Kavren 42"},                   // text hidden
        {"-b", "ffff00", "-r", "0000ff", "-e", "ff0000"}, // colours
        {"-b", "000000", "-r", "ffffff", "-e", "ffffff"}, // black background: all-zero rows
        {"-j", "40", "-n", "3", "-d", "Kavren 42"},       // bar width reduction
        {"-j", "-30", "-n", "2", "-o", "270"},
        {"-x", "640", "-y", "90", "-d", "Kavren 42"}, // fixed sizes
        {"-x", "97", "-y", "301", "-o", "90"},
    };
    for (const auto& args : cases) {
        std::string what;
        for (const auto& a : args)
            what += a + ' ';
        const std::string path = kt::ScratchPath("picture.png");
        auto full = args;
        full.push_back(path);
        const auto run = kt::RunKavren(full);
        ASSERT_EQ(run.status, 0) << what << run.err;
        kt::Raster raster;
        ASSERT_TRUE(kt::ReadPng(path, raster)) << what;
        auto w = Reloaded(raster);
        ExpectSameFile(*w, what);
    }
}

// Rasters that stress the rule: no repeated rows, all one colour, a zero first
// row (equal to the zero row above it), runs of zero and non-zero rows, and
// the one-pixel sides where libpng drops filters.
TEST(ImageFilter, EdgeRastersEncodeAsLibpngChooses)
{
    const struct {
        const char* what;
        int width, height;
        Colour (*pixel)(int x, int y);
    } cases[] = {
        {"no repeated rows", 300, 120,
         [](int x, int y) { return Colour((x * 2654435761u) ^ (y * 40503u)) & 0xffffff; }},
        {"all black", 200, 80, [](int, int) { return Colour{0}; }},
        {"all white", 200, 80, [](int, int) { return Colour{0xffffff}; }},
        {"zero first rows, then bars", 150, 60,
         [](int x, int y) { return y < 5 || (x / 7) % 2 ? Colour{0} : Colour{0xffffff}; }},
        {"zero and non-zero runs", 150, 90,
         [](int x, int y) { return (y / 10) % 2 ? Colour{0} : Colour(x % 3 ? 0x123456 : 0); }},
        {"rows differing in the last byte", 120, 40,
         [](int x, int y) { return x == 119 && y % 4 == 0 ? Colour{0x010000} : Colour{0}; }},
        {"one pixel wide", 1, 50, [](int, int y) { return y < 25 ? Colour{0} : Colour{0x808080}; }},
        {"one row", 60, 1, [](int x, int) { return Colour(x * 4); }},
        {"one pixel", 1, 1, [](int, int) { return Colour{0}; }},
    };
    for (const auto& c : cases) {
        auto w = kt::StartedWriter(c.width, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                w->SetPixel(x, y, c.pixel(x, y));
        ExpectSameFile(*w, c.what);
    }
}

// Every sink receives the same stream: a file and memory.
TEST(ImageFilter, FileAndMemoryGetTheSameBytes)
{
    auto w = kt::StartedWriter(180, 70);
    w->FillRect(20, 0, 30, 70, 0);
    w->DrawString("Sink 42", 12, 0, 60, 60, 0, 0, 0x2040a0);
    w->m_Timestamp = kStamp;
    const std::string path = kt::ScratchPath("sink.png");
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(w->WriteTo(file));
    std::fclose(file);
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> onDisk((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    std::vector<std::uint8_t> inMemory = {1, 2, 3}; // kept in front
    ASSERT_TRUE(w->WriteToMemory(inMemory));
    EXPECT_EQ(std::vector<std::uint8_t>(inMemory.begin() + 3, inMemory.end()), onDisk);

    // A sink that refuses, or throws, fails the write quietly.
    EXPECT_FALSE(w->WriteToSink([](const std::uint8_t*, std::size_t) { return false; }));
    EXPECT_FALSE(w->WriteToSink([](const std::uint8_t*, std::size_t) -> bool { throw std::bad_alloc(); }));
    EXPECT_FALSE(w->WriteToSink(nullptr));
}

} // namespace
