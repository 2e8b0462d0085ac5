#include "symbologies/Gs1Syntax.h"

#include "symbologies/Digits.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kavren::detail {

namespace {

#include "Gs1AiTable.inc"

constexpr std::size_t MinAiDigits = 2;
constexpr std::size_t MaxAiDigits = 4;

// GS1 General Specifications, Figures 7.11-1 to 7.11-3: the character sets of
// AI data. '=' pads CSET 64 (base64url) at its end only.
constexpr std::string_view Cset82 = "!\"%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_"
                                    "abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view Cset39 = "#-/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view Cset64 = "-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
constexpr char Base64Pad = '=';
constexpr std::size_t MaxBase64Pad = 2;
// The check character pair of an alphanumeric key (GS1 General Specifications 7.9.5).
constexpr std::string_view Cset32 = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
constexpr std::array<int, 24> CheckPairPrimes = {2,  3,  5,  7,  11, 13, 17, 19, 23, 29, 31, 37,
                                                 41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83, 89};
constexpr int CheckPairModulus = 1021;

// Linters the check leaves alone: they need registries (GS1 company prefixes,
// ISO 3166 and ISO 4217 code lists, coupon and package type code lists), or
// an account number rule (IBAN) beyond what a label printer should judge.
constexpr std::array<std::string_view, 12> UncheckedLinters = {
    "gcppos1", "gcppos2",    "iso3166",        "iso3166999",  "iso3166alpha2", "iso4217",
    "iban",    "couponcode", "couponposoffer", "packagetype", "importeridx",   "mediatype"};

int Number(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

std::string Quoted(std::string_view text)
{
    return '"' + std::string(text) + '"';
}

// One character for a message: 'c' when printable ASCII, else its byte value.
std::string ShowChar(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f)
        return std::string("'") + c + "'";
    char text[16];
    std::snprintf(text, sizeof text, "byte 0x%02X", byte);
    return text;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// A real calendar date; day 00 stands for "end of month" where allowed.
bool IsDate(int year, int month, int day, bool dayZeroAllowed)
{
    constexpr std::array<int, 12> DaysInMonth = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return false;
    if (day == 0)
        return dayZeroAllowed;
    const int days = DaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= days;
}

// YYMMDD: the century follows from the current year (GS1 General Specifications
// 7.12), but every candidate century of a two-digit year agrees on 29 February
// except 2100; the checks treat YY divisible by 4 as a leap year.
std::string LintYymmdd(std::string_view part, bool dayZeroAllowed)
{
    if (part.size() != 6 || !IsDate(2000 + Number(part.substr(0, 2)), Number(part.substr(2, 2)),
                                    Number(part.substr(4, 2)), dayZeroAllowed))
        return std::string(part) + " is not a date";
    return {};
}

std::string LintYymmdd(std::string_view part)
{
    return LintYymmdd(part, false);
}

std::string LintYymmd0(std::string_view part)
{
    return LintYymmdd(part, true);
}

std::string LintYyyymmdd(std::string_view part)
{
    if (part.size() != 8 ||
        !IsDate(Number(part.substr(0, 4)), Number(part.substr(4, 2)), Number(part.substr(6, 2)), false))
        return std::string(part) + " is not a date";
    return {};
}

std::string LintHhmi(std::string_view part)
{
    if (part.size() != 4 || Number(part.substr(0, 2)) > 23 || Number(part.substr(2, 2)) > 59)
        return std::string(part) + " is not a time";
    return {};
}

std::string LintHh(std::string_view part)
{
    return Number(part) > 23 ? std::string(part) + " is not an hour" : std::string();
}

std::string LintMinuteOrSecond(std::string_view part)
{
    return Number(part) > 59 ? std::string(part) + " is not a minute or second" : std::string();
}

std::string LintCsum(std::string_view part)
{
    if (part.empty())
        return "no check digit";
    const int computed = Gs1CheckDigit(part.substr(0, part.size() - 1));
    if (part.back() - '0' == computed)
        return {};
    return "check digit is " + std::to_string(computed) + ", not " + part.back();
}

std::string LintCsumAlpha(std::string_view part)
{
    if (part.size() < 2 || part.size() - 2 > CheckPairPrimes.size())
        return std::string(part) + " has no room for its check characters";
    const std::size_t count = part.size() - 2;
    int sum = 0;
    // Weights: increasing primes from the right.
    for (std::size_t i = 0; i < count; ++i)
        sum += static_cast<int>(Cset82.find(part[i])) * CheckPairPrimes[count - 1 - i];
    sum %= CheckPairModulus;
    const std::string pair{Cset32[static_cast<std::size_t>(sum) >> 5],
                           Cset32[static_cast<std::size_t>(sum) & 31]};
    if (part.substr(count) == pair)
        return {};
    return "check characters are " + pair + ", not " + std::string(part.substr(count));
}

std::string LintYesNo(std::string_view part)
{
    return part == "0" || part == "1" ? std::string() : std::string(part) + " is not 0 or 1";
}

std::string LintZero(std::string_view part)
{
    return part == "0" ? std::string() : std::string(part) + " is not 0";
}

std::string LintNonZero(std::string_view part)
{
    return Number(part) != 0 ? std::string() : std::string(part) + " is zero";
}

std::string LintWinding(std::string_view part)
{
    return part == "0" || part == "1" || part == "9" ? std::string()
                                                     : std::string(part) + " is not 0, 1 or 9";
}

std::string LintIso5218(std::string_view part)
{
    return part == "0" || part == "1" || part == "2" || part == "9"
               ? std::string()
               : std::string(part) + " is not 0, 1, 2 or 9";
}

// NNMM: piece NN of MM pieces, 1 <= NN <= MM.
std::string LintPieceOfTotal(std::string_view part)
{
    const int piece = Number(part.substr(0, 2));
    const int total = Number(part.substr(2));
    if (part.size() != 4 || piece == 0 || piece > total)
        return std::string(part) + " is not a piece number and a total";
    return {};
}

std::string LintHyphen(std::string_view part)
{
    return part == "-" ? std::string() : std::string(part) + " is not '-'";
}

std::string LintNoZeroPrefix(std::string_view part)
{
    return part.size() > 1 && part[0] == '0' ? std::string(part) + " starts with 0" : std::string();
}

std::string LintHasNonDigit(std::string_view part)
{
    return IsDigitText(part) ? std::string(part) + " has only digits" : std::string();
}

// Percent-encoding: '%' always starts a two-digit hexadecimal escape.
std::string LintPcenc(std::string_view part)
{
    auto isHex = [](char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); };
    for (std::size_t i = 0; i < part.size(); ++i)
        if (part[i] == '%' && (i + 2 >= part.size() || !isHex(part[i + 1]) || !isHex(part[i + 2])))
            return Quoted(part) + " has a '%' without two hexadecimal digits";
    return {};
}

// Degrees + 90 (latitude) or + 180 (longitude), in units of 10^-7 degree.
std::string LintCoordinate(std::string_view part, long long maximum, const char* what)
{
    long long value = 0;
    for (char c : part)
        value = value * 10 + (c - '0');
    return value > maximum ? std::string(part) + " is not a " + what : std::string();
}

std::string LintLatitude(std::string_view part)
{
    return LintCoordinate(part, 1800000000LL, "latitude");
}

std::string LintLongitude(std::string_view part)
{
    return LintCoordinate(part, 3600000000LL, "longitude");
}

// "n/m": item n of a sequence of m, single digits, 1 <= n <= m.
std::string LintPosInSeqSlash(std::string_view part)
{
    if (part.size() != 3 || part[1] != '/' || !IsDigit(part[0]) || !IsDigit(part[2]) || part[0] == '0' ||
        part[0] > part[2])
        return Quoted(part) + " is not a position in a sequence";
    return {};
}

struct Linter {
    std::string_view name;
    std::string (*check)(std::string_view part); // the rule that failed, or ""
};

constexpr std::array<Linter, 22> Linters = {{
    {"csum", LintCsum},
    {"csumalpha", LintCsumAlpha},
    {"yymmdd", LintYymmdd},
    {"yymmd0", LintYymmd0},
    {"yyyymmdd", LintYyyymmdd},
    {"hhmi", LintHhmi},
    {"hh", LintHh},
    {"mi", LintMinuteOrSecond},
    {"ss", LintMinuteOrSecond},
    {"yesno", LintYesNo},
    {"zero", LintZero},
    {"nonzero", LintNonZero},
    {"winding", LintWinding},
    {"iso5218", LintIso5218},
    {"pieceoftotal", LintPieceOfTotal},
    {"hyphen", LintHyphen},
    {"nozeroprefix", LintNoZeroPrefix},
    {"hasnondigit", LintHasNonDigit},
    {"pcenc", LintPcenc},
    {"latitude", LintLatitude},
    {"longitude", LintLongitude},
    {"posinseqslash", LintPosInSeqSlash},
}};

const Linter* FindLinter(std::string_view name)
{
    for (const Linter& linter : Linters)
        if (linter.name == name)
            return &linter;
    return nullptr;
}

std::string AiPrefix(std::string_view ai)
{
    return "AI (" + std::string(ai) + "): ";
}

// The first character of part outside the component's set, with its 1-based
// position in the element's data; "" when all are in it.
std::string CheckCharacters(char type, std::string_view part, std::size_t offset)
{
    std::size_t padding = 0;
    for (std::size_t i = 0; i < part.size(); ++i) {
        const char c = part[i];
        bool ok = false;
        const char* set = "";
        switch (type) {
        case 'N':
            ok = IsDigit(c);
            set = "is not a digit";
            break;
        case 'X':
            ok = Cset82.find(c) != std::string_view::npos;
            set = "is not in the GS1 82-character set";
            break;
        case 'Y':
            ok = Cset39.find(c) != std::string_view::npos;
            set = "is not in the GS1 39-character set";
            break;
        default: // 'Z'
            if (c == Base64Pad && i + MaxBase64Pad >= part.size()) {
                ++padding;
                ok = true;
            } else {
                ok = padding == 0 && Cset64.find(c) != std::string_view::npos;
            }
            set = "is not in the GS1 64-character set (base64url)";
            break;
        }
        if (!ok)
            return ShowChar(c) + " at position " + std::to_string(offset + i + 1) + " " + set;
    }
    return {};
}

std::string LengthProblem(const Gs1Ai& entry, std::size_t length)
{
    return std::to_string(length) + (length == 1 ? " character" : " characters") + ", the format is " +
           std::string(entry.format);
}

std::size_t PredefinedLength(const Gs1Ai& entry)
{
    std::size_t length = 0;
    for (std::size_t i = 0; i < entry.componentCount; ++i)
        length += entry.components[i].maxLength;
    return length;
}

std::string ShowBytes(std::string_view bytes)
{
    std::string text;
    for (char c : bytes)
        text += static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f ? c : '?';
    return Quoted(text);
}

// GS1 General Specifications, Figure 5.10.1-2 reserves these prefixes for
// future predefined-length AIs; the dictionary lists no AI of them.
constexpr std::array<int, 4> ReservedPredefinedPrefixes = {4, 14, 18, 19};

constexpr int AiPrefixOf(std::string_view ai)
{
    return (ai[0] - '0') * 10 + (ai[1] - '0');
}

// Predefined length by the first two digits of the AI.
constexpr std::array<bool, 100> PredefinedPrefixes = [] {
    std::array<bool, 100> predefined{};
    for (const Gs1Ai& entry : Gs1AiTable)
        if (entry.predefinedLength)
            predefined[static_cast<std::size_t>(AiPrefixOf(entry.first))] = true;
    for (const int prefix : ReservedPredefinedPrefixes)
        predefined[static_cast<std::size_t>(prefix)] = true;
    return predefined;
}();
// The FNC1 rule reads the prefix alone: the dictionary must flag every AI of a prefix alike.
static_assert(std::all_of(Gs1AiTable.begin(), Gs1AiTable.end(), [](const Gs1Ai& entry) {
    return entry.predefinedLength == PredefinedPrefixes[static_cast<std::size_t>(AiPrefixOf(entry.first))];
}));

} // namespace

std::span<const Gs1Ai> Gs1AiEntries()
{
    return Gs1AiTable;
}

bool Gs1PredefinedLengthPrefix(int prefix)
{
    return prefix >= 0 && prefix < static_cast<int>(PredefinedPrefixes.size()) &&
           PredefinedPrefixes[static_cast<std::size_t>(prefix)];
}

const Gs1Ai* Gs1FindAi(std::string_view ai)
{
    if (ai.size() < MinAiDigits || ai.size() > MaxAiDigits || !IsDigitText(ai))
        return nullptr;
    // Same-length digit strings compare as their numbers do.
    for (const Gs1Ai& entry : Gs1AiTable)
        if (entry.first.size() == ai.size() && entry.first <= ai && ai <= entry.last)
            return &entry;
    return nullptr;
}

std::span<const std::string_view> Gs1UncheckedLinters()
{
    return UncheckedLinters;
}

bool Gs1IsKnownLinter(std::string_view name)
{
    return FindLinter(name) != nullptr ||
           std::find(UncheckedLinters.begin(), UncheckedLinters.end(), name) != UncheckedLinters.end();
}

std::string Gs1CheckTypedDigit(std::string_view ai, std::string_view digits)
{
    const std::string problem = LintCsum(digits);
    return problem.empty() ? problem : AiPrefix(ai) + problem;
}

std::string Gs1CheckElement(std::string_view ai, std::string_view data)
{
    const Gs1Ai* entry = Gs1FindAi(ai);
    if (entry == nullptr)
        return AiPrefix(ai) + "unknown application identifier";

    // The components consume the data from the left; optional ones may be left
    // out once it is used up.
    std::array<std::string_view, 5> parts{};
    std::size_t used = 0;
    std::size_t partCount = 0;
    for (; partCount < entry->componentCount; ++partCount) {
        const Gs1Component& component = entry->components[partCount];
        const std::size_t remaining = data.size() - used;
        if (remaining == 0 && component.optional)
            break;
        if (remaining < component.minLength)
            return AiPrefix(ai) + LengthProblem(*entry, data.size());
        const std::size_t take = std::min<std::size_t>(remaining, component.maxLength);
        parts[partCount] = data.substr(used, take);
        used += take;
    }
    if (used != data.size())
        return AiPrefix(ai) + LengthProblem(*entry, data.size());

    std::size_t offset = 0;
    for (std::size_t i = 0; i < partCount; ++i) {
        if (std::string problem = CheckCharacters(entry->components[i].type, parts[i], offset);
            !problem.empty())
            return AiPrefix(ai) + problem;
        offset += parts[i].size();
    }
    for (std::size_t i = 0; i < partCount; ++i) {
        std::string_view linters = entry->components[i].linters;
        while (!linters.empty()) {
            const std::size_t comma = std::min(linters.find(','), linters.size());
            if (const Linter* linter = FindLinter(linters.substr(0, comma)); linter != nullptr)
                if (std::string problem = linter->check(parts[i]); !problem.empty())
                    return AiPrefix(ai) + problem;
            linters.remove_prefix(std::min(comma + 1, linters.size()));
        }
    }
    return {};
}

std::string Gs1CheckElementStrings(std::string_view bytes, char fnc1, std::span<const Gs1Mark> marks)
{
    if (bytes.empty() || bytes[0] != fnc1)
        return "GS1: the data does not start with FNC1";

    // Runs of element strings: one from each marked AI, and one of whatever
    // comes before the first mark.
    struct Run {
        std::size_t begin;
        std::size_t aiDigits; // of the marked AI, 0 when unmarked
    };
    std::vector<Run> runs;
    if (marks.empty() || marks.front().offset > 1)
        runs.push_back({1, 0});
    for (const Gs1Mark& mark : marks)
        runs.push_back({mark.offset, mark.digits});

    for (std::size_t r = 0; r < runs.size(); ++r) {
        const std::size_t end = r + 1 < runs.size() ? runs[r + 1].begin : bytes.size();
        std::size_t p = runs[r].begin;
        bool marked = runs[r].aiDigits > 0;
        while (p < end) {
            if (bytes[p] == fnc1)
                return "GS1: FNC1 where an application identifier is expected";
            std::string_view ai;
            if (marked) {
                ai = bytes.substr(p, runs[r].aiDigits);
                if (Gs1FindAi(ai) == nullptr)
                    return AiPrefix(ai) + "unknown application identifier";
                marked = false;
            } else {
                for (std::size_t digits = MinAiDigits; digits <= MaxAiDigits && p + digits <= end; ++digits)
                    if (Gs1FindAi(bytes.substr(p, digits)) != nullptr) {
                        ai = bytes.substr(p, digits);
                        break;
                    }
                if (ai.empty())
                    return "GS1: no known application identifier at " +
                           ShowBytes(bytes.substr(p, std::min(MaxAiDigits, end - p)));
            }
            const Gs1Ai& entry = *Gs1FindAi(ai);
            const std::size_t dataBegin = p + ai.size();
            const std::size_t separator = std::min(bytes.find(fnc1, dataBegin), end);
            std::size_t dataEnd = separator;
            if (entry.predefinedLength)
                dataEnd = std::min(dataBegin + PredefinedLength(entry), separator);
            if (std::string problem = Gs1CheckElement(ai, bytes.substr(dataBegin, dataEnd - dataBegin));
                !problem.empty())
                return problem;
            p = dataEnd;
            if (p < end && bytes[p] == fnc1)
                ++p; // the separator; harmless after a predefined length
            else if (p == end && !entry.predefinedLength && r + 1 < runs.size())
                return AiPrefix(ai) + "no FNC1 between its data and AI (" +
                       std::string(bytes.substr(runs[r + 1].begin, runs[r + 1].aiDigits)) + ")";
        }
    }
    return {};
}

} // namespace kavren::detail
