// CPU time of 10,000 matrix symbols through the library's kavren::Encode
// (data to modules and the symbol's geometry, no drawing) against the peers
// encoding the same data:
//   QR Code, a 40-character URL at level M, against libqrencode's
//     QRcode_encodeString (its own segmentation, case sensitive);
//   GS1 DataMatrix of GTIN, expiry date, batch and serial (44 characters of
//     element strings), against libdmtx's default scheme (ASCII) with FNC1, modules
//     of one pixel and no margin (libdmtx always draws its image).
// Each symbol carries other data (a serial number counts up), and the two
// sides run in turn, ROUNDS times; the medians give the ratio.
//
//   bench_matrix_speed [COUNT] [ROUNDS]     (defaults 10000 and 9)
//
// Prints one line per comparison with kavren_ms, peer_ms (medians of CPU
// milliseconds for COUNT symbols), ratio and the side lengths seen.
#include <kavren/kavren.h>

#include <dmtx.h>
#include <qrencode.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

std::string Serial(int i, int digits)
{
    std::string s = std::to_string(i);
    return std::string(static_cast<std::size_t>(std::max(0, digits - static_cast<int>(s.size()))), '0') + s;
}

// 40 characters: "https://example.com/item/00001234?s=AB7Q".
std::string Url(int i)
{
    return "https://example.com/item/" + Serial(i, 8) + "?s=AB7Q";
}

// GTIN, expiry date, batch and serial; the same element strings for libdmtx,
// FNC1 written as GS.
std::string Gs1Brackets(int i)
{
    return "(01)09501101530003(17)271231(10)AB-12(21)" + Serial(i, 10);
}
std::string Gs1ForDmtx(int i)
{
    return "\x1d" "0109501101530003" "17271231" "10AB-12" "\x1d" "21" + Serial(i, 10);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Sides {
    long kavren = 0; // sum of symbol sides, so the work cannot be left out
    long peer = 0;
};

double KavrenQr(int count, Sides& sides)
{
    kavren::Options options;
    options.symbology = kavren::Symbology::QrCode;
    options.ecLevel = kavren::Options::EcLevel::M;
    const double start = CpuMs();
    for (int i = 0; i < count; ++i) {
        options.data = Url(i);
        sides.kavren += static_cast<long>(kavren::Encode(options).symbol.width);
    }
    return CpuMs() - start;
}

double QrencodeQr(int count, Sides& sides)
{
    const double start = CpuMs();
    for (int i = 0; i < count; ++i) {
        QRcode* code = QRcode_encodeString(Url(i).c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
        sides.peer += code ? code->width : 0;
        QRcode_free(code);
    }
    return CpuMs() - start;
}

double KavrenDm(int count, Sides& sides)
{
    kavren::Options options;
    options.symbology = kavren::Symbology::Gs1DataMatrix;
    const double start = CpuMs();
    for (int i = 0; i < count; ++i) {
        options.data = Gs1Brackets(i);
        sides.kavren += static_cast<long>(kavren::Encode(options).symbol.width);
    }
    return CpuMs() - start;
}

double DmtxDm(int count, Sides& sides)
{
    const double start = CpuMs();
    for (int i = 0; i < count; ++i) {
        std::string data = Gs1ForDmtx(i);
        DmtxEncode* encode = dmtxEncodeCreate();
        dmtxEncodeSetProp(encode, DmtxPropModuleSize, 1);
        dmtxEncodeSetProp(encode, DmtxPropMarginSize, 0);
        dmtxEncodeSetProp(encode, DmtxPropFnc1, 0x1d);
        if (dmtxEncodeDataMatrix(encode, static_cast<int>(data.size()), reinterpret_cast<unsigned char*>(data.data())) ==
            DmtxPass)
            sides.peer += encode->region.symbolCols;
        dmtxEncodeDestroy(&encode);
    }
    return CpuMs() - start;
}

void Compare(const char* name, double (*kavrenSide)(int, Sides&), double (*peerSide)(int, Sides&), int count,
             int rounds)
{
    std::vector<double> a;
    std::vector<double> b;
    Sides sides;
    for (int r = 0; r < rounds; ++r) {
        a.push_back(kavrenSide(count, sides));
        b.push_back(peerSide(count, sides));
    }
    const double ka = Median(a);
    const double kb = Median(b);
    std::printf("%s count=%d rounds=%d kavren_ms=%.1f peer_ms=%.1f ratio=%.3f kavren_side=%.1f peer_side=%.1f\n", name,
                count, rounds, ka, kb, ka / kb, static_cast<double>(sides.kavren) / count / rounds,
                static_cast<double>(sides.peer) / count / rounds);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
    if (count < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: bench_matrix_speed [COUNT] [ROUNDS]\n");
        return 2;
    }
    Compare("qr-M-url40/libqrencode", KavrenQr, QrencodeQr, count, rounds);
    Compare("gs1-datamatrix/libdmtx-default", KavrenDm, DmtxDm, count, rounds);
    return 0;
}
