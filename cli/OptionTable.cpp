#include "cli/OptionTable.h"

#include "cli/RemoveOnSignal.h"
#include "common/DigitText.h"
#include "symbologies/Symbologies.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

// The library's internals that the program shares.
using namespace kavren::detail;

namespace {

using enum ValueKind;

// Column of the usage text where the descriptions start.
constexpr std::size_t HelpColumn = 20;

// Above 0: the smallest positive double, so "x > 0 and finite" is one range.
constexpr double AboveZero = std::numeric_limits<double>::denorm_min();

// Appends a word to a list, after the separator when the list has words. (In
// place: a word prefixed by a new string makes GCC 12 warn of overlap.)
void Append(std::string& list, std::string_view separator, std::string_view word)
{
    if (!list.empty())
        list += separator;
    list += word;
}

// New options are appended at the end: a long-name abbreviation takes the
// first row that fits (--t is tcolor), so rows before keep their meaning.
// clang-format off
constexpr std::array Table{
    OptionSpec{'h', "help", None, {}, {}, nullptr, nullptr,
               "Display this usage information."},
    OptionSpec{'x', "xsize", Integer, {1, INT32_MAX}, &RunOptions::width, nullptr, "320",
               "Barcode image width.\nExample: -x 250"},
    OptionSpec{'y', "ysize", Integer, {1, INT32_MAX}, &RunOptions::height, nullptr, "90",
               "Barcode image height.\nExample: -y 100"},
    OptionSpec{'n', "xdim", Real, {AboveZero, DBL_MAX}, &RunOptions::xDimension, nullptr, "3",
               "X-Dimension.\nExample: -n 3"},
    OptionSpec{'d', "data", Text, {}, &RunOptions::data, nullptr, "Hello World",
               "Set the data that is to be encoded in the barcode.\nExample: -d 1234567890Data"},
    OptionSpec{'t', "btype", Integer, {0, kLastSymbology}, &RunOptions::symbology, nullptr, "19",
               "Barcode type. Possible Values: 0..21\nExample: -f 7"},
    OptionSpec{'o', "orient", Integer, {0, 270, 90}, &RunOptions::orientation, nullptr, "90",
               "Set the orientation. Possible Values: 0, 90, 180, 270\nExample: -o 90"},
    OptionSpec{'b', "bcolor", Colour, {}, &RunOptions::background, nullptr, "ffff00",
               "Background color. Possible Values: 0x000000..0xffffff\n"
               "Example: -b ffff00, means yellow color in RGB"},
    OptionSpec{'r', "fcolor", Colour, {}, &RunOptions::barColour, nullptr, "000080",
               "Foreground color. Possible Values: 0x000000..0xffffff\nExample: -r 000000, means black color"},
    OptionSpec{'e', "tcolor", Colour, {}, &RunOptions::textColour, nullptr, "0000ff",
               "Text color. Possible Values: 0x000000..0xffffff\nExample: -e 0000ff means blue color"},
    OptionSpec{'q', "qzone", Switch, {}, &RunOptions::quietZones, nullptr, "0",
               "Show quiet zones. Possible Values: 0 or 1\nExample: -q 1"},
    OptionSpec{'g', "balign", Integer, {0, 2}, &RunOptions::barcodeAlign, nullptr, "0",
               "Barcode alignment. Possible Values: 0..2\nExample: -g 2"},
    OptionSpec{'l', "talign", Integer, {0, 6}, &RunOptions::textAlign, nullptr, "5",
               "Text alignment. Possible Values: 0..6\nExample: -l 0"},
    OptionSpec{'u', "guarg", Switch, {}, &RunOptions::showGuards, nullptr, "0",
               "Show EAN/UPC guards. Possible Values: 0 or 1\nExample: -u 1"},
    OptionSpec{'s', "text", Switch, {}, &RunOptions::showText, nullptr, "0",
               "Show text. Possible Values: 0 or 1\nExample: -s 1"},
    OptionSpec{'p', "tdown", Switch, {}, &RunOptions::textBelow, nullptr, "0",
               "Show text above or below. Possible Values: 0(below) or 1\nExample: -p 1"},
    OptionSpec{'z', "stst", Switch, {}, &RunOptions::showStartStop, nullptr, "1",
               "Show start/stop chars. Possible Values: 0 or 1\nExample: -z 1"},
    OptionSpec{'c', "schk", Switch, {}, &RunOptions::showCheckDigit, nullptr, "0",
               "Show check digit. Possible Values: 0 or 1\nExample: -c 1"},
    OptionSpec{'k', "cchk", Switch, {}, &RunOptions::calcCheckDigit, nullptr, "0",
               "Calculate check digit. Possible Values: 0 or 1\nExample: -k 1"},
    // Not listed in the usage text.
    OptionSpec{'f', "fean", Switch, {}, &RunOptions::eanTextFlush, nullptr, "1", nullptr},
    OptionSpec{'v', "ntxt", Switch, {}, &RunOptions::convertNonPrinting, nullptr, "0",
               "Convert non printing to text. Possible Values: 0 or 1\nExample: -v 1"},
    // 4 selects no code set (the run then fails): accepted, never offered.
    OptionSpec{'a', "c128", Integer, {0, 4}, &RunOptions::code128Set, "0 1 2 3", "1",
               "Code 128 charset. Possible Values: 0..3\nExample: -a 0"},
    // 2 and above, as the usage text promises: below 2 a reader cannot tell
    // wide elements from narrow ones (every two-width standard asks for 2..3).
    // Held as a float, so above FLT_MAX it is ignored too.
    OptionSpec{'i', "w2n", Real, {kavren::kMinWideToNarrow, FLT_MAX}, &RunOptions::wideToNarrow, nullptr, "3.2",
               "Wide to narrow ratio. Possible Values: 2..\nExample: -i 2.5"},
    // 100 % or more would remove the narrow bars altogether.
    OptionSpec{'j', "bred", Integer, {-kavren::kMaxBarReduction, kavren::kMaxBarReduction}, &RunOptions::barReduction, nullptr, "30",
               "Bar width reduction. Possible Values: -99..99\nExample: -j 0"},
    OptionSpec{'m', "fh", Integer, {1, INT32_MAX}, &RunOptions::fontHeight, nullptr, "20",
               "Font Height.\nExample: -m 14"},
    // Options with a long name only: their help lines follow today's usage text.
    OptionSpec{VersionOption, "version", None, {}, {}, nullptr, nullptr,
               "Print the version and exit."},
    OptionSpec{Gs1CheckOption, "gs1-check", Flag, {}, &RunOptions::gs1Check, nullptr, nullptr,
               "Check GS1 data (types 12, 15, 16) against the GS1 syntax\n"
               "instead of correcting it; a failure names the rule."},
    // Read by the run itself (cli/Batch.h): no field of the library's options.
    OptionSpec{BatchOption, "batch", Text, {}, {}, nullptr, "labels.txt",
               "One barcode for each line of the file ('-': standard input).\n"
               "A line NAME<TAB>DATA names its file; otherwise a run of #\n"
               "in filename is the line number (else -N before the extension).\n"
               "Example: --batch labels.txt label-####.png"},
    OptionSpec{JobsOption, "jobs", Integer, {1, CRemoveOnSignal::MostPending}, {}, nullptr, "2",
               "Barcodes of a batch made at once. Default: processor cores\nExample: --jobs 4"},
    // Without it the file name decides: .svg and .eps (any case), else PNG.
    OptionSpec{FormatOption, "format", Word, {}, &RunOptions::format, "png svg eps", "svg",
               "Output format, instead of the file name's extension.\n"
               "Possible Values: png, svg, eps\nExample: --format svg"},
    OptionSpec{DpiOption, "dpi", Integer, {1, kavren::kMaxDpi}, &RunOptions::dpi, nullptr, "300",
               "Resolution in dots per inch (default 96); the PNG records it.\n"
               "Possible Values: 1..100000\nExample: --dpi 600"},
    OptionSpec{UnitOption, "unit", Word, {}, &RunOptions::unit, "px mm in mil", "mm",
               "Unit of -n, -x and -y. Possible Values: px, mm, in, mil\n"
               "Example: --unit mm -n 0.33"},
    OptionSpec{TransparentOption, "transparent", Flag, {}, &RunOptions::transparent, nullptr, nullptr,
               "Transparent background."},
    OptionSpec{FontOption, "font", Text, {}, &RunOptions::font, nullptr, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
               "TrueType/OpenType font file for the text.\n"
               "Example: --font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
    // Read by Interleaved 2 of 5 and ITF-14; the other symbologies draw no bearers.
    OptionSpec{BearerOption, "bearer", Word, {}, &RunOptions::bearer, "none bars box", "box",
               "ITF-14 and Interleaved 2 of 5 bearer bars. Possible Values: none, bars, box\n"
               "Example: --bearer box"},
    OptionSpec{BearerWidthOption, "bearer-width", Integer, {1, kavren::kMaxBearerWidth}, &RunOptions::bearerWidth, nullptr, "8",
               "Bearer bar width in modules. Possible Values: 1..100\nExample: --bearer-width 5"},
    // Read by the run itself (cli/Driver.cpp): a warning ends it as an error.
    OptionSpec{StrictOption, "strict", Flag, {}, &RunOptions::strict, nullptr, nullptr,
               "Every warning is an error instead (status 1, or 6 for the data)."},
    OptionSpec{MonoOption, "mono", Flag, {}, &RunOptions::mono, nullptr, nullptr,
               "Two colours only: text without anti-aliasing, PNG at 1 bit per pixel."},
    OptionSpec{CompliantOption, "compliant", Flag, {}, &RunOptions::compliant, nullptr, nullptr,
               "Quiet zones, text and bar heights as the GS1 and ISO/IEC\n"
               "rules draw them; a -y given keeps its height."},
    // The matrix symbologies' options (types 22 to 26); the others ignore them.
    OptionSpec{SizeOption, "size", Size, {}, {}, nullptr, "16x16",
               "Matrix symbol size instead of the smallest that holds the data:\n"
               "QR Code version 1..40, Micro QR M1..M4, Data Matrix ROWSxCOLUMNS.\n"
               "Example: --size 16x16"},
    OptionSpec{DmreOption, "dmre", Flag, {}, &RunOptions::dmre, nullptr, nullptr,
               "Data Matrix may take the rectangular extension sizes (DMRE)."},
    OptionSpec{HriOption, "hri", Flag, {}, &RunOptions::hri, nullptr, nullptr,
               "Matrix symbols: the data as text under the symbol."},
    OptionSpec{EcOption, "ec", Word, {}, &RunOptions::ecLevel, "l m q h", "q",
               "QR Code error correction. Possible Values: L, M, Q, H (default M)\n"
               "Example: --ec Q"},
    OptionSpec{MaskOption, "mask", Integer, {0, 7}, &RunOptions::mask, nullptr, "3",
               "QR Code data mask instead of the best by the penalty rules.\n"
               "Possible Values: 0..7 (Micro QR 0..3)\nExample: --mask 2"},
    OptionSpec{EciOption, "eci", Integer, {0, 999999}, &RunOptions::eci, nullptr, "26",
               "QR Code ECI designator before the data (26: UTF-8, 20: Shift JIS).\n"
               "Possible Values: 0..999999\nExample: --eci 26"},
    OptionSpec{DigitalLinkOption, "digital-link", Text, {}, &RunOptions::digitalLink, nullptr,
               "https://id.gs1.org",
               "GS1 data as a GS1 Digital Link URI at this prefix, in a QR Code\n"
               "(or the type given: qr, datamatrix).\n"
               "Example: --digital-link https://id.gs1.org"},
    // Read by GS1 DataBar Expanded Stacked (type 39); 0, not given: 4.
    OptionSpec{SegmentsOption, "segments", Integer, {2, 22, 2}, &RunOptions::segments, nullptr, "6",
               "GS1 DataBar Expanded Stacked symbol characters per row (default 4).\n"
               "Possible Values: 2..22, even\nExample: --segments 6"},
};
// clang-format on

// The type of the field a member pointer names; void for none.
template <typename M> struct FieldType {
    using Type = void;
};
template <typename T> struct FieldType<T RunOptions::*> {
    using Type = T;
};

template <typename Test> constexpr bool FieldIs(const OptionField& field, Test test)
{
    return std::visit(
        [&](auto member) { return test(std::type_identity<typename FieldType<decltype(member)>::Type>{}); },
        field);
}

// A row's value kind and field type go together; the run reads the values
// of --batch and --jobs itself.
constexpr bool FieldFitsKind(const OptionSpec& o)
{
    if (o.id == BatchOption || o.id == JobsOption)
        return std::holds_alternative<std::monostate>(o.field) && o.kind != None;
    return FieldIs(o.field, [&]<typename T>(std::type_identity<T>) {
        switch (o.kind) {
        case None: return std::is_void_v<T>;
        case Integer: return std::is_same_v<T, std::int32_t> || std::is_enum_v<T>;
        case Real: return std::is_floating_point_v<T>;
        case Switch:
        case Flag: return std::is_same_v<T, bool>;
        case Colour: return std::is_same_v<T, kavren::Rgb>;
        case Text: return std::is_same_v<T, std::string>;
        case Word: return std::is_enum_v<T>;
        case Size: return std::is_void_v<T>;
        }
        return false;
    });
}

constexpr bool TableIsSound()
{
    for (std::size_t i = 0; i < Table.size(); ++i) {
        const OptionSpec& o = Table[i];
        if (!FieldFitsKind(o) || !o.longName || TakesValue(o.kind) != (o.sample != nullptr))
            return false;
        if (o.kind == Word && o.values == nullptr)
            return false;
        if (o.HasLetter() && (o.id == '?' || o.id == ':' || o.id <= ' ' || o.id > '~'))
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (Table[j].id == o.id || std::string_view(Table[j].longName) == o.longName)
                return false;
    }
    return true;
}
static_assert(TableIsSound(), "an option row's kind, field, id or name does not fit");

constexpr std::size_t ShortStringLength()
{
    std::size_t length = 0;
    for (const OptionSpec& o : Table)
        if (o.HasLetter())
            length += TakesValue(o.kind) ? 2 : 1;
    return length;
}

// "hx:y:...": each letter, with a colon when the option takes a value.
constexpr auto MakeShortString()
{
    std::array<char, ShortStringLength() + 1> s{};
    std::size_t at = 0;
    for (const OptionSpec& o : Table) {
        if (!o.HasLetter())
            continue;
        s[at++] = o.Letter();
        if (TakesValue(o.kind))
            s[at++] = ':';
    }
    return s;
}
constexpr auto ShortString = MakeShortString();

constexpr auto MakeLongOptions()
{
    std::array<LongOption, Table.size() + 1> longs{};
    for (std::size_t i = 0; i < Table.size(); ++i)
        longs[i] = {Table[i].longName, TakesValue(Table[i].kind) ? 1 : 0, nullptr, Table[i].id};
    longs[Table.size()] = {nullptr, 0, nullptr, 0};
    return longs;
}
constexpr auto LongOptions = MakeLongOptions();

// Characters as the C locale classifies them, whatever the process locale:
// a host program's locale must not change how an option reads.
constexpr bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr char ToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr int HexDigitValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A decimal number with optional fraction and exponent at the start of the
// text; unreadable text reads as 0. Only decimal notation counts, so "0x10"
// reads as 0 and "nan" or "inf" as 0. The decimal point is '.' whatever the
// process locale says; a value beyond the double range reads as 0. `end`
// gets the first character not read (the text itself when nothing was).
double ReadReal(const char* text, const char** end)
{
    *end = text;
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    const char* start = *p == '+' ? p + 1 : p; // from_chars takes no plus sign
    if (*p == '-' || *p == '+')
        ++p;
    bool digits = false;
    for (; IsDigit(*p); ++p)
        digits = true;
    if (*p == '.') {
        for (++p; IsDigit(*p); ++p)
            digits = true;
    }
    if (!digits)
        return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '-' || *q == '+')
            ++q;
        if (IsDigit(*q)) {
            for (p = q; IsDigit(*p); ++p) {
            }
        }
    }
    double value = 0.0;
    if (std::from_chars(start, p, value).ec != std::errc{})
        return 0.0;
    *end = p;
    return value;
}

// ReadInteger, with the first character not read in `end` (the text itself
// when no digit was read).
std::int32_t ReadIntegerUpTo(const char* text, const char** end)
{
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    const char* digits = p;
    std::int64_t value = 0;
    bool saturated = false;
    for (; IsDigit(*p); ++p) {
        if (!saturated)
            value = value * 10 + (*p - '0');
        saturated = saturated || value > INT32_MAX;
    }
    *end = p == digits ? text : p;
    if (saturated)
        return negative ? INT32_MIN : INT32_MAX;
    return static_cast<std::int32_t>(negative ? -value : value);
}

// The place of text among the blank-separated words, letter case aside; -1
// when it is none of them.
std::int32_t WordNumber(const char* words, const char* text)
{
    const std::string_view value(text);
    std::int32_t number = 0;
    for (std::string_view rest(words); !rest.empty(); ++number) {
        const std::size_t blank = rest.find(' ');
        const std::string_view word = rest.substr(0, blank);
        if (word.size() == value.size() && std::equal(word.begin(), word.end(), value.begin(),
                                                      [](char a, char b) { return a == ToLower(b); }))
            return number;
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    return -1;
}

// Stores the value in the row's field; the table's static check makes the
// types meet (a real may go to a float field: its range keeps it in one; an
// accepted integer names one of an enumeration's choices).
template <typename V> void Store(const OptionField& field, RunOptions& options, V value)
{
    std::visit(
        [&](auto member) {
            if constexpr (!std::is_same_v<decltype(member), std::monostate>) {
                using T = std::remove_reference_t<decltype(options.*member)>;
                if constexpr (std::is_same_v<T, V> ||
                              (std::is_floating_point_v<T> && std::is_floating_point_v<V>) ||
                              (std::is_enum_v<T> && std::is_same_v<V, std::int32_t>))
                    options.*member = static_cast<T>(value);
                else if constexpr (std::is_same_v<T, std::string> && std::is_same_v<V, const char*>)
                    options.*member = value;
            }
        },
        field);
}

} // namespace

// Leading white space, an optional sign, then decimal digits up to the first
// other character; no digits read as 0. Saturates at the int32 range.
std::int32_t ReadInteger(const char* text)
{
    const char* end = nullptr;
    return ReadIntegerUpTo(text, &end);
}

const char* const KavrenOptionString = ShortString.data();

bool ValueRange::Accepts(double value) const
{
    if (!(value >= low && value <= high))
        return false;
    return step <= 1 || std::fmod(value - low, step) == 0.0;
}

std::span<const OptionSpec> OptionTable()
{
    return Table;
}

const OptionSpec* FindOption(int id)
{
    for (const OptionSpec& o : Table)
        if (o.id == id)
            return &o;
    return nullptr;
}

const LongOption* KavrenLongOptions()
{
    return LongOptions.data();
}

namespace {

// The option as the warnings name it: its letter, else its long name.
std::string OptionName(const OptionSpec& o)
{
    return o.HasLetter() ? std::string("-") + o.Letter() : std::string("--") + o.longName;
}

// The value text as the warnings quote it: as typed, '' when empty.
std::string Quoted(const char* text)
{
    return *text ? std::string(text) : std::string("''");
}

std::string Number(double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : std::string("?");
}

std::string SymbologyName(std::int32_t number)
{
    const SymbologyRow* row = FindSymbology(number);
    return row ? std::string(row->name) : std::to_string(number);
}

// The blank-separated word at a place of the list; empty past its end.
std::string_view WordAt(std::string_view words, std::int32_t number)
{
    for (; number > 0 && !words.empty(); --number)
        words.remove_prefix(std::min(words.find(' '), words.size() - 1) + 1);
    return number == 0 ? words.substr(0, words.find(' ')) : std::string_view();
}

// The value the row's field holds, as a warning tells what was kept.
std::string FieldText(const OptionSpec& o, const RunOptions& options)
{
    // -1 is "not given" for the mask and the ECI designator, no number of theirs.
    if ((o.id == MaskOption && options.mask < 0) || (o.id == EciOption && options.eci < 0))
        return o.id == MaskOption ? "automatic" : "none";
    return std::visit(
        [&](auto member) -> std::string {
            if constexpr (std::is_same_v<decltype(member), std::monostate>) {
                return {};
            } else {
                using T = std::remove_cvref_t<decltype(options.*member)>;
                const T& value = options.*member;
                if constexpr (std::is_same_v<T, kavren::Symbology>) {
                    return SymbologyName(static_cast<std::int32_t>(value));
                } else if constexpr (std::is_enum_v<T>) {
                    const auto number = static_cast<std::int32_t>(value);
                    if (o.kind != Word)
                        return std::to_string(number);
                    return std::string(WordAt(o.values, number)); // none for --format's "from the name"
                } else if constexpr (std::is_arithmetic_v<T>) {
                    return Number(static_cast<double>(value));
                } else {
                    return {};
                }
            }
        },
        o.field);
}

// The values an Integer or Real row accepts, as the warnings state them.
std::string RangeText(const OptionSpec& o)
{
    const ValueRange& r = o.range;
    if (r.step > 1) {
        std::string values;
        for (double v = r.low; v <= r.high; v += r.step)
            Append(values, ", ", Number(v));
        return values;
    }
    if (r.high >= INT32_MAX)
        return r.low == AboveZero ? "above 0" : Number(r.low) + " and above";
    return Number(r.low) + ".." + Number(r.high);
}

// How a number was read from the text: the whole text, part of it, or none.
std::string ReadingWarning(const OptionSpec& o, const char* text, const char* end, const std::string& read)
{
    if (end == text)
        return OptionName(o) + " " + Quoted(text) + " is not a number; read as " + read;
    if (*end != '\0')
        return OptionName(o) + " " + Quoted(text) + " read as " + read;
    return {};
}

std::string IntegerOption(const OptionSpec& o, const char* text, RunOptions& options)
{
    const char* end = nullptr;
    const std::int32_t n = ReadIntegerUpTo(text, &end);
    const bool symbology = std::holds_alternative<kavren::Symbology RunOptions::*>(o.field);
    if (!o.range.Accepts(n)) {
        const std::string why = symbology     ? " is not a symbology (" + RangeText(o) + ")"
                                : end == text ? " is not a number"
                                              : " is out of range (" + RangeText(o) + ")";
        return OptionName(o) + " " + Quoted(text) + why + "; " + FieldText(o, options) + " kept";
    }
    Store(o.field, options, n);
    if (symbology && *end != '\0')
        return OptionName(o) + " " + Quoted(text) + " is no symbology name; read as " + std::to_string(n) +
               " (" + SymbologyName(n) + ")";
    return ReadingWarning(o, text, end, std::to_string(n));
}

std::string RealOption(const OptionSpec& o, const char* text, RunOptions& options)
{
    const char* end = nullptr;
    const double x = ReadReal(text, &end);
    if (!o.range.Accepts(x))
        return OptionName(o) + " " + Quoted(text) +
               (end == text ? " is not a number" : " is out of range (" + RangeText(o) + ")") + "; " +
               FieldText(o, options) + " kept";
    Store(o.field, options, x);
    return ReadingWarning(o, text, end, Number(x));
}

// The forced matrix symbol size as --size writes it.
std::string MatrixSizeText(const RunOptions& o)
{
    if (o.matrixRows > 0 || o.matrixColumns > 0)
        return std::to_string(o.matrixRows) + "x" + std::to_string(o.matrixColumns);
    return o.version > 0 ? std::to_string(o.version) : "the smallest";
}

// A positive number of at most four decimal digits and nothing else.
bool ReadSizeNumber(std::string_view digits, std::int32_t& n)
{
    constexpr std::size_t MostDigits = 4;
    if (digits.empty() || digits.size() > MostDigits || !std::all_of(digits.begin(), digits.end(), IsDigit))
        return false;
    std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return n > 0;
}

// --size: "N" a QR Code version, "MN" (or "mN") a Micro QR version,
// "RxC" Data Matrix rows x columns. Each form replaces an earlier one;
// whether the symbology has that size is the encoder's to say.
std::string MatrixSizeOption(const OptionSpec& o, const char* text, RunOptions& options)
{
    constexpr std::int32_t MostQrVersion = 40;
    constexpr std::int32_t MostMicroVersion = 4;
    std::string_view value(text);
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    if (const std::size_t x = value.find_first_of("xX"); x != std::string_view::npos) {
        if (ReadSizeNumber(value.substr(0, x), rows) && ReadSizeNumber(value.substr(x + 1), columns)) {
            options.version = 0;
            options.matrixRows = rows;
            options.matrixColumns = columns;
            return {};
        }
    } else {
        const bool micro = !value.empty() && ToLower(value.front()) == 'm';
        if (micro)
            value.remove_prefix(1);
        std::int32_t version = 0;
        if (ReadSizeNumber(value, version) && version <= (micro ? MostMicroVersion : MostQrVersion)) {
            options.version = version;
            options.matrixRows = 0;
            options.matrixColumns = 0;
            return {};
        }
    }
    return OptionName(o) + " " + Quoted(text) + " is no symbol size (1..40, M1..M4 or ROWSxCOLUMNS); " +
           MatrixSizeText(options) + " kept";
}

} // namespace

std::string ApplyOption(const OptionSpec& option, const char* text, RunOptions& options)
{
    switch (option.kind) {
    case None: break;
    case Integer:
        // -t takes the symbology table's names besides the numbers.
        if (std::holds_alternative<kavren::Symbology RunOptions::*>(option.field)) {
            options.symbologyGiven = true;
            if (const SymbologyRow* row = FindSymbologyByName(text)) {
                Store(option.field, options, static_cast<std::int32_t>(row->type));
                break;
            }
        }
        return IntegerOption(option, text, options);
    case Real: return RealOption(option, text, options);
    case Switch: {
        const char* end = nullptr;
        const std::int32_t n = ReadIntegerUpTo(text, &end);
        Store(option.field, options, n != 0);
        return ReadingWarning(option, text, end, std::to_string(n));
    }
    case Colour: {
        bool whole = false;
        const std::uint32_t colour = ParseHexColor(text, &whole);
        Store(option.field, options, kavren::Rgb::FromHex(colour));
        if (whole)
            break;
        char read[8];
        std::snprintf(read, sizeof read, "%06x", static_cast<unsigned>(colour & 0xffffffU));
        return OptionName(option) + " " + Quoted(text) + " read as " + read;
    }
    case Text: Store(option.field, options, text); break;
    case Word:
        if (const std::int32_t n = WordNumber(option.values, text); n >= 0) {
            Store(option.field, options, n);
            break;
        }
        {
            std::string words(option.values);
            for (std::size_t blank = words.find(' '); blank != std::string::npos;
                 blank = words.find(' ', blank + 2))
                words.replace(blank, 1, ", ");
            const std::string kept = FieldText(option, options);
            return OptionName(option) + " " + Quoted(text) + " is none of " + words + "; " +
                   (kept.empty() ? std::string("ignored") : kept + " kept");
        }
    case Flag: Store(option.field, options, true); break;
    case Size: return MatrixSizeOption(option, text, options);
    }
    return {};
}

std::vector<std::string> OptionHelpLines()
{
    std::vector<std::string> lines;
    for (const OptionSpec& o : Table) {
        if (!o.help)
            continue;
        std::string column = o.HasLetter() ? std::string("   -") + o.Letter() + " --" : "      --";
        column += o.longName;
        // A name too long for its column stands on a line of its own, so
        // that every description starts in the one column.
        if (column.size() + 1 > HelpColumn) {
            lines.push_back(column);
            column.clear();
        }
        column.resize(HelpColumn, ' ');
        for (const char* line = o.help; *line;) {
            const char* end = std::strchr(line, '\n');
            const std::size_t length = end ? static_cast<std::size_t>(end - line) : std::strlen(line);
            lines.push_back(column + std::string(line, length));
            column.assign(HelpColumn, ' ');
            line += length + (end ? 1 : 0);
        }
    }
    return lines;
}

namespace {

// Switches offer 0 and 1; an integer with a few values offers them all.
std::string NumberValues(const OptionSpec& option)
{
    if (option.kind == Switch)
        return "0 1";
    constexpr double MostOffered = 32;
    const ValueRange& r = option.range;
    if (option.kind != Integer || (r.high - r.low) / std::max(r.step, 1) >= MostOffered)
        return "";
    std::string words;
    for (double v = r.low; v <= r.high; v += std::max(r.step, 1))
        Append(words, " ", std::to_string(static_cast<std::int32_t>(v)));
    return words;
}

} // namespace

std::string CompletionValues(const OptionSpec& option)
{
    if (option.values)
        return option.values;
    if (std::holds_alternative<kavren::Symbology RunOptions::*>(option.field)) {
        // Every number of the table, however many, then the names.
        std::string words;
        for (const SymbologyRow& row : Symbologies())
            Append(words, " ", std::to_string(row.type));
        for (const SymbologyRow& row : Symbologies())
            Append(words, " ", row.names);
        return words;
    }
    return NumberValues(option);
}

std::vector<std::string> SymbologyNameLines()
{
    std::size_t widest = 0;
    for (const SymbologyRow& row : Symbologies())
        widest = std::max(widest, row.name.size());
    std::vector<std::string> lines = {
        "Barcode types (-t): the number or a name, any letter case, '-' and '_' alike."};
    for (const SymbologyRow& row : Symbologies()) {
        std::string line = std::to_string(row.type);
        line.insert(0, 5 - std::min<std::size_t>(line.size(), 5), ' ');
        line += "  " + std::string(row.name);
        line.resize(7 + widest + 2, ' ');
        std::string names(row.names);
        for (std::size_t blank = names.find(' '); blank != std::string::npos;
             blank = names.find(' ', blank + 2))
            names.replace(blank, 1, ", ");
        lines.push_back(line + names);
    }
    return lines;
}

// Leading hexadecimal digits, each shifting the value four bits left, so only
// the last eight survive (and six count), after an optional "0x" or "#", the
// forms the usage text shows.
std::uint32_t ParseHexColor(const char* text, bool* whole)
{
    if (whole)
        *whole = false;
    if (!text)
        return 0;
    const char* p = text;
    if (p[0] == '#')
        p += 1;
    else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        p += 2;
    const char* digits = p;
    std::uint32_t value = 0;
    for (; HexDigitValue(*p) >= 0; ++p) {
        const auto digit = static_cast<std::uint32_t>(HexDigitValue(*p));
        value = (value << 4) | digit;
    }
    constexpr std::ptrdiff_t ColourDigits = 6;
    if (whole)
        *whole = *p == '\0' && p > digits && p - digits <= ColourDigits;
    return value;
}

// 0xRRGGBB as written to 0x00BBGGRR as stored; the top byte is dropped.
std::uint32_t SwapRedBlue(std::uint32_t colour)
{
    return ((colour & 0xffU) << 16) | (colour & 0xff00U) | ((colour >> 16) & 0xffU);
}
