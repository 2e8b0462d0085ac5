#include "cli/Driver.h"

#include "cli/GetOpt.h"
#include "cli/OptionTable.h"
#include "cli/OutputFile.h"
#include "cli/RunOptions.h"
#include "engine/Barcode.h"
#include "image/MyPngWriter.h"

#include <cstdint>
#include <new>
#include <string>

namespace {

constexpr const char* ProgramName = "kavren";
constexpr const char* Banner = "kavren Version 1.5 (c) 2026 the kavren developers";

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

bool ReadsHorizontally(std::int32_t orientation)
{
    return orientation == 0 || orientation == 180;
}

enum class ParseResult { Run, Help, Version, Error };

// Reads options up to the end of the options; an action (help, version) or
// an error ends the reading at once.
ParseResult ReadOptions(int argc, char* argv[], RunOptions& options)
{
    for (;;) {
        const int id = GetOpt(argc, argv, KavrenOptionString, KavrenLongOptions(), nullptr);
        if (id == -1)
            return ParseResult::Run;
        if (id == HelpOption)
            return ParseResult::Help;
        if (id == VersionOption)
            return ParseResult::Version;
        const OptionSpec* option = FindOption(id);
        if (!option || option->kind == ValueKind::None || !g_optArg)
            return ParseResult::Error;
        ApplyOption(*option, g_optArg, options);
    }
}

// The settings go onto the live object in this order; flags that change the
// encoding or the text are followed by the step that rebuilds it, and the data
// text comes last.
void ApplySettings(const RunOptions& o, CBarcodeSym& sym)
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

// Steps after the options: build, size, draw, then write the file.
int MakeBarcode(const RunOptions& options, const char* path)
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
    RunOptions options;
    switch (ReadOptions(argc, argv, options)) {
    case ParseResult::Help: return PrintUsage(stdout, 0);
    case ParseResult::Version: PrintLine(stdout, Banner); return Ok;
    case ParseResult::Error: return PrintUsage(stderr, 1);
    case ParseResult::Run: break;
    }
    if (g_optIndex >= argc || !argv[g_optIndex])
        return PrintFailure(NoFileName);
    const int code = MakeBarcode(options, argv[g_optIndex]);
    return code == Ok ? Ok : PrintFailure(code);
}

} // namespace

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

int PrintUsage(FILE* stream, int status)
{
    PrintLine(stream, Banner);
    std::fprintf(stream, "Usage:  %s [OPTIONS] filename\n", ProgramName);
    std::fflush(stream);
    std::fprintf(stream, "Example:  %s -x 250 -y 100 -d 1234567890 c:\\barcode.png\n", ProgramName);
    std::fflush(stream);
    PrintLine(stream, "Options:");
    for (const std::string& line : OptionHelpLines())
        PrintLine(stream, line.c_str());
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
