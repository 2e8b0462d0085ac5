// Batch runs: file names from the pattern and from TAB lines, line numbers
// that count empty lines, CRLF files, standard input, failures that do not
// stop the batch, and images equal to single runs, with one and two jobs.
#include "cli/Batch.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
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
        lines += "t" + std::to_string(i) + ".out\t" + texts[i] + "\n";
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
// file gets 0666 less the umask, a replaced one keeps its own mode.
TEST_P(Batch, ModesFollowTheUmaskOrAreKept)
{
    struct Row {
        const char* name;
        mode_t before; // 0: no file yet
        mode_t after;
    };
    const Row rows[] = {
        {"new.png", 0, 0640},     // 0666 less the umask 027
        {"kept.png", 0644, 0644}, // the umask clears none of it
        {"open.png", 0666, 0666}, // the umask would clear group and other write
        {"own.png", 0600, 0600},
    };
    const std::string dir = Folder(std::string("modes") + GetParam());
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
        EXPECT_EQ(st.st_mode & 07777, row.after) << row.name;
        EXPECT_EQ(kt::Zbar(dir + "/" + row.name), (std::vector<std::string>{"CODE-128:Modes"})) << row.name;
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
        const kt::RunResult r = kt::RunCommand(
            "sh -c \"" + trap + "ulimit -f 1; exec 2>&1; exec '" KAVREN_BINARY "' --jobs " +
            std::string(GetParam()) + " -x 2000 -y 2000 -n 1 --batch '" + dir + "/in.txt' '" + dir + "/big.png'\"");
        EXPECT_EQ(r.status, 13);
        EXPECT_EQ(r.out, "line 1: Error: Cant close output file.\n"
                         "line 1: " + dir + "/big-1.png: File too large\n"
                         "line 2: Error: Cant close output file.\n"
                         "line 2: " + dir + "/big-2.png: File too large\n"
                         "0 of 2 barcodes written\n");
        EXPECT_EQ(kt::ReadFile(dir + "/big-1.png"), "the previous label");
        EXPECT_EQ(Entries(dir), (std::vector<std::string>{"big-1.png", "in.txt"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, Batch, testing::Values("1", "2"));

struct RefusedCase {
    Args args; // after --batch FILE
    int status;
    const char* err;
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
        // a folder is no file name
        {{dir + "/"}, 11, "Error: Output file name cant be empty.\n"},
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
    const kt::RunResult missing = kt::RunKavren({"--batch", dir + "/none.txt", dir + "/a.png"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.txt: No such file or directory"), std::string::npos) << missing.err;
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
    // script(1) runs the command on a pseudo-terminal and copies what it shows.
    const kt::RunResult r = kt::RunCommand("script -qec '" + batch + "' /dev/null </dev/null");
    ASSERT_EQ(r.status, 0);
    const std::string clear = "\r\033[K";
    EXPECT_NE(r.out.find(clear + "2 barcodes, "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" per second"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(" left"), std::string::npos) << r.out;
    const std::string summary = clear + "3 of 3 barcodes written\r\n";
    ASSERT_GE(r.out.size(), summary.size());
    EXPECT_EQ(r.out.substr(r.out.size() - summary.size()), summary) << r.out;
}
