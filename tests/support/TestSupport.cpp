#include "tests/support/TestSupport.h"

#include "symbologies/Symbologies.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

extern char** environ;

namespace kt {
namespace {

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

const std::string& ScratchDir()
{
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kavren-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return dir;
}

int DecodeStatus(int raw)
{
    if (WIFEXITED(raw))
        return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw))
        return 128 + WTERMSIG(raw);
    return -1;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

} // namespace

RunResult RunKavren(const std::vector<std::string>& args)
{
    static int counter = 0;
    const std::string base = ScratchDir() + "/run" + std::to_string(++counter);
    const std::string outPath = base + ".out";
    const std::string errPath = base + ".err";

    std::vector<std::string> argStore;
    argStore.reserve(args.size() + 1);
    argStore.emplace_back(KAVREN_BINARY);
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    RunResult result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int raw = 0;
        waitpid(pid, &raw, 0);
        result.status = DecodeStatus(raw);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}

RunResult RunCommand(const std::string& commandLine)
{
    RunResult result;
    FILE* pipe = popen((commandLine + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    result.status = DecodeStatus(pclose(pipe));
    return result;
}

std::string ScratchPath(const std::string& name)
{
    return ScratchDir() + "/" + name;
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

namespace {

const SymbologySample Samples[] = {
    {TYPE_INTERL25, "1234", "", ""},
    {TYPE_INDUSTR25, "1234", "", ""},
    {TYPE_CODE39, "AB", "C", "ABCXYZ -.$/+%"},
    {TYPE_CODE39EXT, "ab", "c", "abcXYZ !\"#&'()*,:;<=>?@[\\]^_`{|}"},
    {TYPE_CODE11, "12", "3", "-"},
    {TYPE_CODABAR, "A12", "3B", "-$:/.+"},
    {TYPE_MSI, "1234", "", ""},
    {TYPE_CODE128, "ab", "12", "abcXYZ !\"#&'()*,:;<=>?@[\\]^_`{|}~"},
    {TYPE_EAN2, "1", "", ""},
    {TYPE_EAN5, "1234", "", ""},
    {TYPE_EAN8, "123456", "", ""},
    {TYPE_EAN13, "40063813339", "", ""},
    {TYPE_EAN14, "123456789012", "", ""},
    {TYPE_UPCA, "0360002914", "", ""},
    {TYPE_UPCE, "0421000052", "", ""},
    {TYPE_UCCEAN128, "<AI10>A", "1", "abcXYZ !\"#&'()*,:;=?@[\\]^_`{|}~"},
    {TYPE_SSCC18, "001234567890123456", "", ""},
    {TYPE_POSTNET, "1234", "", ""},
    {TYPE_PLANET, "1234567890", "", ""},
    {TYPE_CODE93, "AB", "C", "ABCXYZ -.$/+%"},
    {TYPE_CODE93EXT, "ab", "c", "abcXYZ !\"#&'()*,:;<=>?@[\\]^_`{|}"},
    {TYPE_ITF14, "123456789012", "", ""},
    {TYPE_DATAMATRIX, "ab", "c", "abcXYZ !\"#&'()*,:;<=>?@[\\]^_`{|}~"},
    {TYPE_GS1_DATAMATRIX, "(10)A", "", ""},
    {TYPE_QR, "ab", "c", "abcXYZ !\"#&'()*,:;<=>?@[\\]^_`{|}~"},
    {TYPE_GS1_QR, "(10)A", "", ""},
    {TYPE_MICRO_QR, "12", "3", "ABCXYZ $%*+-./:"},
    {TYPE_IMB, "0123456709498765432", "", ""},
    {TYPE_RM4SCC, "SN34RD", "A", "ABCXYZ"},
    {TYPE_KIX, "2500GG", "0", "ABCXYZ"},
    {TYPE_AUSPOST, "1234567", "", ""},
    {TYPE_AUSPOST_REPLY, "1234567", "", ""},
    {TYPE_AUSPOST_ROUTING, "1234567", "", ""},
    {TYPE_AUSPOST_REDIRECT, "1234567", "", ""},
    {TYPE_DATABAR, "095011015300", "", ""},
    {TYPE_DATABAR_TRUNCATED, "095011015300", "", ""},
    {TYPE_DATABAR_STACKED, "095011015300", "", ""},
    {TYPE_DATABAR_STACKED_OMNI, "095011015300", "", ""},
    {TYPE_DATABAR_EXPANDED, "(10)A", "", "abcXYZ !\"%&'()*+,-./:;<=>?_"},
    {TYPE_DATABAR_EXPANDED_STACKED, "(10)A", "", "abcXYZ !\"%&'()*+,-./:;<=>?_"},
};

} // namespace

std::vector<SymbologySample> SymbologySamples()
{
    std::vector<SymbologySample> samples;
    for (const SymbologyRow& row : Symbologies()) {
        const auto* sample = std::find_if(std::begin(Samples), std::end(Samples),
                                          [&](const SymbologySample& s) { return s.type == row.type; });
        if (sample == std::end(Samples))
            ADD_FAILURE() << "no test sample for symbology " << row.type << " (" << row.name << ")";
        else
            samples.push_back(*sample);
    }
    return samples;
}

std::uint32_t Raster::At(int x, int y) const
{
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return rgb[i] | (rgb[i + 1] << 8) | (rgb[i + 2] << 16);
}

bool ReadPng(const std::string& path, Raster& out)
{
    // The stored bytes as they are: no gamma or colour conversion, since the
    // program writes a gAMA chunk that a converting reader would apply.
    out = Raster{};
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        const png_uint_32 width = png_get_image_width(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB && png_get_bit_depth(png, info) == 8) {
            png_bytepp rows = png_get_rows(png, info);
            out.width = static_cast<int>(width);
            out.height = static_cast<int>(height);
            out.rgb.resize(static_cast<size_t>(width) * height * 3);
            for (png_uint_32 y = 0; y < height; ++y)
                std::copy(rows[y], rows[y] + static_cast<size_t>(width) * 3,
                          out.rgb.begin() + static_cast<long>(static_cast<size_t>(y) * width * 3));
            ok = true;
        }
    }
    png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
    std::fclose(file);
    if (!ok)
        out = Raster{};
    return ok;
}

std::vector<std::string> Zbar(const std::string& path)
{
    return Lines(RunCommand("zbarimg -q " + ShellQuote(path)).out);
}

std::vector<std::string> ZXing(const std::string& path, const std::string& options)
{
    return Lines(RunCommand("ZXingReader -1 -escape " + options + " " + ShellQuote(path)).out);
}

std::vector<std::string> ZXingTexts(const std::string& path, const std::string& options)
{
    std::vector<std::string> texts;
    const std::string prefix = path + " ";
    for (const auto& line : ZXing(path, options)) {
        std::string text = line;
        if (text.rfind(prefix, 0) == 0)
            text = text.substr(prefix.size());
        else if (text.rfind(path + ":", 0) == 0)
            text = text.substr(path.size() + 1);
        while (!text.empty() && text.front() == ' ')
            text.erase(text.begin());
        texts.push_back(text);
    }
    return texts;
}

namespace {

bool IsDark(std::uint32_t c, std::uint32_t dark, std::uint32_t light)
{
    auto dist = [](std::uint32_t a, std::uint32_t b) {
        long d = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const long v = static_cast<long>((a >> shift) & 0xff) - static_cast<long>((b >> shift) & 0xff);
            d += v * v;
        }
        return d;
    };
    return dist(c, dark) < dist(c, light);
}

template <typename PixelAt>
std::vector<Run> Runs(int count, PixelAt at, std::uint32_t dark, std::uint32_t light)
{
    std::vector<Run> runs;
    for (int i = 0; i < count; ++i) {
        const bool d = IsDark(at(i), dark, light);
        if (runs.empty() || runs.back().dark != d)
            runs.push_back(Run{d, 0});
        ++runs.back().length;
    }
    return runs;
}

} // namespace

std::vector<Run> RowRuns(const Raster& r, int y, std::uint32_t dark, std::uint32_t light)
{
    return Runs(
        r.width, [&](int i) { return r.At(i, y); }, dark, light);
}

std::vector<Run> ColumnRuns(const Raster& r, int x, std::uint32_t dark, std::uint32_t light)
{
    return Runs(
        r.height, [&](int i) { return r.At(x, i); }, dark, light);
}

std::vector<Run> TrimToBars(const std::vector<Run>& runs)
{
    size_t first = 0;
    while (first < runs.size() && !runs[first].dark)
        ++first;
    size_t last = runs.size();
    while (last > first && !runs[last - 1].dark)
        --last;
    return {runs.begin() + static_cast<long>(first), runs.begin() + static_cast<long>(last)};
}

std::string ModuleString(const std::vector<Run>& runs, int moduleWidth)
{
    std::string s;
    for (const auto& run : runs) {
        if (moduleWidth <= 0 || run.length % moduleWidth != 0 || run.length / moduleWidth > 9)
            s += '?';
        else
            s += static_cast<char>('0' + run.length / moduleWidth);
    }
    return s;
}

Raster Upright(const Raster& r, int orientation)
{
    const bool turned = orientation == 90 || orientation == 270;
    Raster out;
    out.width = turned ? r.height : r.width;
    out.height = turned ? r.width : r.height;
    out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            int sx = x;
            int sy = y;
            switch (orientation) {
            case 90: sx = y, sy = r.height - 1 - x; break;
            case 180: sx = r.width - 1 - x, sy = r.height - 1 - y; break;
            case 270: sx = r.width - 1 - y, sy = x; break;
            default: break;
            }
            const auto from = r.rgb.begin() + (static_cast<long>(sy) * r.width + sx) * 3;
            std::copy(from, from + 3, out.rgb.begin() + (static_cast<long>(y) * out.width + x) * 3);
        }
    }
    return out;
}

} // namespace kt
