// Data Matrix encodation (ISO/IEC 16022:2006 5.2): the fewest codewords by a
// shortest-path search over the encodation states. A state is a position in
// the data and a scheme, at a codeword boundary of that scheme (a whole C40,
// Text or X12 triple, a whole EDIFACT group); edges encode data or latch.
// The end-of-data rules (5.2.5.2, 5.2.7.2, 5.2.8.2) depend on the codewords
// left in the symbol, so they are applied per symbol size to the states near
// the end.
#include "symbologies/DataMatrix.h"

#include "common/DigitText.h"

#include <algorithm>
#include <array>
#include <limits>

namespace kavren::detail {

namespace {

enum Scheme : std::int32_t { Ascii = 0, C40 = 1, Text = 2, X12 = 3, Edifact = 4, Base256Long = 5, kSchemes = 6 };

// Codewords (16022 Table 2).
constexpr std::uint8_t kPad = 129;
constexpr std::uint8_t kDigitPairs = 130;
constexpr std::uint8_t kLatchC40 = 230;
constexpr std::uint8_t kLatchBase256 = 231;
constexpr std::uint8_t kFnc1 = 232;
constexpr std::uint8_t kUpperShift = 235;
constexpr std::uint8_t kLatchX12 = 238;
constexpr std::uint8_t kLatchText = 239;
constexpr std::uint8_t kLatchEdifact = 240;
constexpr std::uint8_t kUnlatch = 254;
constexpr std::array<std::uint8_t, kSchemes> kLatch{0, kLatchC40, kLatchText, kLatchX12, kLatchEdifact, 0};
constexpr std::int32_t kEdifactUnlatch = 31;
// A Base 256 length field of one codeword counts up to 249 (5.2.9).
constexpr std::int32_t kBase256ShortMax = 249;

// The values of one character in C40 or Text (16022 Tables 5 and 6): shift 1
// for controls, shift 2 for punctuation and FNC1, shift 3 for the rest of
// ASCII, and shift 2 with upper shift before the value of c - 128.
std::int32_t TripletValues(std::int32_t c, bool text, std::int32_t* out)
{
    if (c == kDataMatrixFnc1) {
        out[0] = 1;
        out[1] = 27;
        return 2;
    }
    if (c >= 128) {
        out[0] = 1;
        out[1] = 30;
        return 2 + TripletValues(c - 128, text, out + 2);
    }
    if (c == ' ') {
        out[0] = 3;
        return 1;
    }
    if (IsDigit(c)) {
        out[0] = c - '0' + 4;
        return 1;
    }
    const std::int32_t basicFirst = text ? 'a' : 'A';
    const std::int32_t shiftedFirst = text ? 'A' : 'a';
    if (c >= basicFirst && c < basicFirst + 26) {
        out[0] = c - basicFirst + 14;
        return 1;
    }
    out[0] = 0;
    if (c < 32) {
        out[1] = c;
    } else if (c <= '/') {
        out[0] = 1;
        out[1] = c - '!';
    } else if (c <= '@') {
        out[0] = 1;
        out[1] = c - ':' + 15;
    } else if (c <= '_' && c >= '[') {
        out[0] = 1;
        out[1] = c - '[' + 22;
    } else if (c >= shiftedFirst && c < shiftedFirst + 26) {
        out[0] = 2;
        out[1] = c - shiftedFirst + 1;
    } else if (c == '`') {
        out[0] = 2;
        out[1] = 0;
    } else {
        out[0] = 2;
        out[1] = c - '{' + 27;
    }
    return 2;
}

// X12 (16022 Table 9): CR, '*', '>', space, digits, capitals; -1 for others.
std::int32_t X12Value(std::int32_t c)
{
    switch (c) {
    case '\r': return 0;
    case '*': return 1;
    case '>': return 2;
    case ' ': return 3;
    default: break;
    }
    if (IsDigit(c))
        return c - '0' + 4;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 14;
    return -1;
}

// The values of c in a triplet scheme; 0 when the scheme cannot take it.
std::int32_t SchemeValues(Scheme scheme, std::int32_t c, std::int32_t* out)
{
    if (scheme == X12) {
        out[0] = X12Value(c);
        return out[0] < 0 ? 0 : 1;
    }
    return TripletValues(c, scheme == Text, out);
}

bool IsEdifact(std::int32_t c)
{
    return c >= 32 && c <= 94;
}

// EDIFACT values with the unlatch, as whole codewords: 6 bits each.
std::int32_t EdifactBytes(std::int32_t values)
{
    return (values * 6 + 7) / 8;
}

std::int32_t AsciiCodewords(std::int32_t c)
{
    return c >= 128 && c != kDataMatrixFnc1 ? 2 : 1;
}

enum class Edge : std::uint8_t { None, Latch, Unlatch, AsciiOne, AsciiPair, Triplet, EdifactGroup, EdifactEnd, Base256, Base256Byte };

struct Step {
    std::int32_t cost = std::numeric_limits<std::int32_t>::max();
    std::int32_t from = 0; // position of the state before
    Scheme fromScheme = Ascii;
    Edge edge = Edge::None;
};

class CSearch {
public:
    explicit CSearch(std::span<const std::int32_t> data)
        : m_data(data), m_steps((data.size() + 1) * kSchemes)
    {
        At(0, Ascii).cost = 0;
        for (std::int32_t i = 0; i <= Size(); ++i) {
            SwitchSchemes(i);
            if (i < Size())
                Relax(i);
        }
    }

    std::int32_t Size() const { return static_cast<std::int32_t>(m_data.size()); }
    const Step& At(std::int32_t i, Scheme scheme) const { return m_steps[static_cast<std::size_t>(i) * kSchemes + scheme]; }
    std::int32_t Cost(std::int32_t i, Scheme scheme) const { return At(i, scheme).cost; }

    // Codewords of ASCII for data[from, to) (digit pairs); -1 if it has none such.
    std::int32_t AsciiRest(std::int32_t from) const
    {
        std::int32_t count = 0;
        for (std::int32_t i = from; i < Size(); ++count) {
            if (i + 1 < Size() && IsDigit(m_data[i]) && IsDigit(m_data[i + 1])) {
                i += 2;
            } else {
                count += AsciiCodewords(m_data[i]) - 1;
                ++i;
            }
        }
        return count;
    }

    // Triplet values of data[from, end) in the scheme; -1 if one cannot be taken.
    std::int32_t ValuesRest(Scheme scheme, std::int32_t from, std::int32_t* out) const
    {
        std::int32_t count = 0;
        for (std::int32_t i = from; i < Size(); ++i) {
            if (count > 8)
                return -1;
            const std::int32_t n = SchemeValues(scheme, m_data[i], out + count);
            if (n == 0)
                return -1;
            count += n;
        }
        return count;
    }

    std::span<const std::int32_t> Data() const { return m_data; }

private:
    Step& At(std::int32_t i, Scheme scheme) { return m_steps[static_cast<std::size_t>(i) * kSchemes + scheme]; }

    void Offer(std::int32_t to, Scheme scheme, std::int32_t cost, std::int32_t from, Scheme fromScheme, Edge edge)
    {
        Step& step = At(to, scheme);
        // Of equal ASCII paths the later edge wins: digits pair from the start.
        const bool ascii = edge == Edge::AsciiOne || edge == Edge::AsciiPair;
        if (cost < step.cost || (ascii && cost == step.cost && step.edge != Edge::Unlatch))
            step = {cost, from, fromScheme, edge};
    }

    bool Reached(std::int32_t i, Scheme scheme) const { return Cost(i, scheme) != std::numeric_limits<std::int32_t>::max(); }

    // Unlatches to ASCII first, then latches from it: no shortest path
    // switches twice at one position in any other order.
    void SwitchSchemes(std::int32_t i)
    {
        for (Scheme s : {C40, Text, X12, Edifact})
            if (Reached(i, s))
                Offer(i, Ascii, Cost(i, s) + 1, i, s, s == Edifact ? Edge::EdifactEnd : Edge::Unlatch);
        if (Reached(i, Base256Long))
            Offer(i, Ascii, Cost(i, Base256Long), i, Base256Long, Edge::Unlatch);
        // The FNC1 that marks GS1 data is the first codeword, in ASCII.
        if (!Reached(i, Ascii) || (i == 0 && Size() > 0 && m_data[0] == kDataMatrixFnc1))
            return;
        for (Scheme s : {C40, Text, X12, Edifact})
            Offer(i, s, Cost(i, Ascii) + 1, i, Ascii, Edge::Latch);
    }

    void Relax(std::int32_t i)
    {
        if (Reached(i, Ascii))
            RelaxAscii(i);
        for (Scheme s : {C40, Text, X12})
            if (Reached(i, s))
                RelaxTriplet(i, s);
        if (Reached(i, Edifact))
            RelaxEdifact(i);
        if (Reached(i, Base256Long) && m_data[i] != kDataMatrixFnc1)
            Offer(i + 1, Base256Long, Cost(i, Base256Long) + 1, i, Base256Long, Edge::Base256Byte);
    }

    void RelaxAscii(std::int32_t i)
    {
        const std::int32_t cost = Cost(i, Ascii);
        Offer(i + 1, Ascii, cost + AsciiCodewords(m_data[i]), i, Ascii, Edge::AsciiOne);
        if (i + 1 < Size() && IsDigit(m_data[i]) && IsDigit(m_data[i + 1]))
            Offer(i + 2, Ascii, cost + 1, i, Ascii, Edge::AsciiPair);
        // Base 256: latch, length field, the bytes; a segment of 250 bytes
        // or more goes on in its own state (a length field of two codewords).
        for (std::int32_t n = 1; n <= kBase256ShortMax + 1 && i + n <= Size(); ++n) {
            if (m_data[i + n - 1] == kDataMatrixFnc1 || (i == 0 && m_data[0] == kDataMatrixFnc1))
                break;
            if (n <= kBase256ShortMax)
                Offer(i + n, Ascii, cost + 2 + n, i, Ascii, Edge::Base256);
            else
                Offer(i + n, Base256Long, cost + 3 + n, i, Ascii, Edge::Base256);
        }
    }

    // From a triplet boundary to the next: the characters up to a whole
    // number of triplets.
    void RelaxTriplet(std::int32_t i, Scheme scheme)
    {
        std::array<std::int32_t, 8> values{};
        std::int32_t count = 0;
        for (std::int32_t j = i; j < Size(); ++j) {
            const std::int32_t n = SchemeValues(scheme, m_data[j], values.data());
            if (n == 0)
                return;
            count += n;
            if (count % 3 == 0) {
                Offer(j + 1, scheme, Cost(i, scheme) + count / 3 * 2, i, scheme, Edge::Triplet);
                return;
            }
        }
    }

    void RelaxEdifact(std::int32_t i)
    {
        const std::int32_t cost = Cost(i, Edifact);
        for (std::int32_t n = 1; n <= 4 && i + n <= Size(); ++n) {
            if (!IsEdifact(m_data[i + n - 1]))
                return;
            if (n == 4)
                Offer(i + 4, Edifact, cost + 3, i, Edifact, Edge::EdifactGroup);
            else
                Offer(i + n, Ascii, cost + EdifactBytes(n + 1), i, Edifact, Edge::EdifactEnd);
        }
    }

    std::span<const std::int32_t> m_data;
    std::vector<Step> m_steps;
};

// How the encodation ends for one capacity: in a state at `position`, then
// the rest of the data by one of the end-of-data rules.
enum class Ending : std::uint8_t {
    Plain,          // all data encoded; unlatch if the symbol has room
    AsciiNoUnlatch, // C40/Text/X12: one codeword left, the last data in ASCII (5.2.5.2 c, 5.2.7.2)
    TwoValues,      // C40/Text: two codewords left, two values padded by shift 1 (5.2.5.2 b)
    EdifactImplied, // EDIFACT: at most two codewords left, the rest in ASCII (5.2.8.2)
};

struct End {
    std::int32_t position = 0;
    Scheme scheme = Ascii;
    Ending ending = Ending::Plain;
    std::int32_t codewords = std::numeric_limits<std::int32_t>::max();
};

bool IsTriplet(Scheme scheme)
{
    return scheme == C40 || scheme == Text || scheme == X12;
}

// The ending with the fewest codewords that a symbol of `capacity` (0: any)
// can hold.
End BestEnd(const CSearch& search, std::int32_t capacity)
{
    const std::int32_t n = search.Size();
    const auto holds = [&](std::int32_t codewords) { return capacity == 0 || codewords <= capacity; };
    const auto exact = [&](std::int32_t codewords) { return capacity == 0 || codewords == capacity; };
    End best;
    const auto take = [&](End end) {
        if (end.codewords < best.codewords)
            best = end;
    };
    constexpr std::int32_t kUnreached = std::numeric_limits<std::int32_t>::max();
    for (Scheme s : {Ascii, C40, Text, X12}) {
        const std::int32_t cost = search.Cost(n, s);
        if (cost != kUnreached && holds(cost))
            take({n, s, Ending::Plain, cost});
    }
    for (std::int32_t p = std::max(0, n - 4); p <= n; ++p) {
        const std::int32_t rest = search.AsciiRest(p);
        for (Scheme s : {C40, Text, X12}) {
            const std::int32_t cost = search.Cost(p, s);
            if (cost == kUnreached || p == n)
                continue;
            if (rest == 1 && exact(cost + 1))
                take({p, s, Ending::AsciiNoUnlatch, cost + 1});
            std::array<std::int32_t, 16> values{};
            if (s != X12 && search.ValuesRest(s, p, values.data()) == 2 && exact(cost + 2))
                take({p, s, Ending::TwoValues, cost + 2});
        }
        const std::int32_t cost = search.Cost(p, Edifact);
        if (cost == kUnreached || rest > 2 || !holds(cost + rest))
            continue;
        if (capacity == 0 || capacity - cost <= 2)
            take({p, Edifact, Ending::EdifactImplied, cost + rest});
    }
    return best;
}

class CWriter {
public:
    explicit CWriter(std::span<const std::int32_t> data) : m_data(data) {}

    std::vector<std::uint8_t>& Out() { return m_out; }

    void Ascii(std::int32_t from, std::int32_t to)
    {
        if (to - from == 2) {
            m_out.push_back(static_cast<std::uint8_t>(kDigitPairs + (m_data[from] - '0') * 10 + (m_data[from + 1] - '0')));
            return;
        }
        const std::int32_t c = m_data[from];
        if (c == kDataMatrixFnc1) {
            m_out.push_back(kFnc1);
        } else if (c >= 128) {
            m_out.push_back(kUpperShift);
            m_out.push_back(static_cast<std::uint8_t>(c - 128 + 1));
        } else {
            m_out.push_back(static_cast<std::uint8_t>(c + 1));
        }
    }

    // ASCII for data[from, end), digits in pairs.
    void AsciiRest(std::int32_t from)
    {
        const std::int32_t n = static_cast<std::int32_t>(m_data.size());
        while (from < n) {
            const bool pair = from + 1 < n && IsDigit(m_data[from]) && IsDigit(m_data[from + 1]);
            Ascii(from, from + (pair ? 2 : 1));
            from += pair ? 2 : 1;
        }
    }

    void Triplets(Scheme scheme, std::int32_t from, std::int32_t to, bool padShift)
    {
        std::vector<std::int32_t> values;
        std::array<std::int32_t, 8> buffer{};
        for (std::int32_t i = from; i < to; ++i) {
            const std::int32_t n = SchemeValues(scheme, m_data[i], buffer.data());
            values.insert(values.end(), buffer.begin(), buffer.begin() + n);
        }
        if (padShift)
            values.push_back(0);
        for (std::size_t k = 0; k + 2 < values.size(); k += 3) {
            const std::int32_t packed = 1600 * values[k] + 40 * values[k + 1] + values[k + 2] + 1;
            m_out.push_back(static_cast<std::uint8_t>(packed / 256));
            m_out.push_back(static_cast<std::uint8_t>(packed % 256));
        }
    }

    // EDIFACT values of data[from, to), then the unlatch when `unlatch`,
    // packed 6 bits each into codewords, the last filled with zero bits.
    void Edifact(std::int32_t from, std::int32_t to, bool unlatch)
    {
        std::uint32_t bits = 0;
        std::int32_t count = 0;
        const auto put = [&](std::int32_t value) {
            bits = (bits << 6) | static_cast<std::uint32_t>(value & 63);
            count += 6;
            while (count >= 8) {
                count -= 8;
                m_out.push_back(static_cast<std::uint8_t>(bits >> count));
                bits &= (1U << count) - 1;
            }
        };
        for (std::int32_t i = from; i < to; ++i)
            put(m_data[i]);
        if (unlatch)
            put(kEdifactUnlatch);
        if (count > 0)
            m_out.push_back(static_cast<std::uint8_t>(bits << (8 - count)));
    }

    // Base 256 (5.2.9): the latch, the length field and the bytes, the
    // length field and the bytes by the 255-state randomising (Annex B.2).
    void Base256(std::int32_t from, std::int32_t to)
    {
        m_out.push_back(kLatchBase256);
        const std::int32_t length = to - from;
        if (length <= kBase256ShortMax) {
            Randomised255(length);
        } else {
            Randomised255(length / 250 + 249);
            Randomised255(length % 250);
        }
        for (std::int32_t i = from; i < to; ++i)
            Randomised255(m_data[i]);
    }

    // Pads to the capacity: 129 first, then by the 253-state randomising (5.2.3, Annex B.1).
    void Pad(std::int32_t capacity)
    {
        if (static_cast<std::int32_t>(m_out.size()) < capacity)
            m_out.push_back(kPad);
        while (static_cast<std::int32_t>(m_out.size()) < capacity) {
            const std::int32_t position = static_cast<std::int32_t>(m_out.size()) + 1;
            const std::int32_t value = kPad + (149 * position) % 253 + 1;
            m_out.push_back(static_cast<std::uint8_t>(value <= 254 ? value : value - 254));
        }
    }

private:
    void Randomised255(std::int32_t value)
    {
        const std::int32_t position = static_cast<std::int32_t>(m_out.size()) + 1;
        const std::int32_t randomised = value + (149 * position) % 255 + 1;
        m_out.push_back(static_cast<std::uint8_t>(randomised <= 255 ? randomised : randomised - 256));
    }

    std::span<const std::int32_t> m_data;
    std::vector<std::uint8_t> m_out;
};

struct PathStep {
    std::int32_t from;
    std::int32_t to;
    Scheme scheme; // of the state the edge leaves
    Scheme toScheme;
    Edge edge;
};

std::vector<PathStep> PathTo(const CSearch& search, std::int32_t position, Scheme scheme)
{
    std::vector<PathStep> path;
    while (position != 0 || scheme != Ascii) {
        const Step& step = search.At(position, scheme);
        path.push_back({step.from, position, step.fromScheme, scheme, step.edge});
        position = step.from;
        scheme = step.fromScheme;
    }
    std::reverse(path.begin(), path.end());
    return path;
}

void WritePath(CWriter& writer, const std::vector<PathStep>& path)
{
    for (std::size_t k = 0; k < path.size(); ++k) {
        const PathStep& step = path[k];
        switch (step.edge) {
        case Edge::Latch: writer.Out().push_back(kLatch[step.toScheme]); break;
        case Edge::Unlatch:
            if (step.scheme != Base256Long)
                writer.Out().push_back(kUnlatch);
            break;
        case Edge::AsciiOne:
        case Edge::AsciiPair: writer.Ascii(step.from, step.to); break;
        case Edge::Triplet: writer.Triplets(step.scheme, step.from, step.to, false); break;
        case Edge::EdifactGroup: writer.Edifact(step.from, step.to, false); break;
        case Edge::EdifactEnd: writer.Edifact(step.from, step.to, true); break;
        case Edge::Base256: {
            // A long segment goes on byte by byte in its own state.
            std::int32_t to = step.to;
            while (k + 1 < path.size() && path[k + 1].edge == Edge::Base256Byte)
                to = path[++k].to;
            writer.Base256(step.from, to);
            break;
        }
        case Edge::Base256Byte:
        case Edge::None: break;
        }
    }
}

} // namespace

DataMatrixCodewords DataMatrixDataCodewords(std::span<const std::int32_t> data,
                                            std::span<const std::int32_t> capacities)
{
    const CSearch search(data);
    DataMatrixCodewords result;
    result.needed = BestEnd(search, 0).codewords;
    // The fewest codewords fit every capacity from there: each end-of-data
    // rule that needs an exact fit has an ending one codeword longer.
    std::int32_t capacity = 0;
    if (!capacities.empty()) {
        const auto fit = std::find_if(capacities.begin(), capacities.end(),
                                      [&](std::int32_t c) { return c >= result.needed; });
        if (fit == capacities.end())
            return result;
        capacity = *fit;
    }
    const End end = BestEnd(search, capacity);
    CWriter writer(data);
    WritePath(writer, PathTo(search, end.position, end.scheme));
    switch (end.ending) {
    case Ending::Plain:
        if (IsTriplet(end.scheme) && end.codewords < capacity)
            writer.Out().push_back(kUnlatch);
        break;
    case Ending::AsciiNoUnlatch:
    case Ending::EdifactImplied: writer.AsciiRest(end.position); break;
    case Ending::TwoValues: writer.Triplets(end.scheme, end.position, search.Size(), true); break;
    }
    writer.Pad(capacity);
    result.codewords = std::move(writer.Out());
    return result;
}

} // namespace kavren::detail
