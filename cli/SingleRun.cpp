#include "cli/SingleRun.h"

#include "cli/OutputFile.h"
#include "kavren/kavren.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace {

constexpr const char* Banner = "kavren Version 1.5 (c) 2026 the kavren developers";

// The file statuses are the command line's own; the others come from the library.
using kavren::Status;
constexpr int InvalidText = static_cast<int>(Status::InvalidText);
constexpr int Ok = static_cast<int>(Status::Ok);
constexpr int CantOpenFile = static_cast<int>(Status::CantOpenFile);
constexpr int CantCloseFile = static_cast<int>(Status::CantCloseFile);

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

} // namespace

void PrintLine(FILE* stream, const char* text)
{
    std::fputs(text, stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void PrintBanner(FILE* stream)
{
    PrintLine(stream, Banner);
}

// Renders straight into the output, which is opened only when the barcode
// is drawn and its first bytes come: a failed render touches no file.
Written WriteBarcode(const RunOptions& options, std::string_view data, const char* path)
{
    OutputTarget target; // a name of the user's own
    target.path = path;
    return WriteBarcode(options, data, target);
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
    PrintBanner(stderr);
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
