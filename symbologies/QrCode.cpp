// QR Code model 2 and Micro QR after ISO/IEC 18004:2015: segments in the
// fewest bits (7.4), Reed-Solomon error correction (7.5), the block structure
// (7.6), module placement (7.7), data masking (7.8) and the format and version
// information (7.9, 7.10).
#include "symbologies/QrCode.h"

#include "symbologies/DigitalLink.h"
#include "symbologies/Gs1Input.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <memory>
#include <span>
#include <string>

namespace kavren::detail {

namespace {

using EcLevel = Options::EcLevel;

constexpr int kMaxVersion = 40;
// Quiet zones in modules on every side, as ISO/IEC 18004 gives them: 4 for
// QR Code, 2 for Micro QR.
constexpr double kQuietZone = 4.0;
constexpr double kMicroQuietZone = 2.0;

// Table 9: error correction codewords per block, by level (L, M, Q, H) and
// version 1..40.
static constexpr std::array<std::array<std::uint8_t, 40>, 4> kEcPerBlock = {{
    {7,  10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
}};

// Table 9: number of error correction blocks, by level and version.
static constexpr std::array<std::array<std::uint8_t, 40>, 4> kBlocks = {{
    {1, 1, 1, 1, 1, 2, 2, 2, 2, 4, 4, 4, 4, 4, 6, 6, 6, 6, 7, 8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {1, 1, 1, 2, 2, 4, 4, 4, 5, 5, 5, 8, 9, 9, 10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {1, 1, 2, 2, 4, 4, 6, 6, 8, 8, 8, 10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {1, 1, 2, 4, 4, 4, 5, 6, 8, 8, 11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
}};

// Micro QR (Table 7 and Table 9): total codewords of M1..M4 and data
// codewords by level (L, M, Q; 0: the level does not exist). M1 and M3 end
// their data with a 4-bit codeword. M1 has error detection only, listed as L.
static constexpr std::array<std::uint8_t, 4> kMicroTotal = {5, 10, 17, 24};
static constexpr std::array<std::array<std::uint8_t, 3>, 4> kMicroData = {{
    {3, 0, 0},
    {5, 4, 0},
    {11, 9, 0},
    {16, 14, 10},
}};

// Segment modes, in the order of the tables below.
enum Mode : std::uint8_t { Numeric = 0, Alnum = 1, Byte = 2, Kanji = 3, ModeCount = 4 };

// Table 2: mode indicators (4 bits in QR Code).
static constexpr std::array<std::uint8_t, 4> kModeIndicator = {0b0001, 0b0010, 0b0100, 0b1000};
constexpr std::uint32_t kEciIndicator = 0b0111;
constexpr std::uint32_t kFnc1FirstIndicator = 0b0101;

// Table 3: character count indicator bits for versions 1-9, 10-26, 27-40 and
// for M1..M4 (0: the mode does not exist there).
static constexpr std::array<std::array<std::uint8_t, 4>, 3> kCountBits = {{
    {10, 9, 8, 8},
    {12, 11, 16, 10},
    {14, 13, 16, 12},
}};
static constexpr std::array<std::array<std::uint8_t, 4>, 4> kMicroCountBits = {{
    {3, 0, 0, 0},
    {4, 3, 0, 0},
    {5, 4, 4, 3},
    {6, 5, 5, 4},
}};

// Table 5: the alphanumeric mode's 45 characters, by value.
constexpr std::string_view kAlnumChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
constexpr char kGroupSeparator = '\x1d';

// One class of symbol sizes with the same character count widths: what the
// segmentation depends on.
struct SizeClass {
    std::array<std::uint8_t, 4> countBits; // 0: mode not available
    int modeBits;                          // mode indicator length
};

// --- Reed-Solomon over GF(256), primitive polynomial x^8+x^4+x^3+x^2+1 (7.5.2).

struct Galois {
    std::array<std::uint8_t, 512> exp{};
    std::array<std::uint8_t, 256> log{};

    constexpr Galois()
    {
        int x = 1;
        for (int i = 0; i < 255; ++i) {
            exp[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(x);
            log[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(i);
            x <<= 1;
            if (x & 0x100)
                x ^= 0x11d;
        }
        for (int i = 255; i < 512; ++i)
            exp[static_cast<std::size_t>(i)] = exp[static_cast<std::size_t>(i - 255)];
    }
};
static constexpr Galois kGf{};

std::uint8_t GfMul(std::uint8_t a, std::uint8_t b)
{
    if (a == 0 || b == 0)
        return 0;
    return kGf.exp[static_cast<std::size_t>(kGf.log[a]) + kGf.log[b]];
}

// Generator polynomial of degree n with roots 2^0 .. 2^(n-1), highest term
// first and implied (coefficients of x^(n-1) .. x^0).
std::vector<std::uint8_t> Generator(int degree)
{
    std::vector<std::uint8_t> poly(static_cast<std::size_t>(degree), 0);
    poly.back() = 1;
    std::uint8_t root = 1;
    for (int i = 0; i < degree; ++i) {
        for (std::size_t j = 0; j < poly.size(); ++j) {
            poly[j] = GfMul(poly[j], root);
            if (j + 1 < poly.size())
                poly[j] ^= poly[j + 1];
        }
        root = GfMul(root, 2);
    }
    return poly;
}

// The generator's coefficients as logarithms, -1 for a zero coefficient.
std::vector<int> GeneratorLogs(int degree)
{
    const std::vector<std::uint8_t> generator = Generator(degree);
    std::vector<int> logs(generator.size());
    for (std::size_t i = 0; i < generator.size(); ++i)
        logs[i] = generator[i] == 0 ? -1 : kGf.log[generator[i]];
    return logs;
}

// The remainder of data(x) x^n divided by the generator (7.5.2).
std::vector<std::uint8_t> EcCodewords(std::span<const std::uint8_t> data, const std::vector<int>& generatorLogs)
{
    std::vector<std::uint8_t> remainder(generatorLogs.size(), 0);
    for (const std::uint8_t byte : data) {
        const std::uint8_t factor = byte ^ remainder.front();
        std::rotate(remainder.begin(), remainder.begin() + 1, remainder.end());
        remainder.back() = 0;
        if (factor == 0)
            continue;
        const int factorLog = kGf.log[factor];
        for (std::size_t i = 0; i < remainder.size(); ++i)
            if (generatorLogs[i] >= 0)
                remainder[i] ^= kGf.exp[static_cast<std::size_t>(generatorLogs[i] + factorLog)];
    }
    return remainder;
}

std::vector<std::uint8_t> EcCodewords(std::span<const std::uint8_t> data, int degree)
{
    return EcCodewords(data, GeneratorLogs(degree));
}

// --- Bit stream.

class CBits {
public:
    void Append(std::uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i)
            m_bits.push_back(((value >> i) & 1U) != 0);
    }
    std::size_t Size() const { return m_bits.size(); }
    bool operator[](std::size_t i) const { return m_bits[i]; }

private:
    std::vector<bool> m_bits;
};

// --- Segmentation (7.4): the fewest bits over the modes, by dynamic
// programming over the data with the position inside a numeric triple or an
// alphanumeric pair as part of the state (their groups cost 10 bits for 3
// digits, 7 for 2, 4 for 1; 11 bits for 2 characters, 6 for 1).

enum State : std::uint8_t { N0, N1, N2, A0, A1, B, K, StateCount };

constexpr Mode StateMode(int state)
{
    return state <= N2 ? Numeric : state <= A1 ? Alnum : state == B ? Byte : Kanji;
}

int AlnumValue(char c, bool fnc1)
{
    if (fnc1 && c == kGroupSeparator)
        return 38; // FNC1 is '%' in alphanumeric segments (7.4.8.1)
    const std::size_t at = kAlnumChars.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// A GS written as '%' right before another '%' pair would read back as a
// literal "%%" (7.4.8.1): such a GS goes into a byte segment instead, where a
// reader takes GS as FNC1 itself. Only data with a separator followed by a
// separator or by '%' (no valid element string) has one.
bool AmbiguousSeparator(std::string_view data, std::size_t i, bool fnc1)
{
    return fnc1 && data[i] == kGroupSeparator && i + 1 < data.size() &&
           (data[i + 1] == '%' || data[i + 1] == kGroupSeparator);
}

// A Shift JIS double-byte character of the JIS X 0208 ranges Kanji mode
// compacts (8140-9FFC, E040-EBBF, 7.4.6).
bool IsKanjiPair(unsigned char hi, unsigned char lo)
{
    if (lo < 0x40 || lo > 0xfc || lo == 0x7f)
        return false;
    if (hi >= 0x81 && hi <= 0x9f)
        return true;
    return hi >= 0xe0 && (hi < 0xeb || (hi == 0xeb && lo <= 0xbf));
}

struct Segment {
    Mode mode;
    std::size_t begin; // bytes of data
    std::size_t end;
};

struct Segmentation {
    std::vector<Segment> segments;
    std::size_t bits = 0; // mode indicators, counts and data; no ECI, FNC1 or terminator
};

// Characters a segment's count field counts for data[begin, end).
std::size_t SegmentCount(const Segment& segment, std::string_view data, bool fnc1)
{
    const std::size_t bytes = segment.end - segment.begin;
    if (segment.mode == Kanji)
        return bytes / 2;
    if (segment.mode == Alnum && fnc1)
        return bytes + static_cast<std::size_t>(
                           std::count(data.begin() + static_cast<std::ptrdiff_t>(segment.begin),
                                      data.begin() + static_cast<std::ptrdiff_t>(segment.end), '%'));
    return bytes;
}

Segmentation Segment_(std::string_view data, const SizeClass& size, bool fnc1, bool kanji)
{
    constexpr std::size_t kInf = std::numeric_limits<std::size_t>::max() / 4;
    constexpr std::uint8_t kEnter = 0x80; // the step began a new segment
    constexpr std::uint8_t kStart = StateCount;
    const std::size_t n = data.size();
    const auto header = [&](Mode mode) { return static_cast<std::size_t>(size.modeBits + size.countBits[mode]); };
    // cost[i][s]: fewest bits for data[0, i) ending in state s; from[i][s] the
    // state before, with kEnter when the last step opened a segment.
    std::vector<std::array<std::size_t, StateCount>> cost(n + 1);
    std::vector<std::array<std::uint8_t, StateCount>> from(n + 1);
    for (auto& row : cost)
        row.fill(kInf);
    const auto relax = [&](std::size_t at, int state, std::size_t value, int previous) {
        if (value < cost[at][static_cast<std::size_t>(state)]) {
            cost[at][static_cast<std::size_t>(state)] = value;
            from[at][static_cast<std::size_t>(state)] = static_cast<std::uint8_t>(previous);
        }
    };
    const auto bestOf = [&](std::size_t at, std::size_t& value) {
        int state = kStart;
        value = at == 0 ? 0 : kInf;
        for (int s = 0; s < StateCount; ++s) {
            if (cost[at][static_cast<std::size_t>(s)] < value) {
                value = cost[at][static_cast<std::size_t>(s)];
                state = s;
            }
        }
        return state;
    };
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t best = 0;
        const int bestState = bestOf(i, best);
        if (best >= kInf)
            continue;
        const auto& here = cost[i];
        const char c = data[i];
        const auto enter = [&](Mode mode) { return best + header(mode); };
        const int entry = bestState | kEnter;
        if (size.countBits[Numeric] && c >= '0' && c <= '9') {
            relax(i + 1, N1, enter(Numeric) + 4, entry);
            relax(i + 1, N1, here[N0] + 4, N0);
            relax(i + 1, N2, here[N1] + 3, N1);
            relax(i + 1, N0, here[N2] + 3, N2);
        }
        if (size.countBits[Alnum] && AlnumValue(c, fnc1) >= 0 && !AmbiguousSeparator(data, i, fnc1)) {
            if (fnc1 && c == '%') { // doubled: two characters
                relax(i + 1, A0, enter(Alnum) + 11, entry);
                relax(i + 1, A0, here[A0] + 11, A0);
                relax(i + 1, A1, here[A1] + 11, A1);
            } else {
                relax(i + 1, A1, enter(Alnum) + 6, entry);
                relax(i + 1, A1, here[A0] + 6, A0);
                relax(i + 1, A0, here[A1] + 5, A1);
            }
        }
        if (size.countBits[Byte]) {
            relax(i + 1, B, enter(Byte) + 8, entry);
            relax(i + 1, B, here[B] + 8, B);
        }
        if (kanji && size.countBits[Kanji] && i + 1 < n &&
            IsKanjiPair(static_cast<unsigned char>(c), static_cast<unsigned char>(data[i + 1]))) {
            relax(i + 2, K, enter(Kanji) + 13, entry);
            relax(i + 2, K, here[K] + 13, K);
        }
    }
    Segmentation result;
    int state = bestOf(n, result.bits);
    if (result.bits >= kInf)
        return result;
    // Walk back: each step one byte (two for Kanji).
    std::size_t at = n;
    std::size_t end = n;
    while (at > 0) {
        const Mode mode = StateMode(state);
        const std::uint8_t previous = from[at][static_cast<std::size_t>(state)];
        at -= mode == Kanji ? 2 : 1;
        if (previous & kEnter) {
            result.segments.push_back({mode, at, end});
            end = at;
        }
        state = previous & ~kEnter;
    }
    std::reverse(result.segments.begin(), result.segments.end());
    return result;
}

void AppendSegment(CBits& bits, const Segment& segment, std::string_view data, const SizeClass& size, bool fnc1)
{
    if (size.modeBits == 4)
        bits.Append(kModeIndicator[segment.mode], 4);
    else if (size.modeBits > 0)
        bits.Append(segment.mode, size.modeBits); // Micro QR: 0 numeric, 1 alnum, 2 byte, 3 Kanji
    bits.Append(static_cast<std::uint32_t>(SegmentCount(segment, data, fnc1)), size.countBits[segment.mode]);
    const std::string_view text = data.substr(segment.begin, segment.end - segment.begin);
    switch (segment.mode) {
    case Numeric:
        for (std::size_t i = 0; i < text.size(); i += 3) {
            const std::size_t digits = std::min<std::size_t>(3, text.size() - i);
            std::uint32_t value = 0;
            for (std::size_t j = 0; j < digits; ++j)
                value = value * 10 + static_cast<std::uint32_t>(text[i + j] - '0');
            bits.Append(value, static_cast<int>(digits * 3 + 1));
        }
        break;
    case Alnum: {
        std::vector<int> values;
        for (const char c : text) {
            values.push_back(AlnumValue(c, fnc1));
            if (fnc1 && c == '%')
                values.push_back(38);
        }
        for (std::size_t i = 0; i < values.size(); i += 2) {
            if (i + 1 < values.size())
                bits.Append(static_cast<std::uint32_t>(values[i] * 45 + values[i + 1]), 11);
            else
                bits.Append(static_cast<std::uint32_t>(values[i]), 6);
        }
        break;
    }
    case Byte:
        for (const char c : text)
            bits.Append(static_cast<unsigned char>(c), 8);
        break;
    case Kanji:
        for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
            std::uint32_t code = static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << 8 |
                                 static_cast<unsigned char>(text[i + 1]);
            code -= code <= 0x9ffc ? 0x8140 : 0xc140;
            bits.Append((code >> 8) * 0xc0 + (code & 0xff), 13);
        }
        break;
    default:
        break;
    }
}

// --- Symbol sizes.

int QrSize(int version) { return 17 + 4 * version; }
int MicroSize(int version) { return 9 + 2 * version; }

int ClassOf(int version) { return version <= 9 ? 0 : version <= 26 ? 1 : 2; }

// Annex E: alignment pattern centres, evenly spaced from 6 to size - 7 with
// an even step (version 32's step of 26 is the exception Table E.1 gives).
std::vector<int> AlignmentCentres(int version)
{
    if (version == 1)
        return {};
    const int count = version / 7 + 2;
    const int last = QrSize(version) - 7;
    const int step = version == 32 ? 26 : (version * 4 + count * 2 + 1) / (count * 2 - 2) * 2;
    std::vector<int> centres(static_cast<std::size_t>(count));
    centres[0] = 6;
    for (int i = count - 1, position = last; i >= 1; --i, position -= step)
        centres[static_cast<std::size_t>(i)] = position;
    return centres;
}

// Modules left for codewords once the function patterns are placed (7.1).
int RawModules(int version)
{
    int modules = (16 * version + 128) * version + 64;
    if (version >= 2) {
        const int count = version / 7 + 2;
        modules -= (25 * count - 10) * count - 55;
        if (version >= 7)
            modules -= 36;
    }
    return modules;
}

int TotalCodewords(int version) { return RawModules(version) / 8; }

int LevelIndex(EcLevel level) { return static_cast<int>(level); }

int DataCodewords(int version, EcLevel level)
{
    const std::size_t v = static_cast<std::size_t>(version - 1);
    const std::size_t l = static_cast<std::size_t>(LevelIndex(level));
    return TotalCodewords(version) - kEcPerBlock[l][v] * kBlocks[l][v];
}

// Micro QR level index: L 0, M 1, Q 2; -1 for a level the version lacks.
int MicroLevel(int version, EcLevel level)
{
    if (version == 1)
        return 0;
    const int index = LevelIndex(level);
    if (index > 2 || kMicroData[static_cast<std::size_t>(version - 1)][static_cast<std::size_t>(index)] == 0)
        return -1;
    return index;
}

int MicroDataBits(int version, int level)
{
    const int codewords = kMicroData[static_cast<std::size_t>(version - 1)][static_cast<std::size_t>(level)];
    return codewords * 8 - ((version == 1 || version == 3) ? 4 : 0);
}

// --- The matrix.

class CMatrix {
public:
    explicit CMatrix(int size)
        : m_size(size), m_dark(static_cast<std::size_t>(size * size), 0),
          m_function(static_cast<std::size_t>(size * size), 0)
    {
    }

    int Size() const { return m_size; }
    bool Dark(int x, int y) const { return m_dark[Index(x, y)] != 0; }
    bool IsFunction(int x, int y) const { return m_function[Index(x, y)] != 0; }
    void SetFunction(int x, int y, bool dark)
    {
        m_dark[Index(x, y)] = dark ? 1 : 0;
        m_function[Index(x, y)] = 1;
    }
    void Set(int x, int y, bool dark) { m_dark[Index(x, y)] = dark ? 1 : 0; }
    // Flips the data modules of row y where `flip` is 1; function modules stay.
    void FlipRowUnlessFunction(int y, const std::uint8_t* flip)
    {
        std::uint8_t* dark = m_dark.data() + Index(0, y);
        const std::uint8_t* function = m_function.data() + Index(0, y);
        for (int x = 0; x < m_size; ++x)
            dark[x] ^= static_cast<std::uint8_t>(flip[x] & (function[x] ^ 1));
    }
    const std::vector<std::uint8_t>& Modules() const { return m_dark; }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * m_size + x); }

    int m_size;
    std::vector<std::uint8_t> m_dark;
    std::vector<std::uint8_t> m_function;
};

// 7.3.2: the 7x7 finder pattern with its centre at (cx, cy) and the light
// separator around it, clipped to the symbol.
void DrawFinder(CMatrix& matrix, int cx, int cy)
{
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            const int x = cx + dx;
            const int y = cy + dy;
            if (x < 0 || y < 0 || x >= matrix.Size() || y >= matrix.Size())
                continue;
            const int ring = std::max(std::abs(dx), std::abs(dy));
            matrix.SetFunction(x, y, ring != 2 && ring != 4);
        }
    }
}

void DrawAlignment(CMatrix& matrix, int cx, int cy)
{
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            matrix.SetFunction(cx + dx, cy + dy, std::max(std::abs(dx), std::abs(dy)) != 1);
}

// BCH codes of the format (15,5; 7.9.1) and version (18,6; 7.10) information.
std::uint32_t Bch(std::uint32_t data, std::uint32_t generator, int generatorDegree)
{
    std::uint32_t value = data << generatorDegree;
    const int top = 31 - __builtin_clz(generator);
    for (int bit = 31; bit >= top; --bit)
        if (value & (1U << bit))
            value ^= generator << (bit - top);
    return data << generatorDegree | value;
}

// 7.9.1: the level's two bits (L 01, M 00, Q 11, H 10) and the mask pattern
// reference, masked with 101010000010010.
std::uint32_t QrFormatBits(EcLevel level, int mask)
{
    static constexpr std::array<std::uint32_t, 4> kLevelBits = {1, 0, 3, 2};
    return Bch(kLevelBits[static_cast<std::size_t>(LevelIndex(level))] << 3 | static_cast<std::uint32_t>(mask),
               0x537, 10) ^
           0x5412;
}

// Micro QR format: the symbol number (Table 13) and the mask, masked with
// 100010001000101.
std::uint32_t MicroFormatBits(int version, int level, int mask)
{
    static constexpr std::array<int, 4> kFirstNumber = {0, 1, 3, 5};
    const int symbolNumber = kFirstNumber[static_cast<std::size_t>(version - 1)] + (version == 1 ? 0 : level);
    return Bch(static_cast<std::uint32_t>(symbolNumber << 2 | mask), 0x537, 10) ^ 0x4445;
}

bool Bit(std::uint32_t value, int bit) { return ((value >> bit) & 1U) != 0; }

// Figure 25: bit 0 is the least significant; the first copy around the upper
// left finder, the second split between the other two, then the dark module.
// `set(x, y, dark)` is called for each of the format modules.
template <class Set>
void ForQrFormat(int size, std::uint32_t bits, Set set)
{
    for (int i = 0; i <= 5; ++i)
        set(8, i, Bit(bits, i));
    set(8, 7, Bit(bits, 6));
    set(8, 8, Bit(bits, 7));
    set(7, 8, Bit(bits, 8));
    for (int i = 9; i < 15; ++i)
        set(14 - i, 8, Bit(bits, i));
    for (int i = 0; i < 8; ++i)
        set(size - 1 - i, 8, Bit(bits, i));
    for (int i = 8; i < 15; ++i)
        set(8, size - 15 + i, Bit(bits, i));
    set(8, size - 8, true);
}

void DrawQrFormat(CMatrix& matrix, std::uint32_t bits)
{
    ForQrFormat(matrix.Size(), bits, [&](int x, int y, bool dark) { matrix.SetFunction(x, y, dark); });
}

void DrawMicroFormat(CMatrix& matrix, std::uint32_t bits)
{
    for (int i = 0; i < 8; ++i)
        matrix.SetFunction(8, i + 1, Bit(bits, i));
    for (int i = 8; i < 15; ++i)
        matrix.SetFunction(15 - i, 8, Bit(bits, i));
}

// 7.10: versions 7 and up, the 18 bits in two 6x3 blocks.
void DrawVersion(CMatrix& matrix, int version)
{
    if (version < 7)
        return;
    const std::uint32_t bits = Bch(static_cast<std::uint32_t>(version), 0x1f25, 12);
    const int size = matrix.Size();
    for (int i = 0; i < 18; ++i) {
        const int a = size - 11 + i % 3;
        const int b = i / 3;
        matrix.SetFunction(a, b, Bit(bits, i));
        matrix.SetFunction(b, a, Bit(bits, i));
    }
}

void DrawQrFunctions(CMatrix& matrix, int version)
{
    const int size = matrix.Size();
    for (int i = 0; i < size; ++i) {
        matrix.SetFunction(6, i, i % 2 == 0);
        matrix.SetFunction(i, 6, i % 2 == 0);
    }
    DrawFinder(matrix, 3, 3);
    DrawFinder(matrix, size - 4, 3);
    DrawFinder(matrix, 3, size - 4);
    const std::vector<int> centres = AlignmentCentres(version);
    const std::size_t count = centres.size();
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = 0; j < count; ++j)
            if (!((i == 0 && j == 0) || (i == 0 && j == count - 1) || (i == count - 1 && j == 0)))
                DrawAlignment(matrix, centres[i], centres[j]);
    DrawQrFormat(matrix, 0); // reserved; drawn for real with the mask
    DrawVersion(matrix, version);
}

void DrawMicroFunctions(CMatrix& matrix)
{
    const int size = matrix.Size();
    for (int i = 0; i < size; ++i) {
        matrix.SetFunction(0, i, i % 2 == 0);
        matrix.SetFunction(i, 0, i % 2 == 0);
    }
    DrawFinder(matrix, 3, 3);
    DrawMicroFormat(matrix, 0);
}

// 7.7.3: codeword bits from the lower right in two-module columns, up and
// down in turn, skipping function modules (and QR's vertical timing column).
void PlaceBits(CMatrix& matrix, const std::vector<std::uint8_t>& bits, bool micro)
{
    const int size = matrix.Size();
    std::size_t next = 0;
    bool upward = true;
    for (int right = size - 1; right >= 1; right -= 2) {
        if (!micro && right == 6)
            right = 5;
        for (int step = 0; step < size; ++step) {
            const int y = upward ? size - 1 - step : step;
            for (int dx = 0; dx < 2; ++dx) {
                const int x = right - dx;
                if (matrix.IsFunction(x, y))
                    continue;
                matrix.Set(x, y, next < bits.size() && bits[next] != 0);
                ++next;
            }
        }
        upward = !upward;
    }
}

// Table 10: the data mask patterns, i the row and j the column.
constexpr bool MaskBit(int mask, int i, int j)
{
    switch (mask) {
    case 0:
        return (i + j) % 2 == 0;
    case 1:
        return i % 2 == 0;
    case 2:
        return j % 3 == 0;
    case 3:
        return (i + j) % 3 == 0;
    case 4:
        return (i / 2 + j / 3) % 2 == 0;
    case 5:
        return (i * j) % 2 + (i * j) % 3 == 0;
    case 6:
        return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default:
        return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
    }
}

// Every pattern repeats after 12 rows and 12 columns (periods 2, 3, 4 and 6):
// one tile of each, so that masking reads a table instead of dividing.
constexpr int kMaskPeriod = 12;
struct MaskTiles {
    std::array<std::array<std::array<std::uint8_t, kMaskPeriod>, kMaskPeriod>, 8> bits{};

    constexpr MaskTiles()
    {
        for (int mask = 0; mask < 8; ++mask)
            for (int i = 0; i < kMaskPeriod; ++i)
                for (int j = 0; j < kMaskPeriod; ++j)
                    bits[static_cast<std::size_t>(mask)][static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] =
                        MaskBit(mask, i, j) ? 1 : 0;
    }
};
static constexpr MaskTiles kMaskTiles{};

// Micro QR's four masks are QR masks 1, 4, 6 and 7 (Table 10).
constexpr std::array<int, 4> kMicroMasks = {1, 4, 6, 7};

void ApplyMask(CMatrix& matrix, int mask)
{
    const int size = matrix.Size();
    const auto& tile = kMaskTiles.bits[static_cast<std::size_t>(mask)];
    // The tile's rows repeated across the symbol, then each row masked by
    // one of them in a loop the compiler can vectorise.
    std::array<std::array<std::uint8_t, 177>, kMaskPeriod> lines;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kMaskPeriod); ++i)
        for (std::size_t x = 0; x < static_cast<std::size_t>(size); ++x)
            lines[i][x] = tile[i][x % kMaskPeriod];
    for (int y = 0; y < size; ++y)
        matrix.FlipRowUnlessFunction(y, lines[static_cast<std::size_t>(y % kMaskPeriod)].data());
}

// One line of the symbol (a row or a column) as bits, module k at bit k +
// kLinePad, with kLinePad light bits before and after it: the light outside
// the symbol that rule 3 counts. Bits: a multiple of 64 that holds the
// line, its padding and rule 3's reach of 7 beyond the pattern's start.
constexpr int kLinePad = 4;
constexpr std::size_t LineBits(int size)
{
    return (static_cast<std::size_t>(size + 2 * kLinePad + 7) + 63) / 64 * 64;
}

// 7.8.3.1, Table 11: the penalty of each of the eight masks over lines of
// bits: the matrix's rows and columns are packed once, with the format
// modules light, and each mask is then a few word operations per line.
template <std::size_t Bits>
class CMaskScorer {
public:
    using CLine = std::bitset<Bits>;

    explicit CMaskScorer(const CMatrix& matrix) : m_size(matrix.Size())
    {
        for (std::size_t y = 0; y < Size(); ++y) {
            for (std::size_t x = 0; x < Size(); ++x) {
                const int ix = static_cast<int>(x);
                const int iy = static_cast<int>(y);
                const bool function = matrix.IsFunction(ix, iy);
                const bool dark = matrix.Dark(ix, iy);
                m_rows[y][x + kLinePad] = dark;
                m_columns[x][y + kLinePad] = dark;
                m_dataRows[y][x + kLinePad] = !function;
                m_dataColumns[x][y + kLinePad] = !function;
            }
        }
        ForQrFormat(m_size, 0, [&](int x, int y, bool) {
            m_rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x + kLinePad)] = false;
            m_columns[static_cast<std::size_t>(x)][static_cast<std::size_t>(y + kLinePad)] = false;
        });
        for (std::size_t k = 0; k < Size(); ++k)
            m_inside[k + kLinePad] = true;
        m_pairs = m_inside & (m_inside >> 1);
    }

    // N1 = 3 (runs of 5 or more, plus one per module beyond 5), N2 = 3 (2x2
    // blocks), N3 = 40 (1:1:3:1:1 with 4 light modules on either side), N4 =
    // 10 (each 5 % of deviation of the dark share from 50 %).
    long Penalty(int mask, std::uint32_t formatBits)
    {
        // The mask along row y and along column x depends on y and x modulo
        // the period only.
        std::array<CLine, kMaskPeriod> rowPattern;
        std::array<CLine, kMaskPeriod> columnPattern;
        const auto& tile = kMaskTiles.bits[static_cast<std::size_t>(mask)];
        for (std::size_t i = 0; i < static_cast<std::size_t>(kMaskPeriod); ++i) {
            CLine row;
            CLine column;
            for (std::size_t k = 0; k < static_cast<std::size_t>(kMaskPeriod); ++k) {
                row[k] = tile[i][k] != 0;
                column[k] = tile[k][i] != 0;
            }
            for (std::size_t shift = kMaskPeriod; shift < Bits; shift *= 2) {
                row |= row << shift;
                column |= column << shift;
            }
            rowPattern[i] = (row << kLinePad) & m_inside;
            columnPattern[i] = (column << kLinePad) & m_inside;
        }
        for (std::size_t k = 0; k < Size(); ++k) {
            m_maskedRows[k] = m_rows[k] ^ (rowPattern[k % kMaskPeriod] & m_dataRows[k]);
            m_maskedColumns[k] = m_columns[k] ^ (columnPattern[k % kMaskPeriod] & m_dataColumns[k]);
        }
        ForQrFormat(m_size, formatBits, [&](int x, int y, bool dark) {
            m_maskedRows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x + kLinePad)] = dark;
            m_maskedColumns[static_cast<std::size_t>(x)][static_cast<std::size_t>(y + kLinePad)] = dark;
        });
        long runs = 0;
        long finders = 0;
        long blocks = 0;
        long dark = 0;
        for (std::size_t k = 0; k < Size(); ++k) {
            const CLine& row = m_maskedRows[k];
            runs += RunPenalty(row) + RunPenalty(m_maskedColumns[k]);
            finders += FinderPenalty(row) + FinderPenalty(m_maskedColumns[k]);
            dark += static_cast<long>(row.count());
            if (k + 1 < Size()) {
                const CLine same = ~(row ^ m_maskedRows[k + 1]);
                blocks += static_cast<long>((same & (same >> 1) & ~(row ^ (row >> 1)) & m_pairs).count());
            }
        }
        const long total = static_cast<long>(m_size) * m_size;
        const long deviation = std::abs(dark * 20 - total * 10); // in 5 % steps x total
        return runs + 3 * blocks + 40 * finders + 10 * (deviation / total);
    }

private:
    std::size_t Size() const { return static_cast<std::size_t>(m_size); }

    // Rule 1 of one line: each run of 5 or more modules of one colour scores
    // 3 plus 1 for each module beyond 5. A run of L >= 5 holds L - 4 windows
    // of 5 equal modules and begins one such window: L - 4 + 2 = 3 + (L - 5).
    long RunPenalty(const CLine& line) const
    {
        const CLine same = ~(line ^ (line >> 1)) & m_pairs; // module k equals module k + 1
        const CLine five = same & (same >> 1) & (same >> 2) & (same >> 3);
        if (five.none())
            return 0;
        const CLine first = five & ~(same << 1);
        return static_cast<long>(five.count() + 2 * first.count());
    }

    // Rule 3 of one line: dark-light-dark-dark-dark-light-dark with four light
    // modules before or after it (outside the symbol counts as light).
    static long FinderPenalty(const CLine& line)
    {
        const CLine pattern = line & ~(line >> 1) & (line >> 2) & (line >> 3) & (line >> 4) & ~(line >> 5) & (line >> 6);
        if (pattern.none())
            return 0;
        const CLine lightFour = ~(line | (line >> 1) | (line >> 2) | (line >> 3));
        return static_cast<long>((pattern & ((lightFour << 4) | (lightFour >> 7))).count());
    }

    int m_size;
    // Unmasked modules (format modules light) and the data modules a mask flips.
    std::array<CLine, 177> m_rows{};
    std::array<CLine, 177> m_columns{};
    std::array<CLine, 177> m_dataRows{};
    std::array<CLine, 177> m_dataColumns{};
    std::array<CLine, 177> m_maskedRows{};
    std::array<CLine, 177> m_maskedColumns{};
    CLine m_inside; // the modules of a line
    CLine m_pairs;  // the modules k that have a module k + 1 in the line
};

// The mask of the lowest penalty (the first of equal ones), for the matrix
// with its function patterns and unmasked data; in the fewest 64-bit words
// per line: one up to version 8, two up to 24.
template <std::size_t Bits>
int BestMaskOf(const CMatrix& matrix, EcLevel level)
{
    auto scorer = std::make_unique<CMaskScorer<Bits>>(matrix);
    int best = 0;
    long bestPenalty = 0;
    for (int mask = 0; mask < 8; ++mask) {
        const long penalty = scorer->Penalty(mask, QrFormatBits(level, mask));
        if (mask == 0 || penalty < bestPenalty) {
            bestPenalty = penalty;
            best = mask;
        }
    }
    return best;
}

int BestMask(const CMatrix& matrix, EcLevel level)
{
    const int size = matrix.Size();
    if (LineBits(size) <= 64)
        return BestMaskOf<64>(matrix, level);
    if (LineBits(size) <= 128)
        return BestMaskOf<128>(matrix, level);
    static_assert(LineBits(177) == 192, "version 40 in three words");
    return BestMaskOf<192>(matrix, level);
}

// 7.8.3.2: Micro QR's evaluation, the dark modules on the right and lower
// edges (timing patterns excluded); the highest score wins.
long MicroScore(const CMatrix& matrix)
{
    const int size = matrix.Size();
    long right = 0;
    long bottom = 0;
    for (int k = 1; k < size; ++k) {
        right += matrix.Dark(size - 1, k);
        bottom += matrix.Dark(k, size - 1);
    }
    return right <= bottom ? right * 16 + bottom : bottom * 16 + right;
}

// --- Codewords.

// 7.4.9, 7.4.10: terminator, zero bits to the codeword boundary, then the pad
// codewords 11101100 and 00010001 in turn (a Micro QR 4-bit last codeword
// padded with zeros). `capacity` in bits.
std::vector<std::uint8_t> Codewords(const CBits& bits, std::size_t capacity, int terminator, bool halfLast)
{
    std::vector<bool> stream;
    stream.reserve(capacity);
    for (std::size_t i = 0; i < bits.Size(); ++i)
        stream.push_back(bits[i]);
    for (int i = 0; i < terminator && stream.size() < capacity; ++i)
        stream.push_back(false);
    while (stream.size() % 8 != 0 && stream.size() < capacity)
        stream.push_back(false);
    std::uint8_t pad = 0xec;
    while (stream.size() + 8 <= capacity) {
        for (int i = 7; i >= 0; --i)
            stream.push_back(((pad >> i) & 1) != 0);
        pad = pad == 0xec ? 0x11 : 0xec;
    }
    while (stream.size() < capacity)
        stream.push_back(false);
    const std::size_t count = (capacity + 7) / 8;
    std::vector<std::uint8_t> codewords(count, 0);
    for (std::size_t i = 0; i < capacity; ++i)
        if (stream[i])
            codewords[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    (void)halfLast; // the 4-bit codeword sits in the high nibble, low nibble 0
    return codewords;
}

// 7.6: the data split into blocks (the shorter first), each with its error
// correction, then interleaved codeword by codeword.
std::vector<std::uint8_t> Interleave(const std::vector<std::uint8_t>& data, int blocks, int ecPerBlock)
{
    const std::size_t blockCount = static_cast<std::size_t>(blocks);
    const std::size_t shortLength = data.size() / blockCount;
    const std::size_t longBlocks = data.size() % blockCount;
    std::vector<std::span<const std::uint8_t>> dataBlocks;
    std::vector<std::vector<std::uint8_t>> ecBlocks;
    const std::vector<int> generator = GeneratorLogs(ecPerBlock);
    std::size_t offset = 0;
    for (std::size_t b = 0; b < blockCount; ++b) {
        const std::size_t length = shortLength + (b >= blockCount - longBlocks ? 1 : 0);
        dataBlocks.emplace_back(data.data() + offset, length);
        ecBlocks.push_back(EcCodewords(dataBlocks.back(), generator));
        offset += length;
    }
    std::vector<std::uint8_t> result;
    result.reserve(data.size() + blockCount * static_cast<std::size_t>(ecPerBlock));
    for (std::size_t i = 0; i <= shortLength; ++i)
        for (std::size_t b = 0; b < blockCount; ++b)
            if (i < dataBlocks[b].size())
                result.push_back(dataBlocks[b][i]);
    for (std::size_t i = 0; i < static_cast<std::size_t>(ecPerBlock); ++i)
        for (std::size_t b = 0; b < blockCount; ++b)
            result.push_back(ecBlocks[b][i]);
    return result;
}

std::string LevelName(EcLevel level) { return std::string(1, "LMQH"[LevelIndex(level)]); }

// The bits before the segments: ECI designator (7.4.2.1: 1, 2 or 3 bytes by
// value) and FNC1 in first position.
void AppendPrefix(CBits& bits, int eci, bool fnc1)
{
    if (eci >= 0) {
        bits.Append(kEciIndicator, 4);
        if (eci < 128)
            bits.Append(static_cast<std::uint32_t>(eci), 8);
        else if (eci < 16384)
            bits.Append(0x8000U | static_cast<std::uint32_t>(eci), 16);
        else
            bits.Append(0xc00000U | static_cast<std::uint32_t>(eci), 24);
    }
    if (fnc1)
        bits.Append(kFnc1FirstIndicator, 4);
}

std::size_t PrefixBits(int eci, bool fnc1)
{
    std::size_t bits = 0;
    if (eci >= 0)
        bits += 4 + (eci < 128 ? 8 : eci < 16384 ? 16 : 24);
    if (fnc1)
        bits += 4;
    return bits;
}

std::size_t CodewordsFor(std::size_t bits) { return (bits + 7) / 8; }

// Segments and matrix for one chosen size.
QrMatrix Finish(const Options& options, std::string_view data, bool micro, bool fnc1, int version, int microLevel,
                const SizeClass& sizeClass, const Segmentation& segmentation)
{
    QrMatrix result;
    result.version = version;
    result.micro = micro;
    result.ecLevel = micro ? static_cast<EcLevel>(microLevel) : options.ecLevel;
    CBits bits;
    AppendPrefix(bits, options.eci, fnc1);
    for (const Segment& segment : segmentation.segments)
        AppendSegment(bits, segment, data, sizeClass, fnc1);
    std::vector<std::uint8_t> placed; // one bit each
    const auto appendCodeword = [&](std::uint8_t codeword, int bitCount) {
        for (int i = 7; i > 7 - bitCount; --i)
            placed.push_back(static_cast<std::uint8_t>((codeword >> i) & 1));
    };
    if (micro) {
        const std::size_t capacity = static_cast<std::size_t>(MicroDataBits(version, microLevel));
        result.dataCodewords = Codewords(bits, capacity, 2 * version + 1, version == 1 || version == 3);
        const int ecCount = kMicroTotal[static_cast<std::size_t>(version - 1)] -
                            static_cast<int>(result.dataCodewords.size());
        const std::vector<std::uint8_t> ec = EcCodewords(result.dataCodewords, ecCount);
        result.codewords = result.dataCodewords;
        result.codewords.insert(result.codewords.end(), ec.begin(), ec.end());
        const bool half = version == 1 || version == 3;
        for (std::size_t i = 0; i < result.dataCodewords.size(); ++i)
            appendCodeword(result.dataCodewords[i], half && i + 1 == result.dataCodewords.size() ? 4 : 8);
        for (const std::uint8_t codeword : ec)
            appendCodeword(codeword, 8);
    } else {
        const std::size_t l = static_cast<std::size_t>(LevelIndex(options.ecLevel));
        const std::size_t v = static_cast<std::size_t>(version - 1);
        const std::size_t capacity = static_cast<std::size_t>(DataCodewords(version, options.ecLevel)) * 8;
        result.dataCodewords = Codewords(bits, capacity, 4, false);
        result.codewords = Interleave(result.dataCodewords, kBlocks[l][v], kEcPerBlock[l][v]);
        for (const std::uint8_t codeword : result.codewords)
            appendCodeword(codeword, 8);
    }
    const int size = micro ? MicroSize(version) : QrSize(version);
    CMatrix matrix(size);
    if (micro)
        DrawMicroFunctions(matrix);
    else
        DrawQrFunctions(matrix, version);
    PlaceBits(matrix, placed, micro);
    const auto drawFormat = [&](CMatrix& target, int mask) {
        if (micro)
            DrawMicroFormat(target, MicroFormatBits(version, microLevel, mask));
        else
            DrawQrFormat(target, QrFormatBits(options.ecLevel, mask));
    };
    CMatrix candidate = matrix; // one copy, refilled for each mask
    const auto masked = [&](int mask) -> const CMatrix& {
        candidate = matrix;
        ApplyMask(candidate, micro ? kMicroMasks[static_cast<std::size_t>(mask)] : mask);
        drawFormat(candidate, mask);
        return candidate;
    };
    int mask = options.mask;
    if (mask < 0 && !micro) {
        mask = BestMask(matrix, options.ecLevel);
    } else if (mask < 0) {
        long bestScore = 0;
        for (int trial = 0; trial < 4; ++trial) {
            // Micro QR: the highest score.
            const long score = MicroScore(masked(trial));
            if (trial == 0 || score > bestScore) {
                bestScore = score;
                mask = trial;
            }
        }
    }
    const CMatrix& final = masked(mask);
    result.mask = mask;
    result.size = size;
    result.modules.assign(final.Modules().begin(), final.Modules().end());
    return result;
}

SizeClass QrClass(int index) { return {kCountBits[static_cast<std::size_t>(index)], 4}; }
SizeClass MicroClass(int version)
{
    return {kMicroCountBits[static_cast<std::size_t>(version - 1)], version - 1};
}

QrBuild Fail(Status status, std::string detail)
{
    QrBuild build;
    build.status = status;
    build.detail = std::move(detail);
    return build;
}

QrBuild BuildModel2(const Options& options, std::string_view data, bool fnc1, bool kanji)
{
    const std::size_t prefix = PrefixBits(options.eci, fnc1);
    const auto fits = [&](int version, const Segmentation& s) {
        return s.bits < std::numeric_limits<std::size_t>::max() / 8 &&
               prefix + s.bits <= static_cast<std::size_t>(DataCodewords(version, options.ecLevel)) * 8;
    };
    if (options.version != 0) {
        const int version = options.version;
        const SizeClass sizeClass = QrClass(ClassOf(version));
        const Segmentation s = Segment_(data, sizeClass, fnc1, kanji);
        if (!fits(version, s))
            return Fail(Status::InvalidSize,
                        "version " + std::to_string(version) + "-" + LevelName(options.ecLevel) + " holds " +
                            std::to_string(DataCodewords(version, options.ecLevel)) +
                            " data codewords; the data needs " + std::to_string(CodewordsFor(prefix + s.bits)));
        QrBuild build;
        build.matrix = Finish(options, data, false, fnc1, version, 0, sizeClass, s);
        return build;
    }
    std::size_t needed = 0;
    for (int index = 0; index < 3; ++index) {
        const int first = index == 0 ? 1 : index == 1 ? 10 : 27;
        const int last = index == 0 ? 9 : index == 1 ? 26 : 40;
        // Data too long for the class's widest version cannot fit in its
        // smaller ones: skip the search when the largest fails.
        const SizeClass sizeClass = QrClass(index);
        const Segmentation s = Segment_(data, sizeClass, fnc1, kanji);
        needed = s.bits >= std::numeric_limits<std::size_t>::max() / 8 ? 0 : CodewordsFor(prefix + s.bits);
        if (!fits(last, s))
            continue;
        for (int version = first; version <= last; ++version) {
            if (fits(version, s)) {
                QrBuild build;
                build.matrix = Finish(options, data, false, fnc1, version, 0, sizeClass, s);
                return build;
            }
        }
    }
    return Fail(Status::InvalidText, "the data needs " + std::to_string(needed) +
                                         " data codewords; QR Code holds at most " +
                                         std::to_string(DataCodewords(kMaxVersion, options.ecLevel)) + " at level " +
                                         LevelName(options.ecLevel));
}

QrBuild BuildMicro(const Options& options, std::string_view data)
{
    if (options.eci >= 0)
        return Fail(Status::InvalidArgument, "Micro QR has no ECI");
    if (options.version < 0 || options.version > 4)
        return Fail(Status::InvalidArgument, "Micro QR versions are M1 to M4");
    if (options.ecLevel == EcLevel::H)
        return Fail(Status::InvalidArgument, "Micro QR has no error correction level H");
    const int first = options.version ? options.version : 1;
    const int last = options.version ? options.version : 4;
    std::size_t needed = 0;
    std::size_t most = 0;
    for (int version = first; version <= last; ++version) {
        // M1 has error detection only: taken when asked for or at level L.
        if (version == 1 && !options.version && options.ecLevel != EcLevel::L)
            continue;
        const int level = MicroLevel(version, options.ecLevel);
        if (level < 0) {
            if (options.version)
                return Fail(Status::InvalidArgument,
                            "Micro QR M" + std::to_string(version) + " has no level " + LevelName(options.ecLevel));
            continue;
        }
        const SizeClass sizeClass = MicroClass(version);
        const Segmentation s = Segment_(data, sizeClass, false, false);
        const std::size_t capacity = static_cast<std::size_t>(MicroDataBits(version, level));
        most = capacity;
        if (s.bits <= capacity) {
            QrBuild build;
            build.matrix = Finish(options, data, true, false, version, level, sizeClass, s);
            return build;
        }
        needed = s.bits >= std::numeric_limits<std::size_t>::max() / 8 ? 0 : s.bits;
    }
    const std::string what = needed ? "the data needs " + std::to_string(needed) + " bits" : "the data has characters";
    if (options.version)
        return Fail(Status::InvalidSize, "M" + std::to_string(options.version) + " holds " + std::to_string(most) +
                                             " data bits; " +
                                             (needed ? what : what + " its modes cannot take"));
    return Fail(Status::InvalidText,
                needed ? what + "; Micro QR holds at most " + std::to_string(most) + " at level " +
                             LevelName(options.ecLevel)
                       : what + " Micro QR cannot take");
}

EncodeResult ToResult(const QrBuild& build, double quiet, const Options& options, std::string_view hri,
                      TextRole hriRole)
{
    EncodeResult result;
    result.status = build.status;
    result.detail = build.detail;
    if (!build)
        return result;
    const QrMatrix& m = build.matrix;
    result.symbol = MatrixSymbol(m.modules, m.size, m.size, options.quietZones ? quiet : 0.0);
    if (options.hri && !hri.empty())
        result.symbol.texts.push_back({std::string(hri), hriRole, {0.0, 0}, {static_cast<double>(m.size), 0}, 2});
    return result;
}

EncodeResult Failed(Status status, std::string detail)
{
    EncodeResult result;
    result.status = status;
    result.detail = std::move(detail);
    return result;
}

Status CheckOptions(const Options& options, bool micro, std::string& detail)
{
    if (options.matrixRows != 0 || options.matrixColumns != 0) {
        detail = std::string(micro ? "Micro QR sizes are M1 to M4" : "QR Code sizes are versions 1 to 40") +
                 ", not " + std::to_string(options.matrixRows) + "x" + std::to_string(options.matrixColumns);
        return Status::InvalidArgument;
    }
    if (options.version < 0 || options.version > kMaxVersion) {
        detail = "QR Code versions are 1 to 40";
        return Status::InvalidArgument;
    }
    if (options.ecLevel < EcLevel::L || options.ecLevel > EcLevel::H) {
        detail = "QR Code error correction levels are L, M, Q and H";
        return Status::InvalidArgument;
    }
    if (options.mask < -1 || options.mask > 7) {
        detail = "QR Code masks are 0 to 7";
        return Status::InvalidArgument;
    }
    if (options.eci < -1 || options.eci > 999999) {
        detail = "ECI designators are 0 to 999999";
        return Status::InvalidArgument;
    }
    return Status::Ok;
}

// ECI 20 declares the data Shift JIS (JIS X 0208 Annex 1): single bytes
// 0x00..0x7F and 0xA1..0xDF, pairs of a lead byte 0x81..0x9F or 0xE0..0xFC
// and a trail byte 0x40..0x7E or 0x80..0xFC. Kanji mode takes the pairs of
// the JIS X 0208 rows; what is no Shift JIS at all no mode can carry as
// declared. Empty when the data is Shift JIS, else why not.
std::string ShiftJisFault(std::string_view data)
{
    const auto lead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc); };
    const auto trail = [](unsigned char c) { return c >= 0x40 && c <= 0xfc && c != 0x7f; };
    const auto hex = [](unsigned char c) {
        static constexpr std::string_view kHex = "0123456789abcdef";
        return std::string("\\x") + kHex[c >> 4] + kHex[c & 0x0f];
    };
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c <= 0x7f || (c >= 0xa1 && c <= 0xdf))
            continue;
        const bool paired = lead(c) && i + 1 < data.size() && trail(static_cast<unsigned char>(data[i + 1]));
        if (!paired)
            return "byte " + hex(c) + " at position " + std::to_string(i + 1) +
                   " is no Shift JIS character, which ECI 20 declares and Kanji mode takes";
        ++i;
    }
    return {};
}

} // namespace

QrBuild BuildQr(const Options& options, std::string_view data, bool micro, bool fnc1)
{
    if (data.empty())
        return Fail(Status::InvalidText, "no data");
    std::string detail;
    if (const Status status = CheckOptions(options, micro, detail); status != Status::Ok)
        return Fail(status, detail);
    if (micro) {
        if (options.mask > 3)
            return Fail(Status::InvalidArgument, "Micro QR masks are 0 to 3");
        return BuildMicro(options, data);
    }
    // Kanji mode only where it reads back as the same bytes: data declared
    // Shift JIS (ECI 20). Elsewhere byte mode's ISO-8859-1 would differ.
    constexpr std::int32_t kShiftJisEci = 20;
    if (options.eci == kShiftJisEci)
        if (std::string fault = ShiftJisFault(data); !fault.empty())
            return Fail(Status::InvalidText, std::move(fault));
    return BuildModel2(options, data, fnc1, options.eci == kShiftJisEci);
}

namespace {

// GS1 data as a GS1 Digital Link URI, in a QR Code without FNC1: a reader
// takes the URI as plain text, not as element strings. The HRI is the
// element strings'.
EncodeResult EncodeDigitalLinkQr(const Options& options, std::string_view data)
{
    const DigitalLinkResult link = DigitalLinkUri(options.digitalLink, data);
    if (!link)
        return Failed(link.status, link.detail);
    return ToResult(BuildQr(options, link.uri, false, false), kQuietZone, options, link.hri,
                    TextRole::Gs1Hri);
}

} // namespace

EncodeResult EncodeQr(const Options& options, std::string_view data)
{
    if (!options.digitalLink.empty())
        return EncodeDigitalLinkQr(options, data);
    return ToResult(BuildQr(options, data, false, false), kQuietZone, options, data, TextRole::Main);
}

EncodeResult EncodeGs1Qr(const Options& options, std::string_view data)
{
    if (!options.digitalLink.empty())
        return EncodeDigitalLinkQr(options, data);
    const Gs1Data parsed = ParseGs1(data, options.gs1Check);
    if (!parsed)
        return Failed(parsed.status, parsed.detail);
    const std::string bytes = Gs1ElementString(parsed.elements, kGroupSeparator);
    return ToResult(BuildQr(options, bytes, false, true), kQuietZone, options, Gs1Hri(parsed.elements),
                    TextRole::Gs1Hri);
}

EncodeResult EncodeMicroQr(const Options& options, std::string_view data)
{
    if (!options.digitalLink.empty())
        return Failed(Status::InvalidArgument,
                      "a GS1 Digital Link URI is drawn as QR Code or Data Matrix, not Micro QR");
    return ToResult(BuildQr(options, data, true, false), kMicroQuietZone, options, data, TextRole::Main);
}

} // namespace kavren::detail
