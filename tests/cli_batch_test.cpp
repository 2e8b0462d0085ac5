// Batch runs: file names from the pattern and from TAB lines, line numbers
// that count empty lines, CRLF files, standard input, failures that do not
// stop the batch, and images equal to single runs, with one and two jobs.
#include "cli/Batch.h"
#include "cli/OutputFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct PatternCase {
    const char* pattern;
    std::uint64_t line;
    const char* name;
};

const PatternCase PatternCases[] = {
    {"label-####.png", 7, "label-0007.png"},     // a run of # is the line number, padded to its length
    {"label-#.png", 1234, "label-1234.png"},     // a longer number is written whole
    {"a##b###.png", 5, "a05b005.png"},           // every run counts
    {"label.png", 7, "label-7.png"},             // no #: -N before the extension
    {"label.tar.gz", 3, "label.tar-3.gz"},       // before the last extension
    {"label", 3, "label-3"},                     // no extension: -N at the end
    {"out.d/label", 2, "out.d/label-2"},         // a dot in a folder is no extension
    {"dir/.hidden", 2, "dir/.hidden-2"},         // a leading dot starts no extension
    {"run#1/label.png", 4, "run#1/label-4.png"}, // # in a folder stays
};

TEST(BatchNames, FromPattern)
{
    for (const PatternCase& c : PatternCases)
        EXPECT_EQ(PatternName(c.pattern, c.line), c.name) << c.pattern;
}

// The batch rows' samples reach the batch settings, and a --jobs value out
// of its range is ignored, as every option's is.
TEST(BatchOptions, SamplesAndRange)
{
    BatchSettings batch;
    for (const OptionSpec& row : OptionTable()) {
        if (row.id == BatchOption || row.id == JobsOption) {
            EXPECT_TRUE(ApplyBatchOption(row, row.sample, batch)) << row.longName;
        }
    }
    EXPECT_EQ(batch.file, "labels.txt");
    EXPECT_EQ(batch.jobs, 2);
    for (const char* ignored : {"0", "-3", "257", "x"})
        ApplyBatchOption(*FindOption(JobsOption), ignored, batch);
    EXPECT_EQ(batch.jobs, 2);
    EXPECT_FALSE(ApplyBatchOption(*FindOption('x'), "5", batch)); // the library's options are not its own
}

// A fresh, empty folder for one case.
std::string Folder(const std::string& name)
{
    const std::string dir = kt::ScratchPath(name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            names.push_back(fs::relative(e.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
}

// The pixels of a single run with the same options and data.
bool SameAsSingleRun(const std::string& path, const Args& options, const std::string& data)
{
    const std::string single = kt::ScratchPath("single.png");
    Args args = options;
    args.insert(args.end(), {"-d", data, single});
    kt::Raster a;
    kt::Raster b;
    return kt::RunKavren(args).status == 0 && kt::ReadPng(path, a) && kt::ReadPng(single, b) &&
           a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

class Batch : public testing::TestWithParam<const char*> {
  protected:
    kt::RunResult Run(Args args) const
    {
        args.insert(args.begin(), {"--jobs", GetParam()});
        return kt::RunKavren(args);
    }
};

// Names from the pattern and from TAB lines, an empty line that still counts,
// CRLF line ends, and failures in the middle that the batch goes past.
TEST_P(Batch, NamesFailuresAndLineNumbers)
{
    const std::string dir = Folder(std::string("mixed") + GetParam());
    fs::create_directory(dir + "/sub");
    WriteFile(dir + "/in.txt", "400638133393\r\n"             // 1: label-001.png
                               "\n"                           // 2: skipped, still counted
                               "12a\xff\r\n"                  // 3: invalid for EAN-13 (status 6)
                               "own.png\t590123412345\r\n"    // 4: its own name
                               "\r\n"                         // 5: empty once the CR goes
                               "../out.png\t1\n"              // 6: refused: leaves the folder
                               "/tmp/abs.png\t1\n"            // 7: refused: absolute
                               "\t1\n"                        // 8: refused: no name
                               "sub/deep.png\t978020137962\n" // 9: a folder below
                               "123456789012");               // 10: no newline at the end
    const kt::RunResult r = Run({"-t", "11", "--batch", dir + "/in.txt", dir + "/label-###.png"});
    EXPECT_EQ(r.status, 6); // line 3's, the first failure
    EXPECT_EQ(r.err, "line 3: Error: Invalid barcode text.\n"
                     "line 3: 'a' at position 3: EAN-13 takes 12 or 13 digits\n"
                     "line 6: Error: Cant open output file.\n"
                     "line 6: ../out.png: the name must stay inside the output folder (no leading '/', no "
                     "'..')\n"
                     "line 7: Error: Cant open output file.\n"
                     "line 7: /tmp/abs.png: the name must stay inside the output folder (no leading '/', "
                     "no '..')\n"
                     "line 8: Error: Output file name cant be empty.\n"
                     "4 of 8 barcodes written\n");
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"in.txt", "label-001.png", "label-010.png", "own.png",
                                                      "sub/deep.png"}));
    EXPECT_FALSE(kt::FileExists(kt::ScratchPath("out.png")));
    EXPECT_TRUE(SameAsSingleRun(dir + "/own.png", {"-t", "11"}, "590123412345"));
    EXPECT_TRUE(SameAsSingleRun(dir + "/sub/deep.png", {"-t", "11"}, "978020137962"));
    EXPECT_EQ(kt::Zbar(dir + "/label-010.png"), (std::vector<std::string>{"EAN-13:1234567890128"}));
}

// Every image equals the single run's, for options that change the drawing.
TEST_P(Batch, ImagesEqualSingleRuns)
{
    const std::string dir = Folder(std::string("same") + GetParam());
    std::string lines;
    for (int i = 0; i < 12; ++i)
        lines += std::to_string(100000 + i * 7919) + "\n";
    WriteFile(dir + "/in.txt", lines);
    const Args options = {"-o", "90", "-n", "3", "-b", "ffff00", "-p", "1"};
    Args args = options;
    args.insert(args.end(), {"-d", "ignored", "--batch", dir + "/in.txt", dir + "/c.png"});
    const kt::RunResult r = Run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "12 of 12 barcodes written\n");
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(SameAsSingleRun(dir + "/c-" + std::to_string(i + 1) + ".png", options,
                                    std::to_string(100000 + i * 7919)))
            << "line " << i + 1;
}

// A batch keeps the font, its sizes and its glyphs from line to line; every
// printable character, in two orders (other sub-pixel pen positions), still
// draws as in a run of its own: SVG byte for byte, PNG pixel for pixel, with
// rotated, spread and end-aligned text.
TEST_P(Batch, KeptGlyphsDrawAsAFreshFont)
{
    const std::string dir = Folder(std::string("glyphs") + GetParam());
    std::vector<std::string> texts;
    for (int first = '!'; first <= '~'; first += 16) {
        std::string text;
        for (int c = first; c < first + 16 && c <= '~'; ++c)
            text += static_cast<char>(c);
        texts.push_back(text);
        texts.emplace_back(text.rbegin(), text.rend());
    }
    std::string lines;
    for (std::size_t i = 0; i < texts.size(); ++i)
        lines.append("t").append(std::to_string(i)).append(".out\t").append(texts[i]).append("\n");
    WriteFile(dir + "/in.txt", lines);
    const Args kinds[] = {
        {"-t", "7", "--format", "svg", "-o", "90", "-m", "9"},
        {"-t", "7", "-l", "3", "-x", "900", "-o", "180"},
        {"-t", "7", "-l", "1", "-x", "700", "-m", "15"},
    };
    for (const Args& options : kinds) {
        Args args = options;
        args.insert(args.end(), {"--batch", dir + "/in.txt", dir + "/x"});
        ASSERT_EQ(Run(args).status, 0);
        const bool svg = options[3] == "svg";
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const std::string path = dir + "/t" + std::to_string(i) + ".out";
            if (!svg) {
                EXPECT_TRUE(SameAsSingleRun(path, options, texts[i])) << texts[i];
                continue;
            }
            Args single = options;
            single.insert(single.end(), {"-d", texts[i], dir + "/single.svg"});
            ASSERT_EQ(kt::RunKavren(single).status, 0);
            EXPECT_EQ(kt::ReadFile(path), kt::ReadFile(dir + "/single.svg")) << texts[i];
        }
    }
}

// Two lines naming one file leave the later line's image, as in order.
TEST_P(Batch, LaterLineWinsTheName)
{
    const std::string dir = Folder(std::string("twice") + GetParam());
    std::string lines;
    for (int i = 1; i <= 20; ++i)
        lines += "x.png\t" + std::to_string(i) + "\n";
    WriteFile(dir + "/in.txt", lines);
    ASSERT_EQ(Run({"--batch", dir + "/in.txt", dir + "/p.png"}).status, 0);
    EXPECT_EQ(kt::Zbar(dir + "/x.png"), (std::vector<std::string>{"CODE-128:20"}));
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"in.txt", "x.png"}));
}

// Standard input as the batch file; a name without a folder goes to the
// working folder.
TEST_P(Batch, StandardInput)
{
    const std::string dir = Folder(std::string("stdin") + GetParam());
    const kt::RunResult r = kt::RunCommand(
        "cd '" + dir + "' && printf '11\\n\\n13\\r\\nown\\t14\\n' | '" KAVREN_BINARY "' --jobs " +
        GetParam() + " --batch - n-##.png 2>&1; echo status=$?");
    EXPECT_EQ(r.out, "3 of 3 barcodes written\nstatus=0\n");
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"n-01.png", "n-03.png", "own"}));
}

// A signal in the middle of a batch: the run ends by it, the images already
// written are whole, and no temporary file of the images in progress stays.
TEST_P(Batch, SignalLeavesNoTemporaryFiles)
{
    const std::string dir = Folder(std::string("signal") + GetParam());
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "Interrupted " + std::to_string(i) + "\n";
    WriteFile(dir + "/in.txt", lines);
    std::vector<std::string> store{
        KAVREN_BINARY, "--jobs",        GetParam(),          "-x", "4000", "-y", "2000",
        "--batch",     dir + "/in.txt", dir + "/big-###.png"};
    std::vector<char*> argv;
    for (auto& a : store)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // Wait until a temporary file exists, then interrupt.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const auto temporary = [&] {
        const std::vector<std::string> names = Entries(dir);
        return std::any_of(names.begin(), names.end(),
                           [](const std::string& n) { return n.starts_with(".kavren-"); });
    };
    while (!temporary() && std::chrono::steady_clock::now() < deadline && waitpid(pid, nullptr, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    for (const std::string& name : Entries(dir)) {
        EXPECT_FALSE(name.starts_with(".kavren-")) << name;
        kt::Raster picture;
        EXPECT_TRUE(name == "in.txt" || kt::ReadPng(dir + "/" + name, picture)) << name;
    }
}

// What the batch's files are given, under a umask that clears bits: a new
// file gets 0666 less the umask (or what the folder's default ACL gives), a
// replaced one keeps its own mode.
TEST_P(Batch, ModesFollowTheUmaskOrAreKept)
{
    struct Row {
        const char* name;
        mode_t before; // 0: no file yet
        mode_t after;
        mode_t afterAcl; // in a folder whose default ACL gives 0664
    };
    const Row rows[] = {
        {"new.png", 0, 0640, 0664},     // 0666 less the umask 027, or the ACL's
        {"kept.png", 0644, 0644, 0644}, // the umask clears none of it
        {"open.png", 0666, 0666, 0666}, // the umask (or the ACL) would clear some of it
        {"own.png", 0600, 0600, 0600},
        {"exec.png", 0740, 0740, 0740}, // the umask keeps it, the ACL would clear u+x
    };
    for (const bool acl : {false, true}) {
        const std::string dir = Folder(std::string(acl ? "acl" : "modes") + GetParam());
        if (acl && kt::RunCommand("setfacl -d -m u::rw,g::rw,o::r '" + dir + "'").status != 0) {
            std::printf("default ACLs not tried: setfacl is missing or the file system has none\n");
            continue;
        }
        std::string lines;
        for (const Row& row : rows) {
            const std::string path = dir + "/" + row.name;
            if (row.before) {
                WriteFile(path, "old");
                ASSERT_EQ(chmod(path.c_str(), row.before), 0);
            }
            lines += std::string(row.name) + "\tModes\n";
        }
        WriteFile(dir + "/in.txt", lines);
        const kt::RunResult r =
            kt::RunCommand("umask 027 && '" KAVREN_BINARY "' --jobs " + std::string(GetParam()) + " --batch '" +
                           dir + "/in.txt' '" + dir + "/p.png'");
        ASSERT_EQ(r.status, 0);
        for (const Row& row : rows) {
            struct stat st {};
            ASSERT_EQ(stat((dir + "/" + row.name).c_str(), &st), 0) << row.name;
            EXPECT_EQ(st.st_mode & 07777, acl ? row.afterAcl : row.after) << row.name << " acl " << acl;
            EXPECT_EQ(kt::Zbar(dir + "/" + row.name), (std::vector<std::string>{"CODE-128:Modes"})) << row.name;
        }
    }
}

// In a folder whose new files take its group, a replaced file keeps its own
// group (here the user's, which a new file would not get) and a new one
// takes the folder's, as a plain creation gives it.
TEST_P(Batch, GroupIsKeptInASetGroupIdFolder)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give the folder a group of its choice";
    const std::string dir = Folder(std::string("setgid") + GetParam());
    WriteFile(dir + "/in.txt", "kept.png\t1\nnew.png\t2\n");
    WriteFile(dir + "/kept.png", "old");
    ASSERT_EQ(chown(dir.c_str(), static_cast<uid_t>(-1), 4322), 0);
    ASSERT_EQ(chmod(dir.c_str(), 02775), 0);
    ASSERT_EQ(Run({"--batch", dir + "/in.txt", dir + "/p.png"}).status, 0);
    struct stat kept {};
    struct stat made {};
    ASSERT_EQ(stat((dir + "/kept.png").c_str(), &kept), 0);
    ASSERT_EQ(stat((dir + "/new.png").c_str(), &made), 0);
    EXPECT_EQ(kept.st_gid, getegid());
    EXPECT_EQ(made.st_gid, 4322U);
    EXPECT_EQ(kt::Zbar(dir + "/kept.png"), (std::vector<std::string>{"CODE-128:1"}));
}

// A file-size limit: every previous file stays and no temporary file is
// left; with SIGXFSZ ignored or at its default, every line fails (status 13,
// the file and the reason) and the batch ends with its summary, whatever the
// number of jobs.
TEST_P(Batch, FileSizeLimitKeepsThePreviousFiles)
{
    for (const bool ignored : {true, false}) {
        SCOPED_TRACE(ignored ? "SIGXFSZ ignored" : "SIGXFSZ at its default");
        const std::string dir = Folder(std::string("limit") + GetParam());
        WriteFile(dir + "/in.txt", "Large\nLarge\n");
        WriteFile(dir + "/big-1.png", "the previous label");
        const std::string trap = ignored ? "trap '' XFSZ; " : "";
        const kt::RunResult r =
            kt::RunCommand("sh -c \"" + trap + "ulimit -f 1; exec 2>&1; exec '" KAVREN_BINARY "' --jobs " +
                           std::string(GetParam()) + " -x 2000 -y 2000 -n 1 --batch '" + dir + "/in.txt' '" +
                           dir + "/big.png'\"");
        EXPECT_EQ(r.status, 13);
        EXPECT_EQ(r.out, "line 1: Error: Cant close output file.\n"
                         "line 1: " +
                             dir +
                             "/big-1.png: File too large\n"
                             "line 2: Error: Cant close output file.\n"
                             "line 2: " +
                             dir +
                             "/big-2.png: File too large\n"
                             "0 of 2 barcodes written\n");
        EXPECT_EQ(kt::ReadFile(dir + "/big-1.png"), "the previous label");
        EXPECT_EQ(Entries(dir), (std::vector<std::string>{"big-1.png", "in.txt"}));
    }
}

// "@" in a row's text stands for its folder.
std::string AtFolder(std::string text, const std::string& dir)
{
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + dir.size()))
        text.replace(at, 1, dir);
    return text;
}

struct FaultCase {
    const char* what;
    std::vector<std::pair<const char*, const char*>> links; // planted: name in out/ -> target
    std::string lines;
    int status;
    const char* err;
    std::vector<std::pair<const char*, const char*>> after; // file under @ -> its code ("" absent)
};

// Planted links of every kind, other spellings of one name and too long or
// odd lines: each ends with its status, its message and known files. The
// folder holds out/ (the output folder, with out/in/) and outside/victim.png.
const FaultCase FaultCases[] = {
    {"a link to a file outside",
     {{"link.png", "../outside/victim.png"}},
     "link.png\t111\n",
     12,
     "line 1: Error: Cant open output file.\nline 1: @/out/link.png: a link leads out of the output folder\n"
     "0 of 1 barcodes written\n",
     {{"outside/victim.png", "CODE-128:victim"}}},
    {"a dangling absolute link",
     {{"dangling.png", "@/outside/new.png"}},
     "dangling.png\t222\n",
     12,
     "line 1: Error: Cant open output file.\nline 1: @/out/dangling.png: a link leads out of the output "
     "folder\n"
     "0 of 1 barcodes written\n",
     {{"outside/new.png", ""}}},
    {"a folder link outside",
     {{"subdir", "../outside"}},
     "subdir/inner.png\t333\n",
     12,
     "line 1: Error: Cant open output file.\nline 1: @/out/subdir/inner.png: a link leads out of the output "
     "folder\n0 of 1 barcodes written\n",
     {{"outside/inner.png", ""}}},
    {"a link in a folder climbing out",
     {{"in/up", "../../outside"}},
     "in/up/x.png\t4\n",
     12,
     "line 1: Error: Cant open output file.\nline 1: @/out/in/up/x.png: a link leads out of the output "
     "folder\n0 of 1 barcodes written\n",
     {{"outside/x.png", ""}}},
    {"a chain of links whose last leaves",
     {{"c1.png", "in/c2.png"}, {"in/c2.png", "../../outside/victim.png"}},
     "c1.png\t5\n",
     12,
     "line 1: Error: Cant open output file.\nline 1: @/out/c1.png: a link leads out of the output folder\n"
     "0 of 1 barcodes written\n",
     {{"outside/victim.png", "CODE-128:victim"}}},
    {"a link loop",
     {{"loop.png", "loop.png"}},
     "loop.png\t6\n",
     12,
     "line 1: Error: Cant open output file.\nline 1: @/out/loop.png: Too many levels of symbolic links\n"
     "0 of 1 barcodes written\n",
     {}},
    {"links inside the folder are followed",
     {{"inlink.png", "in/real.png"}, {"in/self", "../in"}},
     "inlink.png\t7\nin/self/deep.png\t8\n",
     0,
     "2 of 2 barcodes written\n",
     {{"out/in/real.png", "CODE-128:7"}, {"out/in/deep.png", "CODE-128:8"}}},
    {"other spellings of one file: the later line wins",
     {{"alias.png", "a.png"}, {"in/top", ".."}},
     "a.png\t" + std::string(3000, 'A') + "\n./a.png\t" + std::string(2000, 'B') + "\nin//top/a.png\t" +
         std::string(1000, 'C') + "\nalias.png\tSHORT\n",
     0,
     "4 of 4 barcodes written\n",
     {{"out/a.png", "CODE-128:SHORT"}}},
    {"a line past a mebibyte, then a short one",
     {},
     std::string(std::size_t{1} << 20, '1') + "2\n3\n",
     1,
     "line 1: Error: Invalid argument.\nline 1: the line is longer than 1048576 bytes\n1 of 2 barcodes "
     "written\n",
     {{"out/p-1.png", ""}, {"out/p-2.png", "CODE-128:3"}}},
    {"a NUL in a name",
     {},
     std::string("x\0y.png\t9\n", 10),
     12,
     "line 1: Error: Cant open output file.\nline 1: the name holds a NUL byte\n0 of 1 barcodes written\n",
     {{"out/x", ""}}},
    {"a line's warning names the line",
     {},
     "w.sgv\t5\n",
     0,
     "Warning: line 1: @/out/w.sgv: .sgv names no format kavren writes; written as PNG\n1 of 1 barcodes written\n",
     {{"out/w.sgv", "CODE-128:5"}}},
    {"a byte-order mark is skipped",
     {},
     "\xEF\xBB\xBF"
     "12345\n",
     0,
     "1 of 1 barcodes written\n",
     {{"out/p-1.png", "CODE-128:12345"}}},
};

TEST_P(Batch, FaultsEndWithAStatus)
{
    for (const FaultCase& c : FaultCases) {
        SCOPED_TRACE(c.what);
        const std::string dir = Folder(std::string("faults") + GetParam());
        fs::create_directories(dir + "/out/in");
        fs::create_directories(dir + "/outside");
        ASSERT_EQ(Run({"-d", "victim", dir + "/outside/victim.png"}).status, 0);
        for (const auto& [name, target] : c.links)
            ASSERT_EQ(symlink(AtFolder(target, dir).c_str(), (dir + "/out/" + name).c_str()), 0) << name;
        WriteFile(dir + "/in.txt", c.lines);
        const kt::RunResult r = Run({"--batch", dir + "/in.txt", dir + "/out/p.png"});
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, AtFolder(c.err, dir));
        for (const auto& [name, code] : c.after) {
            const std::string path = dir + "/" + name;
            if (*code == '\0')
                EXPECT_FALSE(kt::FileExists(path)) << name;
            else
                EXPECT_EQ(kt::Zbar(path), (std::vector<std::string>{code})) << name;
        }
        for (const auto& [name, target] : c.links) // the links stay links
            EXPECT_TRUE(fs::is_symlink(dir + "/out/" + name)) << name;
        EXPECT_EQ(Entries(dir + "/outside"), (std::vector<std::string>{"victim.png"}));
    }
}

// The kernel's beneath-only lookup and the walk one component at a time
// agree: links inside are followed, any way out is EXDEV.
TEST(BatchFolder, WalkBeneathStaysInside)
{
    const std::string dir = Folder("walk");
    fs::create_directories(dir + "/out/a/b");
    fs::create_directories(dir + "/outside");
    const std::pair<const char*, const char*> links[] = {
        {"out/a/up", ".."}, {"out/a/out", "../.."}, {"out/abs", "/tmp"}, {"out/a/b/side", "../../a"}};
    for (const auto& [name, target] : links)
        ASSERT_EQ(symlink(target, (dir + "/" + name).c_str()), 0);
    const int top = open((dir + "/out").c_str(), O_PATH | O_DIRECTORY);
    ASSERT_GE(top, 0);
    struct stat a {};
    ASSERT_EQ(stat((dir + "/out/a").c_str(), &a), 0);
    struct Case {
        const char* path;
        int error; // 0: reaches out/a
    };
    for (const Case c :
         {Case{"a", 0}, Case{"a/b/..", 0}, Case{"a/up/a", 0}, Case{"./a//b/side", 0}, Case{"a/out", EXDEV},
          Case{"..", EXDEV}, Case{"abs", EXDEV}, Case{"a/b/../../..", EXDEV}, Case{"none", ENOENT}}) {
        errno = 0;
        const int fd = WalkBeneath(top, c.path);
        struct stat st {};
        if (c.error == 0) {
            ASSERT_GE(fd, 0) << c.path << ": " << std::strerror(errno);
            ASSERT_EQ(fstat(fd, &st), 0);
            EXPECT_EQ(st.st_ino, a.st_ino) << c.path;
            close(fd);
        } else {
            EXPECT_EQ(fd, -1) << c.path;
            EXPECT_EQ(errno, c.error) << c.path;
        }
    }
    close(top);
}

// A failure every line would meet ends the batch at its first line with one
// message; the summary stays.
TEST_P(Batch, MissingOutputFolderStopsAtTheFirstLine)
{
    const std::string dir = Folder(std::string("nofolder") + GetParam());
    WriteFile(dir + "/in.txt", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
    const kt::RunResult r = Run({"--batch", dir + "/in.txt", dir + "/none/p.png"});
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.err, "line 1: Error: Cant open output file.\n"
                     "line 1: " +
                         dir +
                         "/none/p-1.png: No such file or directory\n"
                         "line 1: no line can be written into the output folder: the batch stops\n"
                         "0 of 1 barcodes written\n");
    EXPECT_FALSE(kt::FileExists(dir + "/none"));
}

// A line without end (/dev/zero) under a memory limit is refused as soon as
// it passes the limit and read on in constant memory (here until the time
// limit ends it), never taken for the end of the file.
TEST_P(Batch, EndlessLineUnderAMemoryLimit)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit";
#endif
    const std::string dir = Folder(std::string("zero") + GetParam());
    const kt::RunResult r =
        kt::RunCommand("sh -c \"ulimit -v 400000; exec 2>&1; exec timeout 3 '" KAVREN_BINARY "' --jobs " +
                       std::string(GetParam()) + " --batch /dev/zero '" + dir + "/z.png'\"");
    EXPECT_EQ(r.status, 124); // still reading when the time was up
    EXPECT_EQ(r.out, "line 1: Error: Invalid argument.\nline 1: the line is longer than 1048576 bytes\n");
    EXPECT_EQ(Entries(dir), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Jobs, Batch, testing::Values("1", "2"));

struct RefusedCase {
    Args args; // after --batch FILE
    int status;
    std::string err;
};

// Whole batches refused before any line.
TEST(BatchRefused, BeforeAnyLine)
{
    const std::string dir = Folder("refused");
    WriteFile(dir + "/in.txt", "1\n");
    const std::string banner = "kavren Version 1.5 (c) 2026 the kavren developers\n";
    const RefusedCase cases[] = {
        // standard output cannot take many images
        {{"-"},
         1,
         "Error: Invalid argument.\n--batch writes files: the output name cannot be '-' (standard output)\n"},
        // a folder or an empty name is no file, as in a single run
        {{dir + "/"}, 12, "Error: Cant open output file.\n" + dir + "/: Is a directory\n"},
        {{""}, 12, "Error: Cant open output file.\nNo such file or directory\n"},
        // the pattern is still required
        {{}, 11, "Error: Output file name cant be empty.\n"},
    };
    for (const RefusedCase& c : cases) {
        Args args = {"--batch", dir + "/in.txt"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const kt::RunResult r = kt::RunKavren(args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.err, banner + c.err);
    }
    const kt::RunResult folder = kt::RunKavren({"--batch", dir, dir + "/a.png"});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, banner + "Error: Invalid argument.\n--batch " + dir + ": Is a directory\n");
    const kt::RunResult missing = kt::RunKavren({"--batch", dir + "/none.txt", dir + "/a.png"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.txt: No such file or directory"), std::string::npos) << missing.err;
    // A FIFO that no program opens for writing ends the run after a bound.
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const kt::RunResult unwritten = kt::RunKavren({"--batch", fifo, dir + "/a.png"});
    EXPECT_EQ(unwritten.status, 1);
    EXPECT_EQ(unwritten.err, banner + "Error: Invalid argument.\n--batch " + fifo +
                                 ": no program opened the FIFO for writing within 10 seconds\n");
    ASSERT_EQ(unlink(fifo.c_str()), 0);
    EXPECT_EQ(Entries(dir), (std::vector<std::string>{"in.txt"}));
}

// An empty batch file writes nothing and succeeds.
TEST(BatchRefused, EmptyFileSucceeds)
{
    const std::string dir = Folder("empty");
    WriteFile(dir + "/in.txt", "\n\r\n\n");
    const kt::RunResult r = kt::RunKavren({"--batch", dir + "/in.txt", dir + "/a.png"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "0 of 0 barcodes written\n");
}

} // namespace

// On a terminal, a batch that has run a second shows its progress (count and
// rate; no time left for a pipe of unknown length) and clears the line before
// the summary. The lines come slowly through a pipe, so the second one is done
// after the first second whatever the machine's speed.
TEST(BatchProgress, ShownOnATerminalAndClearedForTheSummary)
{
    const std::string dir = Folder("progress");
    const std::string batch = "(echo 100001; sleep 1.3; echo 100002; sleep 0.3; echo 100003) | " +
                              std::string(KAVREN_BINARY) + " --jobs 1 --batch - " + dir + "/p.png";
    // script(1) runs the command on a pseudo-terminal and copies what it shows;
    // where none can be made (a chroot without /dev/pts) there is no terminal
    // to show progress on.
    const kt::RunResult probe = kt::RunCommand("script -qec true /dev/null </dev/null 2>&1");
    if (probe.status != 0)
        GTEST_SKIP() << "no pseudo-terminal can be made here: " << probe.out;
    const kt::RunResult r = kt::RunCommand("script -qec '" + batch + "' /dev/null </dev/null");
    ASSERT_EQ(r.status, 0) << "the program printed:\n" << r.out;
    const std::string clear = "\r\033[K";
    EXPECT_NE(r.out.find(clear + "2 barcodes, "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" per second"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(" left"), std::string::npos) << r.out;
    const std::string summary = clear + "3 of 3 barcodes written\r\n";
    ASSERT_GE(r.out.size(), summary.size());
    EXPECT_EQ(r.out.substr(r.out.size() - summary.size()), summary) << r.out;
}
