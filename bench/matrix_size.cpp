// Symbol sizes over the matrix corpus: kavren's Data Matrix against libdmtx's
// best scheme (what `dmtxwrite -e b` encodes) and zint's (`zint -b 71`), and
// kavren's QR Code version against libqrencode's at each error correction
// level. All square Data Matrix sizes, as each program chooses by default
// (zint is given --square: its default also takes the rectangles).
//
//   bench_matrix_size CORPUS [ZINT]     (ZINT default: zint on the PATH)
//
// Prints each input where kavren's symbol is larger than a peer's, then one
// summary line per comparison of the fields
//   compared, smaller, equal, larger (kavren against the peer), peer_failed
//   (the peer wrote nothing or failed the input kavren encoded),
//   kavren_failed (kavren failed what the peer encoded), both_failed.
// Exits 1 when kavren is larger anywhere, 2 when the corpus cannot be read.
#include <kavren/kavren.h>

#include <dmtx.h>
#include <qrencode.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Input {
    bool gs1 = false;
    std::string data; // bytes; GS1 in the bracketed form
    int line = 0;
};

int HexDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The corpus format of bench_matrix_corpus: "text " or "gs1 ", then the data
// with "\\" and "\xHH" escapes.
bool ReadCorpus(const char* path, std::vector<Input>& inputs)
{
    std::ifstream file(path, std::ios::binary);
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        Input input;
        input.line = number;
        const std::size_t space = line.find(' ');
        if (space == std::string::npos)
            return false;
        input.gs1 = line.compare(0, space, "gs1") == 0;
        for (std::size_t i = space + 1; i < line.size(); ++i) {
            if (line[i] != '\\') {
                input.data += line[i];
            } else if (i + 1 < line.size() && line[i + 1] == '\\') {
                input.data += '\\';
                ++i;
            } else if (i + 3 < line.size() && line[i + 1] == 'x' && HexDigit(line[i + 2]) >= 0 && HexDigit(line[i + 3]) >= 0) {
                input.data += static_cast<char>(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3]));
                i += 3;
            } else {
                return false;
            }
        }
        inputs.push_back(std::move(input));
    }
    return !inputs.empty();
}

// The GS1 element string of bracketed data as a reader transmits it: AIs and
// data with GS after each element of variable length but the last. The AIs
// of predefined length are the GS1 General Specifications' table 5.10.1-1,
// by their first two digits.
std::string ElementString(const std::string& bracketed)
{
    static constexpr std::array<const char*, 22> kPredefined{"00", "01", "02", "03", "04", "11", "12", "13",
                                                             "14", "15", "16", "17", "18", "19", "20", "31",
                                                             "32", "33", "34", "35", "36", "41"};
    std::string out;
    bool variable = false;
    for (std::size_t i = 0; i < bracketed.size();) {
        const std::size_t close = bracketed.find(')', i);
        const std::string ai = bracketed.substr(i + 1, close - i - 1);
        std::size_t next = bracketed.find('(', close);
        if (next == std::string::npos)
            next = bracketed.size();
        if (variable)
            out += '\x1d';
        out += ai + bracketed.substr(close + 1, next - close - 1);
        variable = true;
        for (const char* p : kPredefined)
            variable = variable && ai.compare(0, 2, p) != 0;
        i = next;
    }
    return out;
}

// kavren's symbol: Data Matrix rows, or the QR Code version; 0 on failure.
int KavrenSize(const Input& input, kavren::Symbology symbology, kavren::Options::EcLevel level)
{
    kavren::Options options;
    options.symbology = symbology;
    options.data = input.data;
    options.ecLevel = level;
    const kavren::Encoding encoding = kavren::Encode(options);
    if (!encoding)
        return 0;
    const int side = static_cast<int>(encoding.symbol.height);
    return symbology == kavren::Symbology::QrCode ? (side - 17) / 4 : side;
}

// libdmtx with its best scheme, square sizes, FNC1 written as GS for GS1 data.
int DmtxRows(const Input& input)
{
    std::string data = input.gs1 ? "\x1d" + ElementString(input.data) : input.data;
    DmtxEncode* encode = dmtxEncodeCreate();
    dmtxEncodeSetProp(encode, DmtxPropScheme, DmtxSchemeAutoBest);
    dmtxEncodeSetProp(encode, DmtxPropSizeRequest, DmtxSymbolSquareAuto);
    dmtxEncodeSetProp(encode, DmtxPropModuleSize, 1);
    dmtxEncodeSetProp(encode, DmtxPropMarginSize, 0);
    if (input.gs1)
        dmtxEncodeSetProp(encode, DmtxPropFnc1, 0x1d);
    int rows = 0;
    if (dmtxEncodeDataMatrix(encode, static_cast<int>(data.size()),
                             reinterpret_cast<unsigned char*>(data.data())) == DmtxPass)
        rows = encode->region.symbolRows;
    dmtxEncodeDestroy(&encode);
    return rows;
}

// zint's square Data Matrix: the rows of its --dump output; 0 on failure.
int ZintRows(const Input& input, const char* zint)
{
    std::vector<std::string> args{zint, "-b", "71", "--square", "--dump"};
    if (input.gs1) {
        args.insert(args.end(), {"--gs1", "--gs1parens"});
    } else {
        args.emplace_back("--binary");
    }
    args.emplace_back("-d");
    args.push_back(input.data);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", 0, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, zint, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    int rows = 0;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        for (ssize_t i = 0; i < got; ++i)
            rows += buffer[i] == '\n';
    close(out[0]);
    int status = 1;
    if (spawned == 0)
        waitpid(pid, &status, 0);
    // zint exits 0, or with a warning (below 5) when it still wrote a symbol.
    return spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) < 5 ? rows : 0;
}

int QrencodeVersion(const Input& input, QRecLevel level)
{
    QRcode* code = QRcode_encodeString(input.data.c_str(), 0, level, QR_MODE_8, 1);
    const int version = code ? code->version : 0;
    QRcode_free(code);
    return version;
}

struct CTally {
    const char* name;
    int compared = 0, smaller = 0, equal = 0, larger = 0, peerFailed = 0, kavrenFailed = 0, bothFailed = 0;

    void Add(const Input& input, int kavren, int peer)
    {
        if (kavren == 0 || peer == 0) {
            (kavren == 0 && peer == 0 ? bothFailed : kavren == 0 ? kavrenFailed : peerFailed) += 1;
            if (kavren == 0 && peer != 0)
                std::printf("kavren failed: %s, line %d (%zu bytes), peer %d\n", name, input.line, input.data.size(), peer);
            return;
        }
        ++compared;
        if (kavren < peer)
            ++smaller;
        else if (kavren == peer)
            ++equal;
        else
            ++larger, std::printf("larger: %s, line %d (%zu bytes): kavren %d, peer %d\n", name, input.line,
                                  input.data.size(), kavren, peer);
    }

    void Print() const
    {
        std::printf("%s compared=%d smaller=%d equal=%d larger=%d peer_failed=%d kavren_failed=%d both_failed=%d\n",
                    name, compared, smaller, equal, larger, peerFailed, kavrenFailed, bothFailed);
    }
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<Input> inputs;
    if (argc < 2 || !ReadCorpus(argv[1], inputs)) {
        std::fprintf(stderr, "usage: bench_matrix_size CORPUS [ZINT] (a corpus of bench_matrix_corpus)\n");
        return 2;
    }
    const char* zint = argc > 2 ? argv[2] : "zint";
    CTally dmtx{"datamatrix/libdmtx-best"};
    CTally zintDm{"datamatrix/zint"};
    static constexpr std::array<kavren::Options::EcLevel, 4> kLevels{
        kavren::Options::EcLevel::L, kavren::Options::EcLevel::M, kavren::Options::EcLevel::Q,
        kavren::Options::EcLevel::H};
    std::array<CTally, 4> qr{{{"qr-L/libqrencode"}, {"qr-M/libqrencode"}, {"qr-Q/libqrencode"}, {"qr-H/libqrencode"}}};
    for (const Input& input : inputs) {
        const kavren::Symbology dm = input.gs1 ? kavren::Symbology::Gs1DataMatrix : kavren::Symbology::DataMatrix;
        const int rows = KavrenSize(input, dm, kavren::Options::EcLevel::M);
        dmtx.Add(input, rows, DmtxRows(input));
        zintDm.Add(input, rows, ZintRows(input, zint));
        // QR Code: every input as bytes (libqrencode has no GS1 mode).
        for (std::size_t l = 0; l < kLevels.size(); ++l)
            qr[l].Add(input, KavrenSize(input, kavren::Symbology::QrCode, kLevels[l]),
                      QrencodeVersion(input, static_cast<QRecLevel>(l)));
    }
    std::printf("inputs=%zu\n", inputs.size());
    dmtx.Print();
    zintDm.Print();
    bool larger = dmtx.larger > 0 || zintDm.larger > 0;
    for (const CTally& t : qr) {
        t.Print();
        larger = larger || t.larger > 0;
    }
    return larger ? 1 : 0;
}
