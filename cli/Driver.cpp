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

namespace {

constexpr const char* ProgramName = "kavren";
constexpr const char* Banner = "kavren Version 1.5 (c) 2026 the kavren developers";

// The file statuses are the command line's own; the others come from the library.
using kavren::Status;
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

enum class ParseResult { Run, Help, Version, Error };

// Reads options up to the end of the options; an action (help, version) or
// an error ends the reading at once.
ParseResult ReadOptions(int argc, char* argv[], RunOptions& options, BatchSettings& batch)
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
        if (option && option->kind == ValueKind::Flag) {
            ApplyOption(*option, nullptr, options);
            continue;
        }
        if (!option || option->kind == ValueKind::None || !g_optArg)
            return ParseResult::Error;
        if (!ApplyBatchOption(*option, g_optArg, batch))
            ApplyOption(*option, g_optArg, options);
    }
}

int MakeBarcode(const RunOptions& options, const char* path)
{
    const CTakeFatalSignals signals;
    const Written written = WriteBarcode(options, options.data, path);
    return written.status == Ok ? Ok : PrintFailure(written.status, written.detail);
}

int Run(int argc, char* argv[])
{
    ResetGetOpt();
    RunOptions options;
    options.format = FormatFromFileName;
    BatchSettings batch;
    switch (ReadOptions(argc, argv, options, batch)) {
    case ParseResult::Help: return PrintUsage(stdout, 0);
    case ParseResult::Version: PrintLine(stdout, Banner); return Ok;
    case ParseResult::Error: return PrintUsage(stderr, 1);
    case ParseResult::Run: break;
    }
    if (g_optIndex >= argc || !argv[g_optIndex])
        return PrintFailure(NoFileName);
    if (batch.file)
        return RunBatch(options, batch, argv[g_optIndex]);
    return MakeBarcode(options, argv[g_optIndex]);
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
        named.format = FileNameFormat(target.path);
        return WriteBarcode(named, data, target);
    }
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
        return {CantOpenFile, output->Detail()};
    if (!result && result.status == Status::CantCloseFile && output)
        return {CantCloseFile, output->Detail()}; // the write failed: a partial file is discarded
    if (!result)
        return {static_cast<int>(result.status), result.detail};
    // A full disk may show only when the last bytes are written.
    if (!output || !output->Commit())
        return {CantCloseFile, output ? output->Detail() : std::string()};
    return {Ok, {}};
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
