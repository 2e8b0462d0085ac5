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
// Speed: -x, -y and -m values above a cap are rewritten to the cap, and an
// input whose image could grow beyond a raster budget in x-dimension mode
// (long data with a large -n or -i) is skipped. Huge values themselves are
// covered by the hardening tests through the binary.
//
// Beyond the sanitizers, each run is checked against what the command line
// promises: a known status; no file left behind by a failed run (neither the
// target nor a temporary file); on success exactly the named file, a PNG that
// decodes, with the fixed dimensions the options ask for (unless the name or
// an option asks for another format, resolution, unit or font), or for "-"
// nothing at all (the image went to standard output); no file descriptor left
// open.

#include "cli/Driver.h"
#include "cli/OptionTable.h"

#include <png.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kSeparator = '\0';
constexpr long long kMaxImageSide = 2048;        // -x and -y above this are rewritten to it
constexpr long long kMaxFontHeight = 256;        // -m above this is rewritten to it
constexpr double kRasterBudget = 48.0 * 1048576; // bytes of raster a run may need at most
constexpr int kDefaultSide = 200;

std::string g_ScratchDir;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "kavren run check failed: %s\n", what);
    std::abort();
}

// One option the command line sets: its letter and where its value text starts.
struct Occurrence {
    char letter;
    size_t element;
    size_t offset;
};

enum class OptionsEnd { FileName, Action, Error };

struct ParsedLine {
    OptionsEnd end = OptionsEnd::FileName;
    long fileIndex = -1; // element of the output file name, -1 when none
    std::vector<Occurrence> options;
    // --format, --dpi, --unit or --font was given: the image is not
    // predicted, only the file's presence checked.
    bool unpredicted = false;
    // --unit, --dpi or --batch was given: the pixel sizes and raster budget,
    // or the files written, are beyond the harness's prediction; such inputs
    // are skipped.
    bool rescaled = false;
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
        if (option->id == FormatOption || option->id == DpiOption || option->id == UnitOption ||
            option->id == FontOption)
            line.unpredicted = true;
        // A batch reads its lines from a file and writes many images: beyond
        // the prediction too.
        if (option->id == UnitOption || option->id == DpiOption || option->id == BatchOption)
            line.rescaled = true;
        if (option->kind == ValueKind::Flag) { // no value; a "=value" part is ignored
            ++index;
            continue;
        }
        const char letter = option->Letter();
        if (isLong && eq != std::string::npos) {
            line.options.push_back({letter, index, eq + 1});
            ++index;
        } else if (!isLong && e.size() > 2) {
            line.options.push_back({letter, index, 2});
            ++index;
        } else if (index + 1 < args.size()) {
            line.options.push_back({letter, index + 1, 0});
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

// Decimal notation only, as the driver reads it ("inf", "nan" read as 0); a
// hexadecimal tail may read larger here, which only makes the budget stricter.
double ReadReal(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const char* number = p;
    if (*p == '-' || *p == '+')
        ++p;
    if (*p == '.')
        ++p;
    return *p >= '0' && *p <= '9' ? std::strtod(number, nullptr) : 0.0;
}

// The image the options ask for, as far as the harness can tell beforehand.
struct Expected {
    bool fixedSize = false;
    bool alongWidth = true; // reading direction runs along the width (0 and 180)
    long long width = kDefaultSide;
    long long height = kDefaultSide;
    bool withinBudget = true;
};

// Rewrites over-large -x, -y and -m values to their caps, then works out the
// sizing mode the driver will choose and whether the raster stays in budget.
Expected CapAndPredict(std::vector<std::string>& args, const ParsedLine& line)
{
    long long width = 0;
    long long height = 0;
    long long orientation = 0;
    long long fontHeight = 14;
    double xDim = 2.0;
    double wideToNarrow = 2.5;
    size_t dataLength = 7;
    for (const auto& o : line.options) {
        std::string& element = args[o.element];
        const char* value = element.c_str() + o.offset;
        const long long cap = o.letter == 'm' ? kMaxFontHeight : kMaxImageSide;
        if ((o.letter == 'x' || o.letter == 'y' || o.letter == 'm') && ReadInteger(value) > cap) {
            element.replace(o.offset, std::string::npos, std::to_string(cap));
            value = element.c_str() + o.offset;
        }
        const long long n = ReadInteger(value);
        switch (o.letter) {
        case 'x': width = n >= 1 ? n : width; break;
        case 'y': height = n >= 1 ? n : height; break;
        case 'm': fontHeight = n >= 1 ? n : fontHeight; break;
        case 'o': orientation = (n == 0 || n == 90 || n == 180 || n == 270) ? n : orientation; break;
        case 'n': xDim = ReadReal(value) > 0 ? ReadReal(value) : xDim; break;
        case 'i': wideToNarrow = ReadReal(value) > 0 ? ReadReal(value) : wideToNarrow; break;
        case 'd': dataLength = element.size() - o.offset; break;
        default: break;
        }
    }

    Expected e;
    e.alongWidth = orientation == 0 || orientation == 180;
    e.fixedSize = e.alongWidth ? width > 0 : height > 0;
    e.width = width > 0 ? width : kDefaultSide;
    e.height = height > 0 ? height : kDefaultSide;
    if (e.fixedSize)
        return e;

    // Upper bound of the symbol length: per data byte two Code 39 characters of
    // three wide and seven narrow elements, or two Code 128 characters; plus
    // start, stop, check characters and quiet zones.
    const double module = std::round(xDim);
    const double wide = std::max(module, std::round(static_cast<float>(wideToNarrow) * module));
    const double length =
        static_cast<double>(dataLength) * (6 * wide + 24 * module) + 12 * wide + 60 * module;
    const double cross = static_cast<double>(e.alongWidth ? e.height : e.width);
    const double textCost = static_cast<double>(dataLength) * static_cast<double>(fontHeight * fontHeight);
    e.withinBudget =
        std::isfinite(length) && length * cross * 3 <= kRasterBudget && textCost <= kRasterBudget;
    return e;
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

void CheckOutcome(int status, const std::vector<std::string>& args, const ParsedLine& line,
                  const Expected& expected)
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
    const std::string& name = args[static_cast<size_t>(line.fileIndex)];
    const bool predicted = !line.unpredicted && FileNameFormat(name) == kavren::Format::Png;
    switch (status) {
    case 0: break;
    case 1:
        if (expected.fixedSize && predicted)
            Fail("status 1 with a fixed image size");
        break;
    case 3:
        if (expected.fixedSize && predicted)
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
    if (!predicted)
        return;
    long long width = 0;
    long long height = 0;
    if (!DecodesAsPng(name, width, height))
        Fail("status 0 but the file is no readable PNG");
    const bool widthRight = width == expected.width || (!expected.fixedSize && expected.alongWidth);
    const bool heightRight = height == expected.height || (!expected.fixedSize && !expected.alongWidth);
    if (!widthRight || !heightRight)
        Fail("the PNG does not have the size the options ask for");
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

    const ParsedLine line = WalkOptions(args);
    const Expected expected = CapAndPredict(args, line);
    if (!expected.withinBudget || line.rescaled)
        return -1; // keep out of the corpus

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
    CheckOutcome(status, args, line, expected);
    ClearScratch();
    if (CountOpenFds() != fdsBefore)
        Fail("a run left a file descriptor open");
    return 0;
}
