// libFuzzer target over one whole run: option parsing, encoding, layout,
// drawing and PNG output, in-process through RunKavren.
//
// Input format: the command-line elements after the program name, separated
// by NUL bytes (an element cannot hold a NUL; empty elements are allowed).
//
// Safety: the target runs in a private scratch directory (made and entered at
// start-up), every '/' byte of an element becomes '_' so no path can leave
// it, and every file a run leaves behind is removed before the next input.
// Give libFuzzer absolute paths for corpora and artifacts: the working
// directory changes before it reads them.
//
// Speed: values above a cap are rewritten to the cap: --dpi to 600, -x and
// -y to what stays within 2048 pixels at the resolution and unit, -m to what
// stays within 256 points at 96 dpi, and -n in a physical unit to 8 pixels.
// An input whose image could grow beyond a raster budget in x-dimension mode
// (long data with a large -n or -i) is skipped, and so is every batch
// (--batch reads a file, or standard input, and writes many images on
// threads of its own). Huge values themselves are covered by the hardening
// tests through the binary.
//
// Beyond the sanitizers, each run is checked against what the command line
// promises: a known status; no file left behind by a failed run (neither the
// target nor a temporary file); on success exactly the named file, or for "-"
// nothing at all (the image went to standard output); no file descriptor left
// open. The named file is in the format --format or the name says: a PNG
// decodes, has the fixed dimensions the options ask for (in any unit, at any
// resolution; not with --font, nor for the matrix symbologies) and states the
// resolution (pHYs) exactly when --dpi gave one; an SVG or EPS file starts
// with its format's header.

#include "cli/Driver.h"
#include "cli/OptionTable.h"
#include "kavren/kavren.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kSeparator = '\0';
constexpr long long kMaxImageSide = 2048; // pixels; -x and -y above this are rewritten to it
constexpr long long kMaxFontHeight = 256; // points at 96 dpi; -m above this is rewritten to it
constexpr long long kMaxDpi = 600;        // --dpi above this is rewritten to it
// -n in a physical unit above this many pixels is rewritten to it: a 0.33 mm
// module at 600 dpi is 7.8 pixels.
constexpr double kMaxPhysicalModule = 8;
constexpr double kRasterBudget = 48.0 * 1048576; // bytes of raster a run may need at most
constexpr int kDefaultSide = 200;                // pixels at 96 dpi, the side not given
constexpr int kDefaultDpi = 96;                  // the resolution without --dpi

std::string g_ScratchDir;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "kavren run check failed: %s\n", what);
    std::abort();
}

// One option the command line sets: its letter or long-only id, and where its
// value text starts.
struct Occurrence {
    int id;
    size_t element;
    size_t offset;
};

enum class OptionsEnd { FileName, Action, Error };

struct ParsedLine {
    OptionsEnd end = OptionsEnd::FileName;
    long fileIndex = -1; // element of the output file name, -1 when none
    std::vector<Occurrence> options;
    // --font was given: the text may not fit or not load, so the image
    // size is not predicted, only the file's format checked.
    bool unpredicted = false;
    // --batch was given: it reads a file (or standard input, which would
    // wait) and writes many images on threads; such inputs are skipped.
    bool batch = false;
    // --strict was given: a warning (a value read in part, a replaced check
    // digit) ends the run with status 1 or 6 whatever the image size.
    bool strict = false;
    bool checkedLate = false;
};

// The first row of the option table whose long name starts with the given
// name (the reader's abbreviation rule), or the row of a short letter.
const OptionSpec* FindLong(std::string_view given)
{
    for (const OptionSpec& o : OptionTable())
        if (std::string_view(o.longName).starts_with(given))
            return &o;
    return nullptr;
}

const OptionSpec* FindShort(char letter)
{
    for (const OptionSpec& o : OptionTable())
        if (o.HasLetter() && o.Letter() == letter)
            return &o;
    return nullptr;
}

// Walks the elements the way the option reader does, with the program's own
// option table: stops at the first non-option, "-" or after "--"; an action
// (-h, --version) ends the run; an unknown option or a missing argument is a
// command-line error.
ParsedLine WalkOptions(const std::vector<std::string>& args)
{
    ParsedLine line;
    size_t index = 0;
    while (index < args.size()) {
        const std::string& e = args[index];
        if (e.size() < 2 || e[0] != '-')
            break;
        if (e == "--") {
            ++index;
            break;
        }
        const bool isLong = e[1] == '-';
        const size_t eq = isLong ? e.find('=') : std::string::npos;
        const OptionSpec* option = isLong ? FindLong(std::string_view(e).substr(
                                                2, eq == std::string::npos ? std::string::npos : eq - 2))
                                          : FindShort(e[1]);
        if (!option) {
            line.end = OptionsEnd::Error;
            return line;
        }
        if (option->kind == ValueKind::None) {
            line.end = OptionsEnd::Action;
            return line;
        }
        // --compliant draws the symbology's own nominal height and quiet
        // zones, and refuses a fixed size its standard does not allow.
        line.unpredicted = line.unpredicted || option->id == FontOption || option->id == CompliantOption;
        line.batch = line.batch || option->id == BatchOption;
        line.strict = line.strict || option->id == StrictOption;
        // The matrix options' values (a Digital Link prefix, a size of
        // another symbology) are checked when the symbol is made: status 1.
        line.checkedLate = line.checkedLate || option->id == DigitalLinkOption || option->id == SizeOption ||
                           option->id == EciOption || option->id == MaskOption || option->id == EcOption ||
                           option->id == CompliantOption;
        if (option->kind == ValueKind::Flag) { // no value; a "=value" part is ignored
            ++index;
            continue;
        }
        const int id = option->id;
        if (isLong && eq != std::string::npos) {
            line.options.push_back({id, index, eq + 1});
            ++index;
        } else if (!isLong && e.size() > 2) {
            line.options.push_back({id, index, 2});
            ++index;
        } else if (index + 1 < args.size()) {
            line.options.push_back({id, index + 1, 0});
            index += 2;
        } else {
            line.end = OptionsEnd::Error;
            return line;
        }
    }
    if (index < args.size())
        line.fileIndex = static_cast<long>(index);
    return line;
}

// Leading white space, a sign and decimal digits; saturates far above any cap.
long long ReadInteger(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value > 1000000000000LL ? value : value * 10 + (*text - '0');
    return negative ? -value : value;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal notation only, as the driver reads it: sign, digits with an
// optional fraction and exponent; no digits ("inf", "nan", ".") read as 0,
// and "0x10" as 0.
double ReadReal(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const char* number = p;
    if (*p == '-' || *p == '+')
        ++p;
    const char* digits = p;
    while (IsDigit(*p))
        ++p;
    if (*p == '.')
        for (++p; IsDigit(*p); ++p) {
        }
    if (p == digits || (p == digits + 1 && *digits == '.'))
        return 0.0;
    const char* exponent = *p == 'e' || *p == 'E' ? p + 1 : p;
    if (*exponent == '-' || *exponent == '+')
        ++exponent;
    if (exponent != p && IsDigit(*exponent))
        for (p = exponent; IsDigit(*p); ++p) {
        }
    return std::strtod(std::string(number, p).c_str(), nullptr);
}

std::string FormatReal(double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : std::string("1");
}

const char* ValueOf(const std::vector<std::string>& args, const Occurrence& o)
{
    return args[o.element].c_str() + o.offset;
}

void Rewrite(std::vector<std::string>& args, const Occurrence& o, const std::string& value)
{
    args[o.element].replace(o.offset, std::string::npos, value);
}

// The place of the text among the option's value words ("px mm in mil"),
// letter case aside, as the option table stores a word; -1 for none.
int WordIndex(int optionId, std::string_view text)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::string_view rest(FindOption(optionId)->values);
    for (int number = 0; !rest.empty(); ++number) {
        const size_t blank = rest.find(' ');
        const std::string_view word = rest.substr(0, blank);
        if (word.size() == text.size() &&
            std::equal(word.begin(), word.end(), text.begin(), [&](char w, char t) { return w == lower(t); }))
            return number;
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    return -1;
}

// The resolution, unit and format the options come to. Each accepted value
// replaces the one before; a value out of range, or no word of the list, is
// ignored, as the option reader does.
struct Settings {
    long long dpi = 0; // 0: not given (96 dpi, no pHYs chunk)
    kavren::Unit unit = kavren::Unit::Pixels;
    std::optional<kavren::Format> format; // none: the file name decides

    long long Resolution() const { return dpi > 0 ? dpi : kDefaultDpi; }
    bool Physical() const { return unit != kavren::Unit::Pixels; }
};

// Rewrites --dpi values above kMaxDpi to it, then reads the settings.
Settings CapAndReadSettings(std::vector<std::string>& args, const ParsedLine& line)
{
    Settings settings;
    for (const auto& o : line.options) {
        if (o.id == DpiOption && ReadInteger(ValueOf(args, o)) > kMaxDpi)
            Rewrite(args, o, std::to_string(kMaxDpi));
        const char* value = ValueOf(args, o);
        if (o.id == DpiOption && ReadInteger(value) >= 1)
            settings.dpi = ReadInteger(value);
        else if (o.id == UnitOption && WordIndex(UnitOption, value) >= 0)
            settings.unit = static_cast<kavren::Unit>(WordIndex(UnitOption, value));
        else if (o.id == FormatOption && WordIndex(FormatOption, value) >= 0)
            settings.format = static_cast<kavren::Format>(WordIndex(FormatOption, value));
    }
    return settings;
}

// Units in an inch: 25.4 mm, 1000 mil; pixels do not scale (1).
double UnitsPerInch(kavren::Unit unit)
{
    switch (unit) {
    case kavren::Unit::Millimetres: return 25.4;
    case kavren::Unit::Mils: return 1000.0;
    case kavren::Unit::Inches:
    case kavren::Unit::Pixels: break;
    }
    return 1.0;
}

// A length in the settings' unit as pixels, before rounding. The operations
// come in the program's order, so that a length on a half pixel rounds alike.
double ToPixels(double size, const Settings& s)
{
    const auto dpi = static_cast<double>(s.Resolution());
    switch (s.unit) {
    case kavren::Unit::Mils: return size * 0.001 * dpi;
    case kavren::Unit::Inches: return dpi * size;
    case kavren::Unit::Millimetres: return size / 25.4 * dpi;
    case kavren::Unit::Pixels: break;
    }
    return size;
}

// A given side (-x, -y) in whole pixels: rounded half away from zero, at
// least one.
long long SidePixels(long long side, const Settings& s)
{
    return std::max(1LL, static_cast<long long>(std::round(ToPixels(static_cast<double>(side), s))));
}

// The side not given: 200 pixels, or in a physical unit the physical size of
// 200 pixels at 96 dpi, at the resolution.
long long DefaultSidePixels(const Settings& s)
{
    if (!s.Physical())
        return kDefaultSide;
    return static_cast<long long>(
        std::round(static_cast<double>(kDefaultSide) * s.Resolution() / kDefaultDpi));
}

// The largest -x or -y in the unit whose pixels stay within kMaxImageSide.
long long SideCap(const Settings& s)
{
    if (!s.Physical())
        return kMaxImageSide;
    return static_cast<long long>(kMaxImageSide * UnitsPerInch(s.unit) / static_cast<double>(s.Resolution()));
}

// The font height is in points at the resolution: the largest -m whose glyphs
// are no larger than kMaxFontHeight points at 96 dpi.
long long FontHeightCap(const Settings& s)
{
    return std::max(1LL, kMaxFontHeight * kDefaultDpi / s.Resolution());
}

// The image the options ask for, as far as the harness can tell beforehand.
struct Expected {
    bool fixedSize = false;
    bool alongWidth = true; // reading direction runs along the width (0 and 180)
    long long width = kDefaultSide;
    long long height = kDefaultSide;
    bool withinBudget = true;
};

// Rewrites over-large -x, -y, -m and (in a physical unit) -n values to their
// caps at the settings' resolution and unit, then works out the sizing mode
// the driver will choose, the pixel sizes, and whether the raster stays in
// budget.
Expected CapAndPredict(std::vector<std::string>& args, const ParsedLine& line, const Settings& settings)
{
    long long width = 0;
    long long height = 0;
    long long orientation = 0;
    long long fontHeight = 14;
    double xDim = 2.0;
    double wideToNarrow = 2.5;
    size_t dataLength = 7;
    const double moduleCap = kMaxPhysicalModule * UnitsPerInch(settings.unit) / settings.Resolution();
    for (const auto& o : line.options) {
        const long long cap = o.id == 'm' ? FontHeightCap(settings) : SideCap(settings);
        if ((o.id == 'x' || o.id == 'y' || o.id == 'm') && ReadInteger(ValueOf(args, o)) > cap)
            Rewrite(args, o, std::to_string(cap));
        if (o.id == 'n' && settings.Physical() && ReadReal(ValueOf(args, o)) > moduleCap)
            Rewrite(args, o, FormatReal(moduleCap));
        const char* value = ValueOf(args, o);
        const long long n = ReadInteger(value);
        switch (o.id) {
        case 'x': width = n >= 1 ? n : width; break;
        case 'y': height = n >= 1 ? n : height; break;
        case 'm': fontHeight = n >= 1 ? n : fontHeight; break;
        case 'o': orientation = (n == 0 || n == 90 || n == 180 || n == 270) ? n : orientation; break;
        case 'n': xDim = ReadReal(value) > 0 ? ReadReal(value) : xDim; break;
        case 'i': wideToNarrow = ReadReal(value) >= 2 ? ReadReal(value) : wideToNarrow; break;
        case 'd': dataLength = std::strlen(value); break;
        default: break;
        }
    }

    Expected e;
    e.alongWidth = orientation == 0 || orientation == 180;
    e.fixedSize = e.alongWidth ? width > 0 : height > 0;
    e.width = width > 0 ? SidePixels(width, settings) : DefaultSidePixels(settings);
    e.height = height > 0 ? SidePixels(height, settings) : DefaultSidePixels(settings);
    if (e.fixedSize)
        return e;

    // Upper bound of the symbol length: per data byte two Code 39 characters of
    // three wide and seven narrow elements, or two Code 128 characters; plus
    // start, stop, check characters and quiet zones.
    const double module = std::round(ToPixels(xDim, settings));
    const double wide = std::max(module, std::round(static_cast<float>(wideToNarrow) * module));
    const double length =
        static_cast<double>(dataLength) * (6 * wide + 24 * module) + 12 * wide + 60 * module;
    const double cross = static_cast<double>(e.alongWidth ? e.height : e.width);
    // Glyphs are drawn at the font height in points at the resolution.
    const double font = static_cast<double>(fontHeight * settings.Resolution()) / kDefaultDpi;
    const double textCost = static_cast<double>(dataLength) * font * font;
    e.withinBudget =
        std::isfinite(length) && length * cross * 3 <= kRasterBudget && textCost <= kRasterBudget;
    return e;
}

// A -t value that may name a matrix symbology or a 4-state mail code (by
// number or name): its image follows the symbol's modules across the reading
// direction too, so its PNG size is not predicted.
bool ChoosesMatrix(const std::vector<std::string>& args, const ParsedLine& line)
{
    for (const auto& o : line.options) {
        if (o.id != 't')
            continue;
        const std::string_view value = ValueOf(args, o);
        for (const kavren::SymbologyInfo& info : kavren::ListSymbologies()) {
            // The 4-state mail codes drawn by their encoders keep their
            // standards' bar heights too (PostNet and Planet stretch).
            const bool mail = info.kind == kavren::SymbolKind::FourState &&
                              info.number != kavren::Symbology::PostNet && info.number != kavren::Symbology::Planet;
            if (info.kind != kavren::SymbolKind::Matrix && !mail)
                continue;
            bool named = ReadInteger(value.data()) == static_cast<long long>(info.number);
            for (std::string_view rest = info.names; !rest.empty() && !named;) {
                const std::size_t blank = rest.find(' ');
                named = rest.substr(0, blank) == value;
                rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
            }
            if (named)
                return true;
        }
    }
    return false;
}

int CountOpenFds()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

std::vector<std::string> ScratchEntries()
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(g_ScratchDir, ec))
        names.push_back(entry.path().filename().string());
    return names;
}

void ClearScratch()
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(g_ScratchDir, ec))
        std::filesystem::remove_all(entry.path(), ec);
}

void RemoveScratch()
{
    ClearScratch();
    std::error_code ec;
    std::filesystem::remove(g_ScratchDir, ec);
}

// A PNG that libpng reads to the end; its size goes to width and height.
bool DecodesAsPng(const std::string& path, long long& width, long long& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = image.width;
    height = image.height;
    return true;
}

// The resolution the PNG's pHYs chunk states, in pixels per metre, when it
// states the same both ways in metres; 0 for no pHYs chunk, -1 for another.
long long StatedResolution(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        Fail("the PNG cannot be opened again");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile long long stated = -1; // kept across a longjmp from libpng
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        png_uint_32 x = 0;
        png_uint_32 y = 0;
        int unit = 0;
        if (!png_get_pHYs(png, info, &x, &y, &unit))
            stated = 0;
        else if (x == y && unit == PNG_RESOLUTION_METER)
            stated = x;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return stated;
}

// The pHYs a PNG must carry: --dpi in pixels per metre (an inch is 0.0254 m
// exactly), none without --dpi.
long long PixelsPerMetre(const Settings& settings)
{
    return settings.dpi > 0 ? std::llround(static_cast<double>(settings.dpi) / 0.0254) : 0;
}

void CheckPng(const std::string& name, const Expected& expected, const Settings& settings, bool sizePredicted)
{
    long long width = 0;
    long long height = 0;
    if (!DecodesAsPng(name, width, height))
        Fail("status 0 but the file is no readable PNG");
    if (StatedResolution(name) != PixelsPerMetre(settings))
        Fail("the PNG's pHYs chunk does not state the --dpi resolution (or states one without --dpi)");
    if (!sizePredicted)
        return;
    const bool widthRight = width == expected.width || (!expected.fixedSize && expected.alongWidth);
    const bool heightRight = height == expected.height || (!expected.fixedSize && !expected.alongWidth);
    if (!widthRight || !heightRight)
        Fail("the PNG does not have the size the options ask for");
}

// An SVG or EPS document: the vector writers start with the XML declaration
// and the EPS header comment.
void CheckVector(const std::string& name, kavren::Format format)
{
    const std::string_view header = format == kavren::Format::Svg ? "<?xml" : "%!PS-Adobe";
    std::string start(header.size(), '\0');
    std::ifstream file(name, std::ios::binary);
    if (!file.read(start.data(), static_cast<std::streamsize>(start.size())) || start != header)
        Fail("status 0 but the file does not start with its format's header");
}

void CheckOutcome(int status, const std::vector<std::string>& args, const ParsedLine& line,
                  const Settings& settings, const Expected& expected)
{
    const std::vector<std::string> left = ScratchEntries();
    if (line.end == OptionsEnd::Action) {
        if (status != 0 || !left.empty())
            Fail("-h and --version must print their text, end with 0 and write nothing");
        return;
    }
    if (line.end == OptionsEnd::Error) {
        if (status != 1 || !left.empty())
            Fail("a command-line error must end with 1 and write nothing");
        return;
    }
    if (line.fileIndex < 0) {
        if (status != 11 || !left.empty())
            Fail("no file name must end with 11 and write nothing");
        return;
    }
    if (static_cast<size_t>(line.fileIndex) + 1 < args.size()) {
        if (status != 1 || !left.empty())
            Fail("an argument after the file name must end with 1 and write nothing");
        return;
    }
    const std::string& name = args[static_cast<size_t>(line.fileIndex)];
    const kavren::Format format = settings.format.value_or(FileNameFormat(name));
    // With the embedded font the PNG's size follows from the options alone.
    const bool sizePredicted = !line.unpredicted && format == kavren::Format::Png;
    switch (status) {
    case 0: break;
    case 1:
        if (expected.fixedSize && sizePredicted && !line.strict && !line.checkedLate)
            Fail("status 1 with a fixed image size");
        break;
    case 3:
        if (expected.fixedSize && sizePredicted)
            Fail("status 3 for an image within every limit");
        break;
    case 5:
    case 6:
    case 12:
    case 13: break;
    default: Fail("unexpected exit status");
    }
    if (status != 0) {
        if (!left.empty())
            Fail("a failed run left a file behind");
        return;
    }
    if (name == "-") {
        if (!left.empty())
            Fail("writing to standard output (\"-\") left a file");
        return;
    }
    if (left.size() != 1 || left[0] != name)
        Fail("a successful run must leave exactly the named file");
    if (format == kavren::Format::Png)
        CheckPng(name, expected, settings, sizePredicted);
    else
        CheckVector(name, format);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kavren-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) {
        std::perror("kavren fuzz: scratch directory");
        std::abort();
    }
    g_ScratchDir = pattern;
    std::atexit(RemoveScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == kSeparator)
            args.emplace_back();
        else
            args.back() += c == '/' ? '_' : c;
    }
    if (size == 0)
        args.clear();

    ParsedLine line = WalkOptions(args);
    line.unpredicted = line.unpredicted || ChoosesMatrix(args, line);
    if (line.batch)
        return -1; // keep out of the corpus
    const Settings settings = CapAndReadSettings(args, line);
    const Expected expected = CapAndPredict(args, line, settings);
    if (!expected.withinBudget)
        return -1;

    std::vector<std::string> store;
    store.reserve(args.size() + 1);
    store.emplace_back("kavren");
    store.insert(store.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : store)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    const int fdsBefore = CountOpenFds();
    const int status = RunKavren(static_cast<int>(store.size()), argv.data());
    CheckOutcome(status, args, line, settings, expected);
    ClearScratch();
    if (CountOpenFds() != fdsBefore)
        Fail("a run left a file descriptor open");
    return 0;
}
