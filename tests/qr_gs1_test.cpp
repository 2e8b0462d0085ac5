// GS1 QR Code and GS1 Digital Link: the URIs of GS1's examples, the checks
// that always apply, and the FNC1 symbol as ZXingReader reads it (]Q3).
#include "support/TestSupport.h"

#include "symbologies/DigitalLink.h"
#include "symbologies/QrCode.h"

#include <gtest/gtest.h>

#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using kavren::Options;
using kavren::Status;

struct Link {
    const char* data;
    const char* prefix;
    Status status;
    const char* expected; // the URI, or a part of the detail
};

// GS1 Digital Link standard 1.2 examples (uncompressed form), and the rules.
constexpr Link kLinks[] = {
    {"(01)09520123456788", "https://id.gs1.org", Status::Ok, "https://id.gs1.org/01/09520123456788"},
    {"(01)09520123456788(22)2A(10)ABC123(21)12345", "https://id.gs1.org/", Status::Ok,
     "https://id.gs1.org/01/09520123456788/22/2A/10/ABC123/21/12345"},
    // Qualifiers in dlpkey order whatever the data's order; the rest as query.
    {"(17)180426(21)12345(10)ABC1(01)09520123456788", "https://example.com", Status::Ok,
     "https://example.com/01/09520123456788/10/ABC1/21/12345?17=180426"},
    {"<AI01>09520123456788<AI3103>000195<AI15>201231", "https://id.gs1.org", Status::Ok,
     "https://id.gs1.org/01/09520123456788?3103=000195&15=201231"},
    {"(00)106141412345678908", "https://id.gs1.org", Status::Ok, "https://id.gs1.org/00/106141412345678908"},
    {"(414)9520123456788(254)32a/b", "https://id.gs1.org", Status::Ok,
     "https://id.gs1.org/414/9520123456788/254/32a%2Fb"},
    // The second alternative of 01's qualifiers.
    {"(01)09520123456788(235)XYZ", "https://brand.example/dl", Status::Ok,
     "https://brand.example/dl/01/09520123456788/235/XYZ"},
    {"(01)09520123456788(10)A%B&C=D", "https://id.gs1.org", Status::Ok,
     "https://id.gs1.org/01/09520123456788/10/A%25B%26C%3DD"},
    {"(01)09520123456787", "https://id.gs1.org", Status::InvalidText, "check digit"},
    {"(17)261231", "https://id.gs1.org", Status::InvalidText, "primary key"},
    {"(01)09520123456788", "id.gs1.org", Status::InvalidArgument, "https://"},
};

TEST(DigitalLink, Uris)
{
    for (const Link& row : kLinks) {
        SCOPED_TRACE(row.data);
        const kavren::detail::DigitalLinkResult link = kavren::detail::DigitalLinkUri(row.prefix, row.data);
        EXPECT_EQ(link.status, row.status) << link.detail;
        if (row.status == Status::Ok)
            EXPECT_EQ(link.uri, row.expected);
        else
            EXPECT_NE(link.detail.find(row.expected), std::string::npos) << link.detail;
    }
}

std::string WritePgm(const kavren::detail::QrMatrix& m, const std::string& name)
{
    const int scale = 4;
    const int quiet = 4;
    const int side = (m.size + 2 * quiet) * scale;
    std::string image = "P5\n" + std::to_string(side) + " " + std::to_string(side) + "\n255\n";
    for (int py = 0; py < side; ++py) {
        for (int px = 0; px < side; ++px) {
            const int x = px / scale - quiet;
            const int y = py / scale - quiet;
            const bool dark = x >= 0 && y >= 0 && x < m.size && y < m.size &&
                              m.modules[static_cast<std::size_t>(y * m.size + x)];
            image += static_cast<char>(dark ? 0 : 255);
        }
    }
    const std::string path = kt::ScratchPath(name + ".pgm");
    kt::WriteFile(path, image);
    return path;
}

// GS1 element strings as gs1-qr builds them: '%' doubled and GS as '%' in
// alphanumeric segments, GS itself in byte segments; ZXingReader reports
// ]Q3, zbarimg the element strings with GS separators.
struct Gs1Trip {
    const char* bytes; // element strings, GS after variable-length fields
};

constexpr Gs1Trip kGs1Trips[] = {
    {"0109501101530003\x1d"},
    {"01095011015300031726123110ABC123\x1d" "21XYZ"},
    {"10AB%CD\x1d" "21A1B2C3D4E5F6G7H8"},
    {"0109501101530003" "10abc\x1d" "3103000195"},
    // Separators before a separator or a '%': not as "%%" (a literal '%').
    {"10AB\x1d\x1d" "%21CD\x1d%"},
};

TEST(Gs1Qr, ZXingReadsFnc1)
{
    int index = 0;
    for (const Gs1Trip& trip : kGs1Trips) {
        std::string bytes = trip.bytes;
        if (bytes.back() == '\x1d')
            bytes.pop_back();
        SCOPED_TRACE(bytes);
        const kavren::detail::QrBuild build = kavren::detail::BuildQr(Options{}, bytes, false, true);
        ASSERT_TRUE(build) << build.detail;
        const std::string path = WritePgm(build.matrix, "gs1-" + std::to_string(index++));
        const kt::RunResult verbose = kt::RunCommand("ZXingReader -format QRCode '" + path + "'");
        EXPECT_NE(verbose.out.find("]Q3"), std::string::npos) << verbose.out;
        // zbarimg for the bytes: ZXingReader 1.4 drops what follows a "%%".
        EXPECT_EQ(kt::RunCommand("zbarimg -q --raw '" + path + "'").out, bytes + "\n");
    }
}

TEST(Gs1Qr, EncoderTakesBracketsAndChecks)
{
    Options options;
    EXPECT_TRUE(kavren::detail::EncodeGs1Qr(options, "(01)09501101530003(17)261231"));
    options.gs1Check = true;
    const kavren::detail::EncodeResult bad = kavren::detail::EncodeGs1Qr(options, "(01)09501101530004");
    EXPECT_EQ(bad.status, Status::InvalidText);
    EXPECT_EQ(kavren::detail::EncodeGs1Qr(Options{}, "no AI").status, Status::InvalidText);
    options.digitalLink = "https://id.gs1.org";
    EXPECT_TRUE(kavren::detail::EncodeQr(options, "(01)09501101530003"));
}

} // namespace
