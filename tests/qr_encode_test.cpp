// QR Code and Micro QR: codewords of ISO/IEC 18004's worked example, the
// segmentation and capacity boundaries, and decoder round trips of the
// module matrix written as a picture.
#include "support/TestSupport.h"

#include "symbologies/QrCode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using kavren::Options;
using kavren::Status;
using kavren::detail::BuildQr;
using kavren::detail::QrBuild;
using kavren::detail::QrMatrix;
using Level = kavren::Options::EcLevel;

Options Qr(Level level = Level::M, int version = 0, int mask = -1, int eci = -1)
{
    Options options;
    options.ecLevel = level;
    options.version = version;
    options.mask = mask;
    options.eci = eci;
    return options;
}

// The matrix as a PGM with a light quiet zone, 4 pixels a module, rotated
// by quarter turns.
std::string WritePgm(const QrMatrix& m, const std::string& name, int quiet, int turns = 0)
{
    const int scale = 4;
    const int side = (m.size + 2 * quiet) * scale;
    std::string image = "P5\n" + std::to_string(side) + " " + std::to_string(side) + "\n255\n";
    for (int py = 0; py < side; ++py) {
        for (int px = 0; px < side; ++px) {
            int x = px / scale - quiet;
            int y = py / scale - quiet;
            for (int t = 0; t < turns; ++t) {
                const int keep = x;
                x = y;
                y = m.size - 1 - keep;
            }
            const bool inside = x >= 0 && y >= 0 && x < m.size && y < m.size;
            const bool dark = inside && m.modules[static_cast<std::size_t>(y * m.size + x)];
            image += static_cast<char>(dark ? 0 : 255);
        }
    }
    const std::string path = kt::ScratchPath(name + ".pgm");
    kt::WriteFile(path, image);
    return path;
}

std::string ZXingBytes(const std::string& path, const std::string& format)
{
    return kt::RunCommand("ZXingReader -bytes -format " + format + " '" + path + "'").out;
}

// ISO/IEC 18004 Annex I: "01234567" at 1-M, bit stream and error correction.
TEST(QrCodewords, AnnexExample)
{
    const QrBuild build = BuildQr(Qr(Level::M), "01234567", false, false);
    ASSERT_TRUE(build) << build.detail;
    const QrMatrix& m = build.matrix;
    EXPECT_EQ(m.version, 1);
    const std::vector<std::uint8_t> expected = {0x10, 0x20, 0x0c, 0x56, 0x61, 0x80, 0xec, 0x11, 0xec, 0x11, 0xec,
                                                0x11, 0xec, 0x11, 0xec, 0x11, 0xa5, 0x24, 0xd4, 0xc1, 0xed, 0x36,
                                                0xc7, 0x87, 0x2c, 0x55};
    EXPECT_EQ(m.codewords, expected);
    EXPECT_EQ(m.mask, 2);
}

// Segmentation and version boundaries: the data, the level, the version and
// data codewords expected (0: too long), the data codewords' first bytes.
struct Boundary {
    const char* name;
    std::string data;
    Level level;
    int version; // 0: data too long (status 6)
    std::vector<std::uint8_t> head;
};

std::vector<Boundary> Boundaries()
{
    return {
        // Numeric 41 digits at 1-L fits, 42 needs version 2.
        {"numeric 1-L full", std::string(41, '7'), Level::L, 1, {}},
        {"numeric 1-L over", std::string(42, '7'), Level::L, 2, {}},
        {"alnum 1-H full", std::string(10, 'A'), Level::H, 1, {}},
        {"alnum 1-H over", std::string(11, 'A'), Level::H, 2, {}},
        {"byte 1-Q full", std::string(11, 'a'), Level::Q, 1, {}},
        {"byte 1-Q over", std::string(12, 'a'), Level::Q, 2, {}},
        // 40-L: 7089 digits, 4296 alphanumerics, 2953 bytes.
        {"numeric 40-L", std::string(7089, '1'), Level::L, 40, {}},
        {"numeric 40-L over", std::string(7090, '1'), Level::L, 0, {}},
        {"alnum 40-L", std::string(4296, 'Z'), Level::L, 40, {}},
        {"byte 40-L", std::string(2953, 'z'), Level::L, 40, {}},
        {"byte 40-L over", std::string(2954, 'z'), Level::L, 0, {}},
        {"byte 40-H", std::string(1273, 'z'), Level::H, 40, {}},
        // Version 9 to 10 changes the count widths: 230 bytes is 9-L, 231 is 10-L.
        {"byte 9-L", std::string(230, 'q'), Level::L, 9, {}},
        {"byte 10-L", std::string(231, 'q'), Level::L, 10, {}},
        // Mode heads: byte 'a' then numeric; one alnum segment for "AB1".
        {"mode byte then digits", std::string("a").append(12, '5'), Level::M, 1, {0x40, 0x16, 0x11, 0x03}},
        {"digits inside alnum stay alnum", "AB1", Level::M, 1, {0x20, 0x19, 0xcd, 0x04}},
        {"digits in bytes: own segment when long", "ab123456789012c", Level::M, 1, {0x40, 0x26, 0x16, 0x21}},
        {"short digit run stays in bytes", "ab12c", Level::M, 1, {0x40, 0x56, 0x16, 0x23}},
    };
}

TEST(QrSegments, Boundaries)
{
    for (const Boundary& row : Boundaries()) {
        SCOPED_TRACE(row.name);
        const QrBuild build = BuildQr(Qr(row.level), row.data, false, false);
        if (row.version == 0) {
            EXPECT_EQ(build.status, Status::InvalidText);
            EXPECT_NE(build.detail.find("holds at most"), std::string::npos) << build.detail;
            continue;
        }
        ASSERT_TRUE(build) << build.detail;
        EXPECT_EQ(build.matrix.version, row.version);
        for (std::size_t i = 0; i < row.head.size(); ++i)
            EXPECT_EQ(build.matrix.dataCodewords[i], row.head[i]) << i;
    }
}

TEST(QrStatus, ForcedVersionAndOptions)
{
    const QrBuild small = BuildQr(Qr(Level::M, 1), std::string(15, 'x'), false, false);
    EXPECT_EQ(small.status, Status::InvalidSize);
    EXPECT_NE(small.detail.find("holds 16 data codewords"), std::string::npos) << small.detail;
    EXPECT_EQ(BuildQr(Qr(Level::M, 41), "1", false, false).status, Status::InvalidArgument);
    EXPECT_EQ(BuildQr(Qr(Level::M, 0, 8), "1", false, false).status, Status::InvalidArgument);
    EXPECT_EQ(BuildQr(Qr(), "", false, false).status, Status::InvalidText);
    EXPECT_EQ(BuildQr(Qr(Level::H), "1", true, false).status, Status::InvalidArgument);
    EXPECT_EQ(BuildQr(Qr(Level::M, 2), "ABCDEF", true, false).status, Status::InvalidSize); // M2-M: 5 alnum
    EXPECT_EQ(BuildQr(Qr(Level::M, 1), "a", true, false).status, Status::InvalidSize);
}

// Round trips through ZXingReader (exact bytes) and zbarimg.
struct Trip {
    const char* name;
    std::string data;
    Options options;
    bool micro;
};

std::vector<Trip> Trips()
{
    std::vector<Trip> trips = {
        {"digits", "01234567", Qr(), false},
        {"url", "https://example.com/path?query=1&x=ABCDEFGH", Qr(), false},
        {"mixed", "ABCDEF0123456789abc0123456789012XYZ", Qr(Level::Q), false},
        {"latin1", "caf\xe9 \xfc\xdf", Qr(Level::L), false},
        {"eci utf8", "gr\xc3\xbc\xc3\x9f", Qr(Level::M, 0, -1, 26), false},
        {"kanji sjis", "\x93\xfa\x96\x7b", Qr(Level::M, 0, -1, 20), false},
        {"micro M1", "12345", Qr(Level::L), true},
        {"micro M2", "AB12", Qr(Level::L), true},
        {"micro M3", "abc12", Qr(Level::M), true},
        {"micro M4", "HELLO 12345", Qr(Level::Q), true},
    };
    // Every version at every level, with each forced mask in turn.
    for (int version = 1; version <= 40; version += 1) {
        const Level level = static_cast<Level>(version % 4);
        std::string data;
        for (int i = 0; static_cast<int>(data.size()) < version * version * 6 + 30; ++i)
            data += "Aa0-" + std::to_string(i);
        trips.push_back({"version", data, Qr(level, version, version % 8), false});
    }
    for (int version = 1; version <= 4; ++version)
        for (int mask = 0; mask < 4; ++mask)
            trips.push_back({"micro forced", "1", Qr(Level::L, version, mask), true});
    return trips;
}

TEST(QrRoundTrip, ZXingReadsTheBytes)
{
    int index = 0;
    for (const Trip& trip : Trips()) {
        SCOPED_TRACE(std::string(trip.name) + " #" + std::to_string(index));
        std::string data = trip.data;
        QrBuild build = BuildQr(trip.options, data, trip.micro, false);
        // Version rows: as much data as the forced version holds, roughly.
        while (build.status == Status::InvalidSize && data.size() > 1) {
            data.resize(data.size() * 7 / 8);
            build = BuildQr(trip.options, data, trip.micro, false);
        }
        ASSERT_TRUE(build) << build.detail;
        const std::string path = WritePgm(build.matrix, "trip" + std::to_string(index), trip.micro ? 2 : 4,
                                          index % 4);
        const std::string read = ZXingBytes(path, trip.micro ? "MicroQRCode" : "QRCode");
        EXPECT_EQ(read, data) << "version " << build.matrix.version << " mask " << build.matrix.mask;
        ++index;
    }
}

TEST(QrRoundTrip, ZbarReadsQr)
{
    const QrBuild build = BuildQr(Qr(Level::H), "KAVREN 2026 qr", false, false);
    ASSERT_TRUE(build);
    const std::vector<std::string> read = kt::Zbar(WritePgm(build.matrix, "zbar", 4));
    ASSERT_EQ(read.size(), 1U);
    EXPECT_EQ(read[0], "QR-Code:KAVREN 2026 qr");
}

} // namespace
