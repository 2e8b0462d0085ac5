#include "cli/Driver.h"

#include "cli/GetOpt.h"
#include "engine/Barcode.h"
#include "image/MyPngWriter.h"

#include <array>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* ProgramName = "kavren";
constexpr const char* Banner = "kavren Version 1.5 (c) 2026 the kavren developers";

// Order matters: an abbreviation takes the first entry that fits (--t is tcolor).
constexpr std::array<LongOption, 26> LongOptions{{
    {"help", 0, nullptr, 'h'},   {"xsize", 1, nullptr, 'x'},  {"ysize", 1, nullptr, 'y'},
    {"xdim", 1, nullptr, 'n'},   {"data", 1, nullptr, 'd'},   {"btype", 1, nullptr, 't'},
    {"orient", 1, nullptr, 'o'}, {"bcolor", 1, nullptr, 'b'}, {"fcolor", 1, nullptr, 'r'},
    {"tcolor", 1, nullptr, 'e'}, {"qzone", 1, nullptr, 'q'},  {"balign", 1, nullptr, 'g'},
    {"talign", 1, nullptr, 'l'}, {"guarg", 1, nullptr, 'u'},  {"text", 1, nullptr, 's'},
    {"tdown", 1, nullptr, 'p'},  {"stst", 1, nullptr, 'z'},   {"schk", 1, nullptr, 'c'},
    {"cchk", 1, nullptr, 'k'},   {"fean", 1, nullptr, 'f'},   {"ntxt", 1, nullptr, 'v'},
    {"c128", 1, nullptr, 'a'},   {"w2n", 1, nullptr, 'i'},    {"bred", 1, nullptr, 'j'},
    {"fh", 1, nullptr, 'm'},     {nullptr, 0, nullptr, 0},
}};

// One line each; -f is deliberately not listed.
constexpr std::array<const char*, 48> HelpLines{{
    "Options:",
    "   -h --help        Display this usage information.",
    "   -x --xsize       Barcode image width.",
    "                    Example: -x 250",
    "   -y --ysize       Barcode image height.",
    "                    Example: -y 100",
    "   -n --xdim        X-Dimension.",
    "                    Example: -n 3",
    "   -d --data        Set the data that is to be encoded in the barcode.",
    "                    Example: -d 1234567890Data",
    "   -t --btype       Barcode type. Possible Values: 0..21",
    "                    Example: -f 7",
    "   -o --orient      Set the orientation. Possible Values: 0, 90, 180, 270",
    "                    Example: -o 90",
    "   -b --bcolor      Background color. Possible Values: 0x000000..0xffffff",
    "                    Example: -b ffff00, means yellow color in RGB",
    "   -r --fcolor      Foreground color. Possible Values: 0x000000..0xffffff",
    "                    Example: -r 000000, means black color",
    "   -e --tcolor      Text color. Possible Values: 0x000000..0xffffff",
    "                    Example: -e 0000ff means blue color",
    "   -q --qzone       Show quiet zones. Possible Values: 0 or 1",
    "                    Example: -q 1",
    "   -g --balign      Barcode alignment. Possible Values: 0..2",
    "                    Example: -g 2",
    "   -l --talign      Text alignment. Possible Values: 0..6",
    "                    Example: -l 0",
    "   -u --guarg       Show EAN/UPC guards. Possible Values: 0 or 1",
    "                    Example: -u 1",
    "   -s --text        Show text. Possible Values: 0 or 1",
    "                    Example: -s 1",
    "   -p --tdown       Show text above or below. Possible Values: 0(below) or 1",
    "                    Example: -p 1",
    "   -z --stst        Show start/stop chars. Possible Values: 0 or 1",
    "                    Example: -z 1",
    "   -c --schk        Show check digit. Possible Values: 0 or 1",
    "                    Example: -c 1",
    "   -k --cchk        Calculate check digit. Possible Values: 0 or 1",
    "                    Example: -k 1",
    "   -v --ntxt        Convert non printing to text. Possible Values: 0 or 1",
    "                    Example: -v 1",
    "   -a --c128        Code 128 charset. Possible Values: 0..3",
    "                    Example: -a 0",
    "   -i --w2n         Wide to narrow ratio. Possible Values: 2..",
    "                    Example: -i 2.5",
    "   -j --bred        Bar width reduction. Possible Values: -99..99",
    "                    Example: -j 0",
    "   -m --fh          Font Height.",
    "                    Example: -m 14",
}};

enum ExitCode : int {
    Ok = 0,
    InvalidArgument = 1,
    Fail = 2,
    CantInitPng = 3,
    CantSetType = 4,
    InvalidSize = 5,
    InvalidText = 6,
    NoFileName = 11,
    CantOpenFile = 12,
    CantCloseFile = 13,
    UnknownException = 14,
};

// Every option value of one run, with the defaults the run starts from.
struct Options {
    std::int32_t width = 0; // 0: not given
    std::int32_t height = 0;
    double xDim = 2.0;
    const char* data = "1234567";
    std::int32_t type = 7; // Code 128
    std::int32_t orientation = 0;
    Colour backColor = 0xffffff;
    Colour barColor = 0;
    Colour textColor = 0;
    bool quietZones = true;
    std::int32_t barcodeAlign = 2;
    std::int32_t textAlign = 0;
    bool showGuards = true;
    bool showText = true;
    bool textBelow = true;
    bool showStartStop = false;
    bool showCheckDigit = true;
    bool calcCheckDigit = true;
    bool eanTextFlush = false;
    bool convertNonPrinting = true;
    std::int32_t code128Charset = 0;
    float wideToNarrow = 2.5F;
    std::int32_t barReduction = 0;
    std::int32_t fontHeight = 14;
};

void PrintLine(FILE* stream, const char* text)
{
    std::fputs(text, stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int PrintFailure(int code)
{
    PrintLine(stderr, Banner);
    PrintLine(stderr, ErrorMessage(code));
    return code;
}

// Leading white space, an optional sign, then decimal digits up to the first
// other character; no digits read as 0. Saturates at the int32 range.
std::int32_t ReadInteger(const char* text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (std::isspace(*p))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    std::int64_t value = 0;
    for (; std::isdigit(*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT32_MAX)
            return negative ? INT32_MIN : INT32_MAX;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

// A decimal number with optional fraction and exponent at the start of the
// text; unreadable text reads as 0. Only decimal notation counts, so "0x10"
// reads as 0 and "nan" or "inf" as 0.
double ReadReal(const char* text)
{
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const char* start = p;
    if (*p == '-' || *p == '+')
        ++p;
    bool digits = false;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        digits = true;
    if (*p == '.') {
        for (++p; std::isdigit(static_cast<unsigned char>(*p)); ++p)
            digits = true;
    }
    if (!digits)
        return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '-' || *q == '+')
            ++q;
        if (std::isdigit(static_cast<unsigned char>(*q))) {
            for (p = q; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
            }
        }
    }
    return std::strtod(std::string(start, p).c_str(), nullptr);
}

bool ReadSwitch(const char* text)
{
    return ReadInteger(text) != 0;
}

Colour ReadColour(const char* text)
{
    return SwapRedBlue(ParseHexColor(text));
}

bool IsOrientation(std::int32_t value)
{
    return value == 0 || value == 90 || value == 180 || value == 270;
}

bool ReadsHorizontally(std::int32_t orientation)
{
    return orientation == 0 || orientation == 180;
}

template <typename T> void StoreIf(bool accepted, T& target, T value)
{
    if (accepted)
        target = value;
}

// Stores the option's argument when the option accepts it; out-of-range
// values are ignored without a message.
void ApplyOption(int letter, const char* arg, Options& o)
{
    const std::int32_t n = ReadInteger(arg);
    switch (letter) {
    case 'x': StoreIf(n >= 1, o.width, n); break;
    case 'y': StoreIf(n >= 1, o.height, n); break;
    case 'n': {
        const double x = ReadReal(arg);
        StoreIf(std::isfinite(x) && x > 0.0, o.xDim, x);
        break;
    }
    case 'd': o.data = arg; break;
    case 't': StoreIf(n >= 0 && n <= 21, o.type, n); break;
    case 'o': StoreIf(IsOrientation(n), o.orientation, n); break;
    case 'b': o.backColor = ReadColour(arg); break;
    case 'r': o.barColor = ReadColour(arg); break;
    case 'e': o.textColor = ReadColour(arg); break;
    case 'q': o.quietZones = ReadSwitch(arg); break;
    case 'g': StoreIf(n >= 0 && n <= 2, o.barcodeAlign, n); break;
    case 'l': StoreIf(n >= 0 && n <= 6, o.textAlign, n); break;
    case 'u': o.showGuards = ReadSwitch(arg); break;
    case 's': o.showText = ReadSwitch(arg); break;
    case 'p': o.textBelow = ReadSwitch(arg); break;
    case 'z': o.showStartStop = ReadSwitch(arg); break;
    case 'c': o.showCheckDigit = ReadSwitch(arg); break;
    case 'k': o.calcCheckDigit = ReadSwitch(arg); break;
    case 'f': o.eanTextFlush = ReadSwitch(arg); break;
    case 'v': o.convertNonPrinting = ReadSwitch(arg); break;
    case 'a': StoreIf(n >= 0 && n <= 4, o.code128Charset, n); break;
    case 'i': {
        // 2 and above, as the usage text promises: below 2 a reader cannot tell
        // wide elements from narrow ones (every two-width standard asks for 2..3).
        // Checked as the float it is stored in: 1e50 has no float.
        const double ratio = ReadReal(arg);
        if (ratio >= 2.0 && ratio <= FLT_MAX)
            o.wideToNarrow = static_cast<float>(ratio);
        break;
    }
    // 100 % or more would remove the narrow bars altogether.
    case 'j': StoreIf(n >= -99 && n <= 99, o.barReduction, n); break;
    case 'm': StoreIf(n >= 1, o.fontHeight, n); break;
    default: break;
    }
}

enum class ParseResult { Run, Help, Error };

ParseResult ReadOptions(int argc, char* argv[], Options& options)
{
    for (;;) {
        const int letter = GetOpt(argc, argv, KavrenOptionString, LongOptions.data(), nullptr);
        if (letter == -1)
            return ParseResult::Run;
        if (letter == 'h')
            return ParseResult::Help;
        if (letter == '?' || letter == 0 || !g_optArg)
            return ParseResult::Error;
        ApplyOption(letter, g_optArg, options);
    }
}

// The settings go onto the live object in this order; flags that change the
// encoding or the text are followed by the step that rebuilds it, and the data
// text comes last.
void ApplySettings(const Options& o, CBarcodeSym& sym)
{
    sym.m_FontHeight = o.fontHeight;
    sym.m_Orientation = o.orientation;
    sym.m_BackColor = o.backColor;
    sym.m_BarColor = o.barColor;
    sym.m_TextColor = o.textColor;
    sym.m_QuietZones = o.quietZones;
    sym.m_BarcodeAlign = o.barcodeAlign;
    sym.m_TextAlign = o.textAlign;
    sym.m_ShowGuards = o.showGuards;
    sym.m_ShowText = o.showText;
    sym.m_TextBelow = o.textBelow;
    if (sym.m_ShowStartStop != o.showStartStop) {
        sym.m_ShowStartStop = o.showStartStop;
        sym.BuildDisplayText();
    }
    if (sym.m_ShowCheckDigit != o.showCheckDigit) {
        sym.m_ShowCheckDigit = o.showCheckDigit;
        sym.BuildDisplayText();
    }
    if (sym.m_CalcCheckDigit != o.calcCheckDigit) {
        sym.m_CalcCheckDigit = o.calcCheckDigit;
        sym.Encode();
    }
    if (sym.m_ConvertNonPrinting != o.convertNonPrinting) {
        sym.m_ConvertNonPrinting = o.convertNonPrinting;
        sym.BuildDisplayText();
    }
    if (sym.m_Code128Charset != o.code128Charset) {
        sym.m_Code128Charset = o.code128Charset;
        sym.Encode();
    }
    sym.m_WideToNarrow = o.wideToNarrow;
    sym.m_BarReduction = o.barReduction;
    sym.m_EanTextFlush = o.eanTextFlush;
    sym.SetData(o.data);
}

// The output file of a run. Until Commit it is discarded when the object
// goes: a partly written regular file is removed, anything else (a device, a
// FIFO) is only closed.
class COutputFile {
  public:
    explicit COutputFile(const char* path) : m_Path(path), m_File(std::fopen(path, "wb"))
    {
        struct stat st {};
        if (m_File && fstat(fileno(m_File), &st) == 0 && S_ISREG(st.st_mode)) {
            m_Regular = true;
            m_Device = st.st_dev;
            m_Inode = st.st_ino;
        }
    }
    ~COutputFile()
    {
        if (m_File) {
            std::fclose(m_File);
            Discard();
        }
    }
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    FILE* Get() const { return m_File; }

    // Closes the file; false (and the file discarded) when closing failed.
    bool Commit()
    {
        FILE* file = m_File;
        m_File = nullptr;
        if (std::fclose(file) == 0)
            return true;
        Discard();
        return false;
    }

  private:
    // Removes the path only while it still names the very file written here.
    void Discard() const
    {
        struct stat st {};
        if (!m_Regular || lstat(m_Path, &st) != 0)
            return;
        if (S_ISREG(st.st_mode) && st.st_dev == m_Device && st.st_ino == m_Inode)
            std::remove(m_Path);
        else if (stat(m_Path, &st) == 0 && st.st_dev == m_Device && st.st_ino == m_Inode)
            static_cast<void>(truncate(m_Path, 0)); // reached through a link: empty it
    }

    const char* m_Path;
    FILE* m_File;
    bool m_Regular = false;
    dev_t m_Device = 0;
    ino_t m_Inode = 0;
};

// Steps after the options: build, size, draw, then write the file.
int MakeBarcode(const Options& options, const char* path)
{
    // The image is fixed when the user gave its dimension along the reading
    // direction; otherwise that dimension follows from the x-dimension.
    const bool horizontal = ReadsHorizontally(options.orientation);
    const bool fixedSize = horizontal ? options.width > 0 : options.height > 0;
    std::int32_t width = options.width > 0 ? options.width : 200;
    std::int32_t height = options.height > 0 ? options.height : 200;

    CBarcode manager;
    if (!manager.GetSymbology())
        return Fail;
    ApplySettings(options, *manager.GetSymbology());
    if (!manager.SetType(options.type))
        return CantSetType;

    if (!fixedSize) {
        double length = 0.0;
        if (manager.CalcSymbolLength(options.xDim, 1, 1, SizeUnit::Pixels, &length) != 0)
            return InvalidArgument;
        // A length that no int32 holds cannot become an image side.
        if (!(length >= 0.0 && length <= static_cast<double>(INT32_MAX)))
            return InvalidArgument;
        (horizontal ? width : height) = static_cast<std::int32_t>(length);
    }
    const Rect area{0, width, 0, height};

    CMyPngWriter writer(width, height, nullptr, 96, 96, 0xffffff, -2);
    if (!writer.Init())
        return CantInitPng;
    if (const int drawn = manager.GetSymbology()->Draw(writer, &area); drawn != 0)
        return drawn;

    // Only now is the file system touched.
    COutputFile output(path);
    if (!output.Get())
        return CantOpenFile;
    if (!writer.WriteTo(output.Get()))
        return CantCloseFile; // the destructor discards the partial file
    return output.Commit() ? Ok : CantCloseFile;
}

int Run(int argc, char* argv[])
{
    ResetGetOpt();
    Options options;
    switch (ReadOptions(argc, argv, options)) {
    case ParseResult::Help: return PrintUsage(stdout, 0);
    case ParseResult::Error: return PrintUsage(stderr, 1);
    case ParseResult::Run: break;
    }
    if (g_optIndex >= argc || !argv[g_optIndex])
        return PrintFailure(NoFileName);
    const int code = MakeBarcode(options, argv[g_optIndex]);
    return code == Ok ? Ok : PrintFailure(code);
}

} // namespace

const char* const KavrenOptionString = "hx:y:n:d:t:o:b:r:e:q:g:l:u:s:p:z:c:k:f:v:a:i:j:m:";

const LongOption* KavrenLongOptions()
{
    return LongOptions.data();
}

const char* ErrorMessage(int code)
{
    switch (code) {
    case Ok: return "Ok.";
    case InvalidArgument: return "Error: Invalid argument.";
    case Fail: return "Error: Fail.";
    case CantInitPng: return "Error: Cant initialize PNG creator.";
    case CantSetType: return "Error: Cant set up a barcode type (symbology)";
    case InvalidSize: return "Error: Invalid barcode size.";
    case InvalidText: return "Error: Invalid barcode text.";
    case NoFileName: return "Error: Output file name cant be empty.";
    case CantOpenFile: return "Error: Cant open output file.";
    case CantCloseFile: return "Error: Cant close output file.";
    case UnknownException: return "Error: Unknown exception.";
    default: return "Error: Unknown error.";
    }
}

// Leading hexadecimal digits, each shifting the value four bits left, so only
// the last eight survive. No "0x" prefix: reading stops at the 'x'.
std::uint32_t ParseHexColor(const char* text)
{
    std::uint32_t value = 0;
    for (const char* p = text; p && std::isxdigit(static_cast<unsigned char>(*p)); ++p) {
        const char c = *p;
        const std::uint32_t digit = std::isdigit(static_cast<unsigned char>(c))
                                        ? static_cast<std::uint32_t>(c - '0')
                                        : static_cast<std::uint32_t>(std::tolower(c) - 'a' + 10);
        value = (value << 4) | digit;
    }
    return value;
}

// 0xRRGGBB as written to 0x00BBGGRR as stored; the top byte is dropped.
std::uint32_t SwapRedBlue(std::uint32_t colour)
{
    return ((colour & 0xffU) << 16) | (colour & 0xff00U) | ((colour >> 16) & 0xffU);
}

int PrintUsage(FILE* stream, int status)
{
    PrintLine(stream, Banner);
    std::fprintf(stream, "Usage:  %s [OPTIONS] filename\n", ProgramName);
    std::fflush(stream);
    std::fprintf(stream, "Example:  %s -x 250 -y 100 -d 1234567890 c:\\barcode.png\n", ProgramName);
    std::fflush(stream);
    for (const char* line : HelpLines)
        PrintLine(stream, line);
    return status;
}

int RunKavren(int argc, char* argv[])
{
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return PrintFailure(Fail);
    }
}
