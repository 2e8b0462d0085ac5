// The public library: every command-line option reaches the same picture
// through kavren::Options, failures come back as the command line's statuses
// and messages, and the bytes arrive whole in memory or through a sink.
#include "kavren/kavren.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;
using kavren::Options;
using kavren::Status;

constexpr std::int64_t Jan2026 = 1767225600; // 2026-01-01 00:00:00 UTC

std::string Describe(const Args& args)
{
    std::string s;
    for (const std::string& a : args)
        s += a + " ";
    return s;
}

bool Decode(const std::vector<std::uint8_t>& bytes, kt::Raster& out)
{
    const std::string path = kt::ScratchPath("library.png");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return kt::ReadPng(path, out);
}

// One command line and the options that say the same.
struct Same {
    Args args;
    std::function<void(Options&)> set;
};

// Every option of the command line, each reaching its field; failures give
// the same status and message.
const Same Equivalents[] = {
    {{}, [](Options&) {}}, // the defaults are the command line's
    {{"-t", "11", "-d", "590123412345"},
     [](Options& o) {
         o.symbology = kavren::Symbology::Ean13;
         o.data = "590123412345";
     }},
    {{"-x", "300", "-y", "120", "-o", "90", "-n", "3"},
     [](Options& o) {
         o.width = 300;
         o.height = 120;
         o.orientation = kavren::Orientation::Deg90;
         o.xDimension = 3;
     }},
    {{"-b", "ffff00", "-r", "000080", "-e", "0000ff", "-m", "20"},
     [](Options& o) {
         o.background = kavren::Rgb::FromHex(0xffff00);
         o.barColour = {0, 0, 0x80};
         o.textColour = {0, 0, 0xff};
         o.fontHeight = 20;
     }},
    {{"-t", "13", "-d", "03600029145", "-q", "0", "-g", "0", "-l", "5", "-u", "0", "-p", "0", "-x", "400"},
     [](Options& o) {
         o.symbology = kavren::Symbology::UpcA;
         o.data = "03600029145";
         o.quietZones = false;
         o.barcodeAlign = kavren::BarcodeAlign::Start;
         o.textAlign = kavren::TextAlign::EanBothOutside;
         o.showGuards = false;
         o.textBelow = false;
         o.width = 400;
     }},
    {{"-t", "5", "-d", "A40156B", "-z", "1", "-c", "0", "-k", "0", "-s", "0"},
     [](Options& o) {
         o.symbology = kavren::Symbology::Codabar;
         o.data = "A40156B";
         o.showStartStop = true;
         o.showCheckDigit = false;
         o.calcCheckDigit = false;
         o.showText = false;
     }},
    {{"-t", "11", "-d", "590123412345", "-f", "1", "-l", "4"},
     [](Options& o) {
         o.symbology = kavren::Symbology::Ean13;
         o.data = "590123412345";
         o.eanTextFlush = true;
         o.textAlign = kavren::TextAlign::EanLeadingOutside;
     }},
    {{"-d", "AB\tC", "-v", "0", "-a", "2"},
     [](Options& o) {
         o.data = "AB\tC";
         o.convertNonPrinting = false;
         o.code128Set = kavren::Code128Set::B;
     }},
    {{"-t", "2", "-d", "CODE39", "-i", "3", "-j", "20"},
     [](Options& o) {
         o.symbology = kavren::Symbology::Code39;
         o.data = "CODE39";
         o.wideToNarrow = 3.0F;
         o.barReduction = 20;
     }},
    {{"-t", "11", "-d", "12"},
     [](Options& o) { // invalid text
         o.symbology = kavren::Symbology::Ean13;
         o.data = "12";
     }},
    {{"-x", "20"}, [](Options& o) { o.width = 20; }},                                     // does not fit
    {{"-a", "4"}, [](Options& o) { o.code128Set = static_cast<kavren::Code128Set>(4); }}, // no code set
};

TEST(Library, GivesWhatTheCommandLineWrites)
{
    const std::string path = kt::ScratchPath("cli.png");
    for (const Same& c : Equivalents) {
        SCOPED_TRACE(Describe(c.args));
        Args args = c.args;
        args.push_back(path);
        std::remove(path.c_str());
        const kt::RunResult run = kt::RunKavren(args);

        Options options;
        c.set(options);
        const kavren::Result result = kavren::Render(options);
        ASSERT_EQ(static_cast<int>(result.status), run.status) << run.err;
        if (!result) {
            EXPECT_EQ(run.err, "kavren Version 1.5 (c) 2026 the kavren developers\n" +
                                   std::string(result.message) + "\n" +
                                   (result.detail.empty() ? "" : result.detail + "\n"));
            EXPECT_TRUE(result.bytes.empty());
            continue;
        }
        kt::Raster fromFile;
        kt::Raster fromMemory;
        ASSERT_TRUE(kt::ReadPng(path, fromFile));
        ASSERT_TRUE(Decode(result.bytes, fromMemory));
        EXPECT_EQ(fromMemory.width, fromFile.width);
        EXPECT_EQ(fromMemory.height, fromFile.height);
        EXPECT_TRUE(fromMemory.rgb == fromFile.rgb);
    }
}

// Values the command line never passes on are refused with a detail naming
// the field; what the engine judges keeps the engine's status.
TEST(Library, ReportsFailuresAsTheCommandLinesStatuses)
{
    struct Case {
        std::function<void(Options&)> set;
        Status status;
        const char* detail; // a part of the detail line; "" for none
    };
    const Case cases[] = {
        {[](Options& o) { o.symbology = static_cast<kavren::Symbology>(99); }, Status::CantSetType, ""},
        {[](Options& o) { o.data = ""; }, Status::InvalidText, "no data: Code 128 takes one character or more"},
        {[](Options& o) {
             o.data = std::string("12\0"
                                  "34",
                                  5);
         },
         Status::InvalidText, "NUL"},
        {[](Options& o) { o.width = -1; }, Status::InvalidArgument, "width"},
        {[](Options& o) { o.height = -1; }, Status::InvalidArgument, "height"},
        {[](Options& o) { o.xDimension = 0; }, Status::InvalidArgument, "xDimension"},
        {[](Options& o) { o.xDimension = std::nan(""); }, Status::InvalidArgument, "xDimension"},
        {[](Options& o) { o.orientation = static_cast<kavren::Orientation>(45); }, Status::InvalidArgument,
         "orientation"},
        {[](Options& o) { o.barcodeAlign = static_cast<kavren::BarcodeAlign>(3); }, Status::InvalidArgument,
         "barcodeAlign"},
        {[](Options& o) { o.textAlign = static_cast<kavren::TextAlign>(-1); }, Status::InvalidArgument,
         "textAlign"},
        {[](Options& o) { o.wideToNarrow = 1.99F; }, Status::InvalidArgument,
         "wideToNarrow must be 2 or more"},
        {[](Options& o) { o.barReduction = -100; }, Status::InvalidArgument,
         "barReduction must be within -99..99"},
        {[](Options& o) { o.fontHeight = 0; }, Status::InvalidArgument, "fontHeight"},
        {[](Options& o) { o.timestamp = -1; }, Status::InvalidArgument, "timestamp"},
        {[](Options& o) { o.format = static_cast<kavren::Format>(9); }, Status::InvalidArgument, "format"},
        {[](Options& o) { o.xDimension = 1e9; }, Status::CantInitPng, "image width at a module of 1000000000 pixels exceeds 1,000,000 pixels"},
        {[](Options& o) { o.width = 2000000; }, Status::CantInitPng, "image width 2000000 exceeds 1,000,000 pixels"},
        {[](Options& o) { o.width = 2; }, Status::InvalidSize, ""},            // the symbol cannot fit
        {[](Options& o) { o.font = "/dev/zero"; }, Status::CantInitPng, "font /dev/zero: not a TrueType or OpenType font"},
    };
    for (const Case& c : cases) {
        Options options;
        c.set(options);
        const kavren::Result result = kavren::Render(options);
        SCOPED_TRACE(result.detail);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.message, kavren::StatusMessage(c.status));
        EXPECT_NE(result.detail.find(c.detail), std::string::npos);
        EXPECT_EQ(result.detail.empty(), *c.detail == '\0');
        EXPECT_TRUE(result.bytes.empty());
    }
    EXPECT_EQ(kavren::StatusMessage(static_cast<Status>(7)), "Error: Unknown error.");
}

TEST(Library, SinkGetsTheBytesOfMemoryAndNothingOnFailure)
{
    Options options;
    options.timestamp = Jan2026;
    const kavren::Result inMemory = kavren::Render(options);
    ASSERT_TRUE(inMemory);
    std::vector<std::uint8_t> streamed;
    int calls = 0;
    const auto collect = [&](const std::uint8_t* data, std::size_t size) {
        ++calls;
        streamed.insert(streamed.end(), data, data + size);
        return true;
    };
    const kavren::Result viaSink = kavren::Render(options, options.data, collect);
    EXPECT_TRUE(viaSink);
    EXPECT_TRUE(viaSink.bytes.empty());
    EXPECT_TRUE(streamed == inMemory.bytes);

    calls = 0;
    EXPECT_EQ(kavren::Render(options, "", collect).status, Status::InvalidText);
    EXPECT_EQ(calls, 0);

    // A sink that refuses or throws ends the render as an unwritable file.
    const kavren::ByteSink refuses = [](const std::uint8_t*, std::size_t) { return false; };
    const kavren::ByteSink throws = [](const std::uint8_t*, std::size_t) -> bool { throw 1; };
    for (const kavren::Format format : {kavren::Format::Png, kavren::Format::Svg, kavren::Format::Eps}) {
        options.format = format;
        EXPECT_EQ(kavren::Render(options, options.data, refuses).status, Status::CantCloseFile);
        EXPECT_EQ(kavren::Render(options, options.data, throws).status, Status::CantCloseFile);
    }
}

// SVG and EPS keep the PNG's limits: a side past 1,000,000 pixels or a
// module past any whole number of pixels is refused as for the PNG, and so
// is a document past 32 MiB (here 300,000 digits of 0.003 mm modules), before
// it is written out.
TEST(Library, VectorDocumentsKeepTheLimits)
{
    struct Case {
        std::function<void(Options&)> set;
        Status status;
        bool vectorOnly = false;
    };
    const Case cases[] = {
        {[](Options& o) { o.width = 1000001; o.height = 100; }, Status::CantInitPng},
        {[](Options& o) { o.width = 1000000; o.height = 100; }, Status::Ok},
        {[](Options& o) { o.unit = kavren::Unit::Millimetres; o.xDimension = 1e300; }, Status::InvalidArgument},
        {[](Options& o) { o.unit = kavren::Unit::Millimetres; o.xDimension = 1e5; }, Status::CantInitPng},
        {[](Options& o) { o.xDimension = 1e6; }, Status::CantInitPng},
        {[](Options& o) {
             o.unit = kavren::Unit::Millimetres;
             o.xDimension = 0.003;
             o.data = std::string(300000, '1');
         },
         Status::CantInitPng, true},
    };
    for (const Case& c : cases) {
        for (const kavren::Format format : {kavren::Format::Png, kavren::Format::Svg, kavren::Format::Eps}) {
            if (c.vectorOnly && format == kavren::Format::Png)
                continue;
            Options options;
            options.format = format;
            c.set(options);
            std::size_t bytes = 0;
            const kavren::Result result =
                kavren::Render(options, options.data, [&](const std::uint8_t*, std::size_t size) {
                    bytes += size;
                    return true;
                });
            SCOPED_TRACE(std::to_string(&c - cases) + " in format " + std::to_string(static_cast<int>(format)));
            EXPECT_EQ(result.status, c.status) << result.detail;
            EXPECT_EQ(bytes == 0, c.status != Status::Ok);
        }
    }
}

TEST(Library, TimestampAndDataArgumentGiveRepeatableBytes)
{
    Options options;
    options.timestamp = Jan2026;
    options.data = "FIRST";
    const kavren::Result first = kavren::Render(options);
    const std::string text(first.bytes.begin(), first.bytes.end());
    EXPECT_NE(text.find("Creation Time"), std::string::npos);
    EXPECT_NE(text.find("1 Jan 2026 00:00:00 +0000"), std::string::npos);

    // Other data through the argument: the same bytes as through the field.
    const kavren::Result second = kavren::Render(options, "SECOND");
    options.data = "SECOND";
    EXPECT_TRUE(second.bytes == kavren::Render(options).bytes);
    EXPECT_FALSE(second.bytes == first.bytes);
}

} // namespace
