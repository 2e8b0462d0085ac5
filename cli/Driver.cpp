#include "cli/Driver.h"

#include "cli/Batch.h"
#include "cli/GetOpt.h"
#include "cli/OptionTable.h"
#include "cli/RemoveOnSignal.h"
#include "cli/RunOptions.h"
#include "cli/SingleRun.h"
#include "kavren/kavren.h"
#include "symbologies/FourState.h"

#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The library's internals that the program shares.
using namespace kavren::detail;

namespace {

constexpr const char* ProgramName = "kavren";

using kavren::Status;
constexpr int Ok = static_cast<int>(Status::Ok);
constexpr int NoFileName = static_cast<int>(Status::NoFileName);

enum class ParseResult { Run, Help, Version, Error };

// Reads options up to the end of the options; an action (help, version) or
// an error ends the reading at once. What a reading changed of a value goes
// to `warnings`.
ParseResult ReadOptions(int argc, char* argv[], RunOptions& options, BatchSettings& batch,
                        std::vector<std::string>& warnings)
{
    const auto warn = [&warnings](std::string text) {
        if (!text.empty())
            warnings.push_back(std::move(text));
    };
    for (;;) {
        const int id = GetOpt(argc, argv, KavrenOptionString, KavrenLongOptions(), nullptr);
        if (id == -1)
            return ParseResult::Run;
        if (id == HelpOption)
            return ParseResult::Help;
        if (id == VersionOption)
            return ParseResult::Version;
        const OptionSpec* option = FindOption(id);
        if (option && option->kind == ValueKind::Flag) {
            warn(ApplyOption(*option, nullptr, options));
            continue;
        }
        if (!option || option->kind == ValueKind::None || !g_optArg)
            return ParseResult::Error;
        if (!ApplyBatchOption(*option, g_optArg, batch))
            warn(ApplyOption(*option, g_optArg, options));
        options.xDimensionGiven = options.xDimensionGiven || id == 'n';
    }
}

// Without -n a 4-state postal code is drawn at its standard's nominal bar
// width in the run's unit and at its resolution (0.020 inch for Intelligent
// Mail: 6 pixels at 300 dpi), so that a label meets the postal dimensions;
// at 96 dpi that is the 2 pixels every other symbology takes.
void TakeNominalModule(RunOptions& options)
{
    const double inches = kavren::detail::NominalBarWidthInches(options.symbology);
    if (options.xDimensionGiven || !(inches > 0.0))
        return;
    switch (options.unit) {
    case kavren::Unit::Pixels: options.xDimension = inches * (options.dpi > 0 ? options.dpi : kavren::kDefaultDpi); break;
    case kavren::Unit::Millimetres: options.xDimension = inches * 25.4; break;
    case kavren::Unit::Inches: options.xDimension = inches; break;
    case kavren::Unit::Mils: options.xDimension = inches * 1000.0; break;
    }
}

void PrintWarning(const std::string& text)
{
    PrintLine(stderr, ("Warning: " + text).c_str());
}

// The warnings follow a failure's message, so that a message keeps its first
// lines whatever was warned of.
int MakeBarcode(const RunOptions& options, const char* path, std::vector<std::string> warnings)
{
    const CTakeFatalSignals signals;
    const Written written = WriteBarcode(options, options.data, path);
    const int status = written.status == Ok ? Ok : PrintFailure(written.status, written.detail);
    warnings.insert(warnings.end(), written.warnings.begin(), written.warnings.end());
    for (const std::string& warning : warnings)
        PrintWarning(warning);
    return status;
}

int Run(int argc, char* argv[])
{
    ResetGetOpt();
    RunOptions options;
    options.format = FormatFromFileName;
    BatchSettings batch;
    std::vector<std::string> warnings;
    switch (ReadOptions(argc, argv, options, batch, warnings)) {
    case ParseResult::Help: return PrintUsage(stdout, 0);
    case ParseResult::Version: PrintBanner(stdout); return Ok;
    case ParseResult::Error: return PrintUsage(stderr, 1);
    case ParseResult::Run: break;
    }
    TakeNominalModule(options);
    if (!options.symbologyGiven && !options.digitalLink.empty())
        options.symbology = kavren::Symbology::QrCode;
    if (g_optIndex >= argc || !argv[g_optIndex])
        return PrintFailure(NoFileName);
    const char* path = argv[g_optIndex];
    // Nothing after the file name is read, so nothing after it may be given:
    // a misplaced option would otherwise be lost, or a file overwritten.
    if (g_optIndex + 1 < argc && argv[g_optIndex + 1])
        return PrintFailure(static_cast<int>(Status::InvalidArgument),
                            std::string("unexpected argument '") + argv[g_optIndex + 1] +
                                "' after the file name '" + path + "'");
    // Under --strict an option's warning is an invalid argument.
    if (options.strict && !warnings.empty())
        return PrintFailure(static_cast<int>(Status::InvalidArgument), warnings.front());
    if (batch.file) {
        for (const std::string& warning : warnings)
            PrintWarning(warning);
        return RunBatch(options, batch, path);
    }
    return MakeBarcode(options, path, std::move(warnings));
}

} // namespace

int PrintUsage(FILE* stream, int status)
{
    PrintBanner(stream);
    std::fprintf(stream, "Usage:  %s [OPTIONS] filename\n", ProgramName);
    std::fflush(stream);
    std::fprintf(stream, "Example:  %s -x 250 -y 100 -d 1234567890 c:\\barcode.png\n", ProgramName);
    std::fflush(stream);
    PrintLine(stream, "Options:");
    for (const std::string& line : OptionHelpLines())
        PrintLine(stream, line.c_str());
    for (const std::string& line : SymbologyNameLines())
        PrintLine(stream, line.c_str());
    return status;
}

int RunKavren(int argc, char* argv[])
{
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return PrintFailure(static_cast<int>(Status::Fail));
    }
}
