// Writes the matrix symbology corpus (bench/matrix-corpus.txt) to standard
// output: mixed inputs of 1 to 1,500 bytes from a seeded generator, so the
// committed file can be made again byte for byte.
//
//   bench_matrix_corpus >bench/matrix-corpus.txt
//
// One input a line: "text " or "gs1 " and the data. In the data a backslash
// is written "\\" and every byte below 32 or above 126 "\xHH"; GS1 data is in
// the bracketed form, "(01)09501101530003(17)261231". No input holds NUL.
// The generator uses std::mt19937's raw output only (the standard fixes it),
// never a distribution (whose results the standard leaves to the library).
#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

class CGenerator {
public:
    explicit CGenerator(std::uint32_t seed) : m_engine(seed) {}

    // 0 .. n - 1 (n small: the modulo bias does not matter here).
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(m_engine() % n); }
    char From(std::string_view set) { return set[Below(static_cast<std::uint32_t>(set.size()))]; }

    // A length from 1 to 1,500, spread evenly over powers of two, so short
    // inputs (where one codeword decides the size) are as many as long ones.
    std::size_t Length()
    {
        static constexpr std::array<std::uint32_t, 12> kBounds{1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 1501};
        const std::uint32_t band = Below(static_cast<std::uint32_t>(kBounds.size() - 1));
        return kBounds[band] + Below(kBounds[band + 1] - kBounds[band]);
    }

private:
    std::mt19937 m_engine;
};

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kLower = "abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kPunctuation = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";

// Character classes the encodation schemes favour, and mixtures of them.
enum class Kind { Digits, Upper, UpperDigits, Lower, X12, Edifact, Sentence, Url, Latin1, Binary, Runs, Alnum, Count };

std::string Characters(CGenerator& g, Kind kind, std::size_t length)
{
    std::string s;
    while (s.size() < length) {
        switch (kind) {
        case Kind::Digits: s += g.From(kDigits); break;
        case Kind::Upper: s += g.From(kUpper); break;
        case Kind::UpperDigits: s += g.Below(3) ? g.From(kUpper) : g.Below(2) ? g.From(kDigits) : ' '; break;
        case Kind::Lower: s += g.Below(6) ? g.From(kLower) : g.Below(3) ? ' ' : g.From(kDigits); break;
        case Kind::X12: s += g.From("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ*> \r"); break;
        case Kind::Edifact: s += static_cast<char>(32 + g.Below(63)); break;
        case Kind::Sentence: {
            static constexpr std::array<std::string_view, 12> kWords{
                "Lot", "batch", "A-17", "shelf", "42", "Expiry:", "2027-03-31", "ref.", "#0815", "(spare)", "qty=12;",
                "Müller"};
            s += kWords[g.Below(kWords.size())];
            s += g.Below(5) ? ' ' : g.From(",.;:!?");
            break;
        }
        case Kind::Url: {
            static constexpr std::array<std::string_view, 6> kParts{"https://", "example.com/", "id/", "01/",
                                                                    "?lot=", "&serial="};
            s += g.Below(3) ? std::string(1, g.Below(2) ? g.From(kLower) : g.From(kDigits))
                            : std::string(kParts[g.Below(kParts.size())]);
            break;
        }
        case Kind::Latin1: s += g.Below(4) ? g.From(kLower) : static_cast<char>(0xa0 + g.Below(96)); break;
        case Kind::Binary: s += static_cast<char>(1 + g.Below(255)); break;
        case Kind::Runs: {
            // Runs of one class at a time: where the scheme changes pay off or do not.
            static constexpr std::array<Kind, 7> kRunKinds{Kind::Digits,  Kind::Upper, Kind::Lower, Kind::X12,
                                                           Kind::Edifact, Kind::Latin1, Kind::Binary};
            const std::size_t run = 1 + g.Below(g.Below(2) ? 6 : 40);
            s += Characters(g, kRunKinds[g.Below(kRunKinds.size())], run);
            break;
        }
        case Kind::Alnum: s += g.From("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:"); break;
        case Kind::Count: break;
        }
    }
    s.resize(length);
    return s;
}

// The GS1 check digit of the digits (mod 10, weights 3 and 1 from the right).
char CheckDigit(std::string_view digits)
{
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::string DigitsOf(CGenerator& g, std::size_t n)
{
    return Characters(g, Kind::Digits, n);
}

std::string WithCheck(CGenerator& g, std::size_t n)
{
    std::string s = DigitsOf(g, n - 1);
    return s + CheckDigit(s);
}

std::string Date(CGenerator& g)
{
    char text[7];
    std::snprintf(text, sizeof text, "%02u%02u%02u", 20 + g.Below(20), 1 + g.Below(12), 1 + g.Below(28));
    return text;
}

// GS1 "character set 82" without the brackets, which the bracketed form
// reads as the next AI.
std::string Cset82(CGenerator& g, std::size_t n)
{
    std::string s;
    while (s.size() < n)
        s += g.Below(3) ? g.From("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")
                        : g.From("abcdefghijklmnopqrstuvwxyz!\"%&'*+,-./:;<=>?_");
    return s;
}

std::string Gs1(CGenerator& g)
{
    std::string s;
    const std::size_t elements = 1 + g.Below(g.Below(4) ? 4 : 12);
    for (std::size_t i = 0; i < elements; ++i) {
        switch (g.Below(12)) {
        case 0: s += "(01)" + WithCheck(g, 14); break;
        case 1: s += "(17)" + Date(g); break;
        case 2: s += "(10)" + Cset82(g, 1 + g.Below(20)); break;
        case 3: s += "(21)" + Cset82(g, 1 + g.Below(20)); break;
        case 4: s += "(00)" + WithCheck(g, 18); break;
        case 5: s += "(3103)" + DigitsOf(g, 6); break;
        case 6: s += "(11)" + Date(g); break;
        case 7: s += "(400)" + Cset82(g, 1 + g.Below(30)); break;
        case 8: s += "(414)" + WithCheck(g, 13); break;
        case 9: s += "(30)" + DigitsOf(g, 1 + g.Below(8)); break;
        case 10: s += "(91)" + Cset82(g, 1 + g.Below(90)); break;
        default: s += "(21)" + DigitsOf(g, 1 + g.Below(20)); break;
        }
    }
    return s;
}

void Write(std::string_view kind, std::string_view data)
{
    std::string line(kind);
    line += ' ';
    for (const char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            line += "\\\\";
        } else if (byte < 32 || byte > 126) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            line += escape;
        } else {
            line += c;
        }
    }
    std::puts(line.c_str());
}

} // namespace

int main()
{
    CGenerator g(20261208);
    // Every kind at the lengths where sizes change most, then random ones.
    for (int k = 0; k < static_cast<int>(Kind::Count); ++k)
        for (const std::size_t length : {1, 2, 3, 1500})
            Write("text", Characters(g, static_cast<Kind>(k), length));
    for (int i = 0; i < 300; ++i)
        Write("text", Characters(g, static_cast<Kind>(g.Below(static_cast<std::uint32_t>(Kind::Count))), g.Length()));
    for (int i = 0; i < 60; ++i)
        Write("gs1", Gs1(g));
    return 0;
}
