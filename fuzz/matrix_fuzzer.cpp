// libFuzzer target over the matrix encoders: QR Code, Micro QR, GS1 QR Code,
// Data Matrix and GS1 DataMatrix, with forced versions and sizes, DMRE,
// error correction levels, masks and ECI designators.
//
// Input: four option bytes, then the data bytes.
//   0: the encoder (modulo 5): qr, micro-qr, gs1-qr, datamatrix, gs1-datamatrix
//   1: QR: the version modulo 42 (0 the smallest, 41 out of range);
//      Data Matrix: 0 the smallest size, else the size table's entry n - 1,
//      and past its end a size that does not exist
//   2: bits 0-1 the error correction level; bits 2-5 the mask (0 by the
//      penalty rules, 1-8 masks 0-7, above out of range); bit 6 DMRE; bit 7
//      the GS1 checks
//   3: below 128 no ECI, else an ECI designator from a list of edge values
//
// Beyond the sanitizers, every symbol is checked by rules of the standards
// a reader relies on, written here apart from the encoders:
//   QR Code and Micro QR: the size of the version, the finder patterns with
//   their separators, the timing patterns, the dark module, both copies of the
//   format information equal, a BCH (15,5) codeword with the symbol's level
//   and mask, the version information a BCH (18,6) codeword of the version;
//   and the data codewords read back, segment by segment, as the data, with
//   the terminator and pad codewords after it (ISO/IEC 18004 7.4, 7.9, 7.10).
//   Data Matrix: a size of the size table (DMRE only when allowed), each data
//   region's finder and clock edges, and the data codewords for the chosen
//   size, and for each larger one, read back through the encodation schemes
//   as the data, with the randomised pad codewords after it (ISO/IEC 16022
//   5.2, Annex B). A failure is a known status with a detail.
#include "symbologies/DataMatrix.h"
#include "symbologies/Gs1Input.h"
#include "symbologies/QrCode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using kavren::Options;
using kavren::Status;
namespace detail = kavren::detail;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "matrix check failed: %s\n", what);
    std::abort();
}

void Expect(bool condition, const char* what)
{
    if (!condition)
        Fail(what);
}

// --- The encoded symbol as a module grid.

struct CGrid {
    int width = 0;
    int height = 0;
    std::vector<bool> dark;

    bool At(int x, int y) const { return dark[static_cast<std::size_t>(y * width + x)]; }
};

CGrid GridOf(const detail::EncodedSymbol& symbol)
{
    CGrid grid;
    grid.width = static_cast<int>(symbol.length.modules);
    grid.height = static_cast<int>(symbol.rows.size());
    Expect(symbol.kind == detail::SymbolKind::Matrix && grid.width > 0 && grid.height > 0, "no module matrix");
    grid.dark.assign(static_cast<std::size_t>(grid.width * grid.height), false);
    for (const detail::DarkRect& r : symbol.darks) {
        const int x = static_cast<int>(r.start.modules);
        const int n = static_cast<int>(r.length.modules);
        Expect(r.row >= 0 && r.row < grid.height && x >= 0 && n > 0 && x + n <= grid.width, "a dark run off the matrix");
        for (int i = 0; i < n; ++i)
            grid.dark[static_cast<std::size_t>(r.row * grid.width + x + i)] = true;
    }
    return grid;
}

// --- QR Code.

// The remainder of value * x^degree modulo the generator: zero for a codeword.
std::uint32_t BchRemainder(std::uint32_t codeword, std::uint32_t generator)
{
    int degree = 31;
    while (!((generator >> degree) & 1U))
        --degree;
    for (int bit = 31; bit >= degree; --bit)
        if ((codeword >> bit) & 1U)
            codeword ^= generator << (bit - degree);
    return codeword;
}

void CheckFinder(const std::vector<bool>& m, int size, int left, int top, bool separators)
{
    for (int dy = -1; dy <= 7; ++dy) {
        for (int dx = -1; dx <= 7; ++dx) {
            const int x = left + dx;
            const int y = top + dy;
            if (x < 0 || y < 0 || x >= size || y >= size)
                continue;
            const bool inside = dx >= 0 && dx <= 6 && dy >= 0 && dy <= 6;
            if (!inside && !separators)
                continue;
            const int ring = std::max(std::abs(dx - 3), std::abs(dy - 3));
            Expect(m[static_cast<std::size_t>(y * size + x)] == (inside && ring != 2), "finder pattern or separator");
        }
    }
}

// The bit stream of the data codewords read as segments (7.4): the data it
// carries, or nothing when it breaks a rule.
struct CBitReader {
    const std::vector<std::uint8_t>& bytes;
    std::size_t capacity; // bits
    std::size_t at = 0;

    std::size_t Left() const { return capacity - at; }
    std::uint32_t Read(int n)
    {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++at)
            v = v << 1 | ((bytes[at / 8] >> (7 - at % 8)) & 1U);
        return v;
    }
};

constexpr std::string_view kAlnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

std::optional<std::string> ReadQrData(const detail::QrMatrix& q, bool gs1, int eci)
{
    const bool micro = q.micro;
    const std::size_t capacity = q.dataCodewords.size() * 8 - (micro && (q.version == 1 || q.version == 3) ? 4 : 0);
    CBitReader r{q.dataCodewords, capacity};
    const int modeBits = micro ? q.version - 1 : 4;
    const int terminator = micro ? 2 * q.version + 1 : 4;
    // Character count bits, Table 3: numeric, alphanumeric, byte, Kanji.
    const auto countBits = [&](int mode) {
        if (micro) {
            static constexpr int kMicro[4][4] = {{3, 0, 0, 0}, {4, 3, 0, 0}, {5, 4, 4, 3}, {6, 5, 5, 4}};
            return kMicro[q.version - 1][mode];
        }
        static constexpr int kQr[3][4] = {{10, 9, 8, 8}, {12, 11, 16, 10}, {14, 13, 16, 12}};
        return kQr[q.version <= 9 ? 0 : q.version <= 26 ? 1 : 2][mode];
    };
    std::string out;
    bool first = true;
    bool fnc1 = false; // FNC1 in first position seen
    for (;;) {
        // The terminator, or what is left of it at the end of the capacity.
        const std::size_t rest = std::min<std::size_t>(r.Left(), static_cast<std::size_t>(terminator));
        const std::size_t mark = r.at;
        if (r.Read(static_cast<int>(rest)) == 0)
            break;
        r.at = mark;
        if (r.Left() < static_cast<std::size_t>(modeBits))
            return std::nullopt;
        int mode = 0;
        if (micro) {
            mode = static_cast<int>(r.Read(modeBits));
        } else {
            const std::uint32_t indicator = r.Read(4);
            if (indicator == 0b0111) { // ECI, only first
                if (!first || eci < 0 || r.Left() < 8)
                    return std::nullopt;
                std::uint32_t value = r.Read(8);
                if ((value & 0x80) == 0x80 && (value & 0x40) == 0)
                    value = (value & 0x3f) << 8 | r.Read(8);
                else if ((value & 0xe0) == 0xc0)
                    value = (value & 0x1f) << 16 | r.Read(16);
                if (static_cast<int>(value) != eci)
                    return std::nullopt;
                eci = -1;
                continue;
            }
            if (indicator == 0b0101) { // FNC1 in first position
                if (!gs1 || fnc1 || !out.empty())
                    return std::nullopt;
                fnc1 = true;
                first = false;
                continue;
            }
            static constexpr std::array<int, 9> kModes{-1, 0, 1, -1, 2, -1, -1, -1, 3};
            mode = indicator < kModes.size() ? kModes[indicator] : -1;
            if (mode < 0)
                return std::nullopt;
        }
        first = false;
        if (countBits(mode) == 0 || r.Left() < static_cast<std::size_t>(countBits(mode)))
            return std::nullopt;
        std::uint32_t count = r.Read(countBits(mode));
        const auto need = [&](std::size_t bits) { return r.Left() >= bits; };
        if (mode == 0) {
            for (; count > 0; count -= std::min<std::uint32_t>(count, 3)) {
                const int digits = static_cast<int>(std::min<std::uint32_t>(count, 3));
                if (!need(static_cast<std::size_t>(digits * 3 + 1)))
                    return std::nullopt;
                const std::uint32_t v = r.Read(digits * 3 + 1);
                if (v >= (digits == 3 ? 1000U : digits == 2 ? 100U : 10U))
                    return std::nullopt;
                const std::string text = std::to_string(v + (digits == 3 ? 1000 : digits == 2 ? 100 : 10));
                out += text.substr(1);
            }
        } else if (mode == 1) {
            std::string text;
            for (; count > 0; count -= std::min<std::uint32_t>(count, 2)) {
                const bool pair = count >= 2;
                if (!need(pair ? 11 : 6))
                    return std::nullopt;
                const std::uint32_t v = r.Read(pair ? 11 : 6);
                if (v >= (pair ? 45U * 45U : 45U))
                    return std::nullopt;
                if (pair)
                    text += kAlnum[v / 45];
                text += kAlnum[v % 45];
            }
            // GS1 (7.4.8.1): "%" is FNC1, a GS separator; "%%" a percent sign.
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (fnc1 && text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
                    out += '%', ++i;
                else
                    out += fnc1 && text[i] == '%' ? '\x1d' : text[i];
            }
        } else if (mode == 2) {
            if (!need(8 * static_cast<std::size_t>(count)))
                return std::nullopt;
            for (; count > 0; --count)
                out += static_cast<char>(r.Read(8));
        } else {
            if (!need(13 * static_cast<std::size_t>(count)))
                return std::nullopt;
            for (; count > 0; --count) {
                const std::uint32_t v = r.Read(13);
                std::uint32_t code = (v / 0xc0) << 8 | (v % 0xc0);
                code += code + 0x8140 <= 0x9ffc ? 0x8140 : 0xc140;
                out += static_cast<char>(code >> 8);
                out += static_cast<char>(code & 0xff);
            }
        }
    }
    // Zero bits to the codeword boundary, then 11101100 and 00010001 in turn.
    while (r.Left() > 0 && r.at % 8 != 0)
        if (r.Read(1) != 0)
            return std::nullopt;
    for (std::uint32_t pad = 0xec; r.Left() >= 8; pad ^= 0xec ^ 0x11)
        if (r.Read(8) != pad)
            return std::nullopt;
    if (r.Left() > 0 && r.Read(static_cast<int>(r.Left())) != 0)
        return std::nullopt;
    if (gs1 != fnc1 || eci >= 0)
        return std::nullopt; // the FNC1 or the ECI designator missing
    return out;
}

void CheckQrMatrix(const detail::QrMatrix& q)
{
    const int size = q.size;
    const std::vector<bool>& m = q.modules;
    Expect(m.size() == static_cast<std::size_t>(size * size), "module count");
    const auto at = [&](int x, int y) { return m[static_cast<std::size_t>(y * size + x)]; };
    if (q.micro) {
        Expect(q.version >= 1 && q.version <= 4 && size == 9 + 2 * q.version, "Micro QR size of the version");
        CheckFinder(m, size, 0, 0, true);
        for (int k = 8; k < size; ++k)
            Expect(at(k, 0) == (k % 2 == 0) && at(0, k) == (k % 2 == 0), "Micro QR timing pattern");
        std::uint32_t format = 0;
        for (int i = 1; i <= 8; ++i)
            format = format << 1 | at(i, 8);
        for (int i = 7; i >= 1; --i)
            format = format << 1 | at(8, i);
        format ^= 0x4445;
        Expect(BchRemainder(format, 0x537) == 0, "Micro QR format information BCH");
        // Table 13: the symbol number of version and level, then the mask.
        static constexpr int kFirst[4] = {0, 1, 3, 5};
        const int number = kFirst[q.version - 1] + (q.version == 1 ? 0 : static_cast<int>(q.ecLevel));
        Expect(static_cast<int>(format >> 10) == (number << 2 | q.mask), "Micro QR symbol number and mask");
        return;
    }
    Expect(q.version >= 1 && q.version <= 40 && size == 17 + 4 * q.version, "QR size of the version");
    CheckFinder(m, size, 0, 0, true);
    CheckFinder(m, size, size - 7, 0, true);
    CheckFinder(m, size, 0, size - 7, true);
    for (int k = 8; k < size - 8; ++k)
        Expect(at(k, 6) == (k % 2 == 0) && at(6, k) == (k % 2 == 0), "QR timing pattern");
    Expect(at(8, size - 8), "the dark module");
    // Format information: the first copy around the upper left finder, from
    // its most significant bit; the second below the upper right one and to
    // the right of the lower left one.
    std::uint32_t first = 0;
    for (int x = 0; x <= 8; ++x)
        if (x != 6)
            first = first << 1 | at(x, 8);
    for (int y = 7; y >= 0; --y)
        if (y != 6)
            first = first << 1 | at(8, y);
    std::uint32_t second = 0;
    for (int y = size - 1; y >= size - 7; --y)
        second = second << 1 | at(8, y);
    for (int x = size - 8; x < size; ++x)
        second = second << 1 | at(x, 8);
    Expect(first == second, "the two copies of the format information");
    const std::uint32_t format = first ^ 0x5412;
    Expect(BchRemainder(format, 0x537) == 0, "QR format information BCH");
    static constexpr std::uint32_t kLevelBits[4] = {1, 0, 3, 2}; // L M Q H
    Expect(format >> 10 == (kLevelBits[static_cast<int>(q.ecLevel)] << 3 | static_cast<std::uint32_t>(q.mask)),
           "QR format information level and mask");
    if (q.version >= 7) {
        std::uint32_t lower = 0; // above the lower left finder, bit 17 first
        std::uint32_t upper = 0; // left of the upper right finder
        for (int i = 17; i >= 0; --i) {
            lower = lower << 1 | at(i / 3, size - 11 + i % 3);
            upper = upper << 1 | at(size - 11 + i % 3, i / 3);
        }
        Expect(lower == upper && BchRemainder(lower, 0x1f25) == 0 && static_cast<int>(lower >> 12) == q.version,
               "QR version information");
    }
}

void FuzzQr(const Options& options, std::string_view data, int kind)
{
    const bool micro = kind == 1;
    const bool gs1 = kind == 2;
    const detail::EncodeResult entry = micro ? detail::EncodeMicroQr(options, data)
                                       : gs1 ? detail::EncodeGs1Qr(options, data)
                                             : detail::EncodeQr(options, data);
    std::string bytes(data);
    if (gs1) {
        const detail::Gs1Data parsed = detail::ParseGs1(data, options.gs1Check);
        if (!parsed) {
            Expect(entry.status == parsed.status && !entry.detail.empty(), "GS1 data that does not parse encoded");
            return;
        }
        bytes = detail::Gs1ElementString(parsed.elements, '\x1d');
    }
    const detail::QrBuild build = detail::BuildQr(options, bytes, micro, gs1);
    Expect(build.status == entry.status, "the entry and the builder disagree");
    if (!build) {
        Expect(!build.detail.empty(), "a failure without a detail");
        Expect(build.status == Status::InvalidText || build.status == Status::InvalidSize ||
                   build.status == Status::InvalidArgument,
               "an unexpected status");
        return;
    }
    const detail::QrMatrix& q = build.matrix;
    CheckQrMatrix(q);
    const CGrid grid = GridOf(entry.symbol);
    Expect(grid.width == q.size && grid.height == q.size && grid.dark == q.modules, "the symbol is not the matrix");
    Expect(options.version == 0 || q.version == options.version, "the forced version");
    Expect(options.mask < 0 || q.mask == options.mask, "the forced mask");
    Expect(micro || q.ecLevel == options.ecLevel, "the level");
    const std::optional<std::string> read = ReadQrData(q, gs1, options.eci);
    Expect(read.has_value(), "the data codewords break the segment rules");
    Expect(*read == bytes, "the data codewords do not read back as the data");
}

// --- Data Matrix.

constexpr int kFnc1 = detail::kDataMatrixFnc1;

// The data codewords read through the encodation schemes (16022 5.2): the
// values they carry (bytes, and kFnc1), or nothing when they break a rule.
std::optional<std::vector<int>> ReadDataMatrix(const std::vector<std::uint8_t>& cw)
{
    enum { Ascii, C40, Text, X12, Edifact } scheme = Ascii;
    std::vector<int> out;
    std::size_t i = 0;
    const std::size_t n = cw.size();
    bool upper = false;
    int shift = 0;
    const auto put = [&](int c) {
        out.push_back(upper && c != kFnc1 ? c + 128 : c);
        upper = false;
    };
    while (i < n) {
        if (scheme == Ascii) {
            const int c = cw[i++];
            if (c == 129) { // pad: the rest are randomised pads (Annex B.1)
                for (std::size_t k = i; k < n; ++k) {
                    const int position = static_cast<int>(k) + 1;
                    int v = 129 + (149 * position) % 253 + 1;
                    if (v > 254)
                        v -= 254;
                    if (cw[k] != v)
                        return std::nullopt;
                }
                return upper ? std::nullopt : std::optional(out);
            }
            if (c >= 1 && c <= 128) {
                put(c - 1);
            } else if (c >= 130 && c <= 229) {
                if (upper)
                    return std::nullopt;
                out.push_back('0' + (c - 130) / 10);
                out.push_back('0' + (c - 130) % 10);
            } else if (c == 232) {
                if (upper)
                    return std::nullopt;
                out.push_back(kFnc1);
            } else if (c == 235) {
                if (upper)
                    return std::nullopt;
                upper = true;
            } else if (c == 230 || c == 239 || c == 238 || c == 240) {
                if (upper)
                    return std::nullopt;
                scheme = c == 230 ? C40 : c == 239 ? Text : c == 238 ? X12 : Edifact;
            } else if (c == 231) { // Base 256 (5.2.9), 255-state randomised (Annex B.2)
                if (upper)
                    return std::nullopt;
                const auto next = [&]() {
                    const int position = static_cast<int>(i) + 1;
                    const int v = cw[i++] - ((149 * position) % 255 + 1);
                    return v < 0 ? v + 256 : v;
                };
                if (i >= n)
                    return std::nullopt;
                std::size_t length = static_cast<std::size_t>(next());
                if (length == 0) {
                    length = n - i;
                } else if (length >= 250) {
                    if (i >= n)
                        return std::nullopt;
                    length = 250 * (length - 249) + static_cast<std::size_t>(next());
                }
                if (length > n - i)
                    return std::nullopt;
                for (std::size_t k = 0; k < length; ++k)
                    out.push_back(next());
            } else {
                return std::nullopt; // no other codeword is written
            }
            continue;
        }
        if (scheme == Edifact) {
            // Groups of four 6-bit values in three codewords; 31 unlatches. With
            // two codewords or fewer left the rest is ASCII (5.2.8.2).
            if (n - i <= 2) {
                scheme = Ascii;
                continue;
            }
            const std::uint32_t group = static_cast<std::uint32_t>(cw[i]) << 16 | cw[i + 1] << 8 | cw[i + 2];
            bool unlatched = false;
            for (int k = 0; k < 4 && !unlatched; ++k) {
                const int v = static_cast<int>((group >> (18 - 6 * k)) & 63);
                if (v == 31) {
                    unlatched = true;
                    i += static_cast<std::size_t>((6 * (k + 1) + 7) / 8);
                } else {
                    put(v < 32 ? v + 64 : v);
                }
            }
            if (unlatched)
                scheme = Ascii;
            else
                i += 3;
            continue;
        }
        // C40, Text, X12: two codewords for three values; 254 unlatches, and
        // a single codeword left at the end is ASCII (5.2.5.2, 5.2.7.2).
        if (cw[i] == 254) {
            // A pending shift 1 is the pad of the last triplet.
            if (shift > 1 || upper)
                return std::nullopt;
            ++i;
            scheme = Ascii;
            shift = 0;
            continue;
        }
        if (n - i == 1) {
            scheme = Ascii;
            continue;
        }
        const int v = cw[i] * 256 + cw[i + 1] - 1;
        i += 2;
        if (v < 0 || v >= 1600 * 40)
            return std::nullopt;
        const int values[3] = {v / 1600, v / 40 % 40, v % 40};
        for (const int u : values) {
            if (scheme == X12) {
                if (u <= 2)
                    put(u == 0 ? '\r' : u == 1 ? '*' : '>');
                else
                    put(u == 3 ? ' ' : u <= 13 ? '0' + u - 4 : 'A' + u - 14);
                continue;
            }
            if (shift == 0) {
                if (u <= 2)
                    shift = u + 1;
                else
                    put(u == 3 ? ' ' : u <= 13 ? '0' + u - 4 : (scheme == C40 ? 'A' : 'a') + u - 14);
                continue;
            }
            const int s = shift;
            shift = 0;
            if (s == 1) {
                put(u);
            } else if (s == 2) {
                if (u <= 14)
                    put('!' + u);
                else if (u <= 21)
                    put(':' + u - 15);
                else if (u <= 26)
                    put('[' + u - 22);
                else if (u == 27)
                    put(kFnc1);
                else if (u == 30 && !upper)
                    upper = true;
                else
                    return std::nullopt;
            } else if (scheme == C40) {
                put(96 + u);
            } else {
                put(u == 0 ? '`' : u <= 26 ? 'A' + u - 1 : '{' + u - 27);
            }
        }
    }
    // The end of the symbol: a pending shift may only pad the last triplet.
    if (upper)
        return std::nullopt;
    if (shift > 1)
        return std::nullopt;
    return out;
}

void CheckDataMatrixGrid(const CGrid& g, const detail::DataMatrixSize& size)
{
    const int cellRows = size.regionRows + 2;
    const int cellColumns = size.regionColumns + 2;
    Expect(g.height % cellRows == 0 && g.width % cellColumns == 0, "regions do not tile the symbol");
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) {
            const int r = y % cellRows;
            const int c = x % cellColumns;
            // Finder: solid left and lower edges; clock: alternating upper
            // and right edges, dark where they meet the finder.
            if (c == 0 || r == cellRows - 1)
                Expect(g.At(x, y), "Data Matrix finder edge");
            else if (r == 0)
                Expect(g.At(x, y) == (c % 2 == 0), "Data Matrix upper clock edge");
            else if (c == cellColumns - 1)
                Expect(g.At(x, y) == (r % 2 == 1), "Data Matrix right clock edge");
        }
    }
}

void FuzzDataMatrix(const Options& options, std::string_view data, bool gs1)
{
    const detail::EncodeResult entry =
        gs1 ? detail::EncodeGs1DataMatrix(options, data) : detail::EncodeDataMatrix(options, data);
    if (!entry) {
        Expect(!entry.detail.empty(), "a failure without a detail");
        Expect(entry.status == Status::InvalidText || entry.status == Status::InvalidSize ||
                   entry.status == Status::InvalidArgument,
               "an unexpected status");
        return;
    }
    const CGrid grid = GridOf(entry.symbol);
    const detail::DataMatrixSize* size = detail::FindDataMatrixSize(grid.height, grid.width, options.dmre);
    Expect(size != nullptr, "not a Data Matrix size (or DMRE without it allowed)");
    Expect(options.matrixRows == 0 || (size->rows == options.matrixRows && size->columns == options.matrixColumns),
           "the forced size");
    Expect(options.matrixRows != 0 || options.dmre || size->rows == size->columns, "a rectangle not asked for");
    CheckDataMatrixGrid(grid, *size);
    // The values the symbol carries: the bytes, or FNC1 then the element
    // strings with FNC1 after each of variable length but the last.
    std::vector<std::int32_t> values;
    if (gs1) {
        const detail::Gs1Data parsed = detail::ParseGs1(data, options.gs1Check);
        Expect(bool(parsed), "GS1 data encoded that does not parse");
        values.push_back(kFnc1);
        for (std::size_t e = 0; e < parsed.elements.size(); ++e) {
            for (const char c : parsed.elements[e].ai + parsed.elements[e].value)
                values.push_back(static_cast<unsigned char>(c));
            if (!parsed.elements[e].predefinedLength && e + 1 < parsed.elements.size())
                values.push_back(kFnc1);
        }
    } else {
        for (const char c : data)
            values.push_back(static_cast<unsigned char>(c));
    }
    // The chosen size and the larger ones: each end-of-data rule for each
    // number of codewords left.
    int checked = 0;
    for (const detail::DataMatrixSize& other : detail::DataMatrixSizes()) {
        if (other.dataCodewords < size->dataCodewords || (other.dmre && !options.dmre) || checked >= 4)
            continue;
        const std::int32_t capacity = other.dataCodewords;
        const detail::DataMatrixCodewords encoded = detail::DataMatrixDataCodewords(values, {&capacity, 1});
        Expect(encoded.codewords.size() == static_cast<std::size_t>(capacity), "codewords not padded to the size");
        const std::optional<std::vector<int>> read = ReadDataMatrix(encoded.codewords);
        Expect(read.has_value(), "the codewords break the encodation rules");
        Expect(std::equal(read->begin(), read->end(), values.begin(), values.end()),
               "the codewords do not read back as the data");
        ++checked;
    }
}

constexpr std::array<int, 8> kEcis{0, 3, 20, 26, 127, 128, 16383, 16384};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size < 4)
        return -1;
    Options options;
    const int kind = bytes[0] % 5;
    options.ecLevel = static_cast<Options::EcLevel>(bytes[2] & 3);
    options.mask = ((bytes[2] >> 2) & 15) - 1;
    options.dmre = (bytes[2] & 0x40) != 0;
    options.gs1Check = (bytes[2] & 0x80) != 0;
    options.eci = bytes[3] < 128 ? -1 : kEcis[bytes[3] % kEcis.size()] + (bytes[3] & 0x40 ? 999000 : 0);
    const std::string_view data(reinterpret_cast<const char*>(bytes) + 4, size - 4);
    if (kind <= 2) {
        options.version = bytes[1] % 42;
        FuzzQr(options, data, kind);
    } else {
        const auto sizes = detail::DataMatrixSizes();
        if (bytes[1] > 0 && bytes[1] <= sizes.size()) {
            options.matrixRows = sizes[bytes[1] - 1].rows;
            options.matrixColumns = sizes[bytes[1] - 1].columns;
        } else if (bytes[1] > sizes.size()) {
            options.matrixRows = bytes[1] % 64;
            options.matrixColumns = bytes[1] % 50;
        }
        FuzzDataMatrix(options, data, kind == 4);
    }
    return 0;
}
