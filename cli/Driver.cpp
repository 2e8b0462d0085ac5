#include "cli/Driver.h"

#include "cli/Batch.h"
#include "cli/GetOpt.h"
#include "cli/OptionTable.h"
#include "cli/OutputFile.h"
#include "cli/RemoveOnSignal.h"
#include "cli/RunOptions.h"
#include "kavren/kavren.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* ProgramName = "kavren";
constexpr const char* Banner = "kavren Version 1.5 (c) 2026 the kavren developers";

// The file statuses are the command line's own; the others come from the library.
using kavren::Status;
constexpr int InvalidText = static_cast<int>(Status::InvalidText);
constexpr int Ok = static_cast<int>(Status::Ok);
constexpr int NoFileName = static_cast<int>(Status::NoFileName);
constexpr int CantOpenFile = static_cast<int>(Status::CantOpenFile);
constexpr int CantCloseFile = static_cast<int>(Status::CantCloseFile);

// No format yet: --format did not name one, so the file name decides.
constexpr auto FormatFromFileName = static_cast<kavren::Format>(-1);

void PrintLine(FILE* stream, const char* text)
{
    std::fputs(text, stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// With --strict the render's warnings must be known before any byte goes
// out (standard output cannot be taken back): the file is made in memory
// first and written only when the render warned of nothing. The data's
// warnings are invalid data.
Written WriteStrictly(const RunOptions& options, std::string_view data, const OutputTarget& target)
{
    const kavren::Result result = kavren::Render(options, data);
    if (!result)
        return {static_cast<int>(result.status), result.detail, {}};
    if (!result.warnings.empty())
        return {InvalidText, result.warnings.front(), {}};
    std::optional<COutputFile> output;
    if (target.folder < 0)
        output.emplace(target.path.c_str());
    else
        output.emplace(target);
    if (!output->IsOpen())
        return {CantOpenFile, output->Detail(), {}};
    if (!output->Write(result.bytes.data(), result.bytes.size()) || !output->Commit())
        return {CantCloseFile, output->Detail(), {}};
    return {Ok, {}, {}};
}

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

// The name of an output file whose extension names no format kavren writes,
// which is then written as PNG; empty for every other name.
std::string UnknownExtension(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view name = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return {};
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (extension == "png" || extension == "svg" || extension == "eps")
        return {};
    return std::string(path) + ": ." + std::string(name.substr(dot + 1)) +
           " names no format kavren writes; written as PNG";
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
    case ParseResult::Version: PrintLine(stdout, Banner); return Ok;
    case ParseResult::Error: return PrintUsage(stderr, 1);
    case ParseResult::Run: break;
    }
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

// Renders straight into the output, which is opened only when the barcode
// is drawn and its first bytes come: a failed render touches no file.
Written WriteBarcode(const RunOptions& options, std::string_view data, const char* path)
{
    return WriteBarcode(options, data, OutputTarget{path, -1, {}});
}

Written WriteBarcode(const RunOptions& options, std::string_view data, const OutputTarget& target)
{
    // Without --format each file's name decides (a batch names many).
    if (options.format == FormatFromFileName) {
        RunOptions named = options;
        named.format = FileNameFormat(target.path.c_str());
        std::string unknown = UnknownExtension(target.path.c_str());
        if (!unknown.empty() && options.strict)
            return {static_cast<int>(Status::InvalidArgument), std::move(unknown), {}};
        Written written = WriteBarcode(named, data, target);
        if (!unknown.empty())
            written.warnings.insert(written.warnings.begin(), std::move(unknown));
        return written;
    }
    if (options.strict)
        return WriteStrictly(options, data, target);
    std::optional<COutputFile> output;
    const kavren::Result result =
        kavren::Render(options, data, [&](const std::uint8_t* bytes, std::size_t size) {
            if (!output) {
                if (target.folder < 0)
                    output.emplace(target.path.c_str());
                else
                    output.emplace(target);
            }
            return output->Write(bytes, size);
        });
    if (output && !output->IsOpen())
        return {CantOpenFile, output->Detail(), result.warnings};
    if (!result && result.status == Status::CantCloseFile && output)
        return {CantCloseFile, output->Detail(), result.warnings}; // the write failed: a partial file is discarded
    if (!result)
        return {static_cast<int>(result.status), result.detail, result.warnings};
    // A full disk may show only when the last bytes are written.
    if (!output || !output->Commit())
        return {CantCloseFile, output ? output->Detail() : std::string(), result.warnings};
    return {Ok, {}, result.warnings};
}

int PrintFailure(int code, const std::string& detail)
{
    PrintLine(stderr, Banner);
    PrintLine(stderr, ErrorMessage(code));
    if (!detail.empty())
        PrintLine(stderr, detail.c_str());
    return code;
}

kavren::Format FileNameFormat(std::string_view path)
{
    const auto endsWith = [path](std::string_view extension) {
        return path.size() >= extension.size() &&
               std::equal(extension.begin(), extension.end(),
                          path.end() - static_cast<std::ptrdiff_t>(extension.size()),
                          [](char e, char p) { return e == (p >= 'A' && p <= 'Z' ? p - 'A' + 'a' : p); });
    };
    if (endsWith(".svg"))
        return kavren::Format::Svg;
    if (endsWith(".eps"))
        return kavren::Format::Eps;
    return kavren::Format::Png;
}

const char* ErrorMessage(int code)
{
    // The library's messages are static, NUL-terminated texts.
    return kavren::StatusMessage(static_cast<Status>(code)).data();
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
