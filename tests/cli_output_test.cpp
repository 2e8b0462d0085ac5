// Where the picture goes: a regular file is replaced whole or not at all
// (file-size limit, signals, runs at the same time on one name), keeps its
// permissions, is reached through symbolic links; "-" is standard output;
// devices and FIFOs are written directly.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// A fresh, empty folder for one case.
std::string Folder(const std::string& name)
{
    const std::string dir = kt::ScratchPath(name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Starts the program with the arguments; `prepare` runs in the child before
// the program replaces it. Standard output and error go to /dev/null.
pid_t Start(const Args& args, const std::function<void()>& prepare = {})
{
    std::vector<std::string> store{KAVREN_BINARY};
    store.insert(store.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : store)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        if (prepare)
            prepare();
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// The exit status, or 128 + the signal that ended the process.
int Finish(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

int RunProgram(const Args& args, const std::function<void()>& prepare = {})
{
    return Finish(Start(args, prepare));
}

// ---------------------------------------------------------------- failures keep the old file

// A file-size limit cuts the write short: the write fails (status 13) with
// SIGXFSZ ignored or at its default, which the run ignores while it writes.
// Either way the previous label stays as it was and no temporary file is left.
TEST(Output, FileSizeLimitKeepsThePreviousFile)
{
    struct Case {
        bool ignoreSignal;
        int status;
    };
    for (const Case c : {Case{true, 13}, Case{false, 13}}) {
        SCOPED_TRACE(c.ignoreSignal ? "SIGXFSZ ignored" : "SIGXFSZ at its default");
        const std::string dir = Folder("limit");
        const std::string path = dir + "/label.png";
        WriteFile(path, "the previous label");
        const int status = RunProgram({"-x", "2000", "-y", "2000", "-n", "1", "-d", "Large", path}, [&] {
            const rlimit limit{8192, 8192};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, c.ignoreSignal ? SIG_IGN : SIG_DFL);
        });
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(ReadFile(path), "the previous label");
        EXPECT_EQ(Entries(dir), Args{"label.png"});
    }
}

// Interrupted while writing a large picture: the run ends by the signal, the
// previous file is intact and the temporary file is gone.
TEST(Output, SignalDuringTheWriteLeavesNoTemporaryFile)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const std::string dir = Folder("signal");
        const std::string path = dir + "/label.png";
        int status = 0;
        // The signal must come while the temporary file exists; a run that
        // wins the race is simply tried again.
        for (int attempt = 0; attempt < 5 && status != 128 + signal; ++attempt) {
            WriteFile(path, "the previous label");
            const pid_t pid = Start({"-x", "8000", "-y", "4000", "-d", "Interrupted", path});
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (Entries(dir).size() < 2 && std::chrono::steady_clock::now() < deadline &&
                   waitpid(pid, nullptr, WNOHANG) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            kill(pid, signal);
            status = Finish(pid);
        }
        EXPECT_EQ(status, 128 + signal);
        EXPECT_EQ(ReadFile(path), "the previous label");
        EXPECT_EQ(Entries(dir), Args{"label.png"});
    }
}

// Several runs on one name at once, again and again: the file is always one
// whole picture of one run's data, and nothing else is left in the folder.
TEST(Output, RunsAtTheSameTimeLeaveOneWholePicture)
{
    const std::set<std::string> texts = {"CODE-128:DATA1", "CODE-128:DATA2", "CODE-128:DATA3",
                                         "CODE-128:DATA4"};
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string dir = Folder("race");
        const std::string path = dir + "/big.png";
        std::vector<pid_t> runs;
        for (const std::string& text : texts)
            runs.push_back(Start({"-d", text.substr(9), "-x", "2000", "-y", "2000", "-m", "40", path}));
        for (const pid_t pid : runs)
            EXPECT_EQ(Finish(pid), 0);
        kt::Raster image;
        EXPECT_TRUE(kt::ReadPng(path, image));
        const std::vector<std::string> read = kt::Zbar(path);
        ASSERT_EQ(read.size(), 1U);
        EXPECT_TRUE(texts.contains(read[0])) << read[0];
        EXPECT_EQ(Entries(dir), Args{"big.png"});
    }
}

// ---------------------------------------------------------------- what a replaced file keeps

TEST(Output, PermissionsAreKeptOrFollowTheUmask)
{
    struct Case {
        bool existing;
        mode_t mode; // of the existing file
        mode_t umask;
        mode_t expected;
    };
    const Case cases[] = {
        {true, 0640, 022, 0640},                        // a replaced file keeps its mode, whatever the umask
        {true, 0604, 077, 0604}, {false, 0, 022, 0644}, // a new file: 0666 less the umask, as fopen gives
        {false, 0, 027, 0640},   {false, 0, 0, 0666},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.existing) + " " + std::to_string(c.mode) + " " +
                     std::to_string(c.umask));
        const std::string dir = Folder("mode");
        const std::string path = dir + "/label.png";
        if (c.existing) {
            WriteFile(path, "old");
            chmod(path.c_str(), c.mode);
        }
        EXPECT_EQ(RunProgram({"-d", "Mode", path}, [&] { umask(c.umask); }), 0);
        EXPECT_EQ(ModeOf(path), c.expected);
        EXPECT_EQ(Entries(dir), Args{"label.png"});
    }
}

TEST(Output, OwnerAndGroupAreKeptByRoot)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another owner";
    const std::string dir = Folder("owner");
    const std::string path = dir + "/label.png";
    WriteFile(path, "old");
    ASSERT_EQ(chown(path.c_str(), 4321, 4322), 0);
    ASSERT_EQ(RunProgram({"-d", "Owner", path}), 0);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321U);
    EXPECT_EQ(st.st_gid, 4322U);
}

// The picture goes to the file a link points to, and the link stays a link.
TEST(Output, SymbolicLinksAreWrittenThrough)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> links; // name in "links/", what it points to
        std::string target;                                     // the file, relative to the case folder
        bool targetExists;
    };
    const Case cases[] = {
        {{{"label.png", "@/real/label.png"}}, "real/label.png", true},  // absolute
        {{{"label.png", "../real/label.png"}}, "real/label.png", true}, // relative to the link's folder
        {{{"label.png", "hop.png"}, {"hop.png", "../real/label.png"}}, "real/label.png", true}, // a chain
        {{{"label.png", "../real/new.png"}}, "real/new.png", false}, // dangling: the target is made
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.links.front().second);
        const std::string dir = Folder("links-case");
        fs::create_directories(dir + "/links");
        fs::create_directories(dir + "/real");
        if (c.targetExists)
            WriteFile(dir + "/" + c.target, "old");
        for (const auto& [name, to] : c.links) {
            const std::string pointee = to.starts_with("@") ? dir + to.substr(1) : to;
            ASSERT_EQ(symlink(pointee.c_str(), (dir + "/links/" + name).c_str()), 0);
        }
        ASSERT_EQ(RunProgram({"-d", "Linked", dir + "/links/label.png"}), 0);
        struct stat st {};
        ASSERT_EQ(lstat((dir + "/links/label.png").c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        EXPECT_EQ(kt::Zbar(dir + "/" + c.target), Args{"CODE-128:Linked"});
        EXPECT_EQ(Entries(dir + "/real"), Args{fs::path(c.target).filename().string()});
        EXPECT_EQ(Entries(dir + "/links").size(), c.links.size());
    }
}

// ---------------------------------------------------------------- written directly

// A folder that takes no new files: a file in it that can be written is
// written in place, as a plain open would (the same file, its mode kept).
TEST(Output, WrittenInPlaceWhereTheFolderTakesNoNewFiles)
{
    // Root creates files in any folder: the run goes as nobody, the file's owner.
    constexpr uid_t Nobody = 65534;
    const bool root = geteuid() == 0;
    const std::string dir = Folder("in-place");
    const std::string path = dir + "/label.png";
    WriteFile(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0606), 0);
    if (root) {
        ASSERT_EQ(chown(path.c_str(), Nobody, Nobody), 0);
        ASSERT_EQ(chmod(kt::ScratchPath("").c_str(), 0711), 0); // for nobody to reach it
    }
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    const int status = RunProgram({"-d", "InPlace", path}, [&] {
        if (root && (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0))
            _exit(126);
    });
    chmod(dir.c_str(), 0755);
    EXPECT_EQ(status, 0);
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0606U);
    EXPECT_EQ(kt::Zbar(path), Args{"CODE-128:InPlace"});
    EXPECT_EQ(Entries(dir), Args{"label.png"});
}

TEST(Output, DashWritesToStandardOutput)
{
    const std::string dir = Folder("stdout");
    const std::string out = kt::ScratchPath("stdout.png");
    const std::string program = KAVREN_BINARY;
    const kt::RunResult piped = kt::RunCommand("cd " + dir + " && " + program + " -d Piped - > " + out);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(kt::Zbar(out), Args{"CODE-128:Piped"});
    EXPECT_TRUE(Entries(dir).empty()) << "a file named - was made";

    // "./-" is a file of that name; "-" after "--" is still standard output.
    EXPECT_EQ(kt::RunCommand("cd " + dir + " && " + program + " -d Named ./-").status, 0);
    EXPECT_EQ(kt::Zbar(dir + "/-"), Args{"CODE-128:Named"});
    EXPECT_EQ(kt::RunCommand(program + " -d Ended -- - > " + out).status, 0);
    EXPECT_EQ(kt::Zbar(out), Args{"CODE-128:Ended"});

    // A standard output that takes nothing is a failed write.
    const kt::RunResult full = kt::RunCommand("sh -c '" + program + " - 2>&1 >/dev/full'");
    EXPECT_EQ(full.status, 13);
    EXPECT_NE(full.out.find("Error: Cant close output file."), std::string::npos) << full.out;
}

TEST(Output, DevicesAndFifosAreWrittenDirectly)
{
    EXPECT_EQ(RunProgram({"/dev/null"}), 0);
    struct stat st {};
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    const std::string dir = Folder("fifo");
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string out = kt::ScratchPath("from-fifo.png");
    const kt::RunResult r = kt::RunCommand("cat " + fifo + " > " + out + " & " + KAVREN_BINARY + " -d Fifo " +
                                           fifo + "; s=$?; wait; exit $s");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(kt::Zbar(out), Args{"CODE-128:Fifo"});
    EXPECT_EQ(Entries(dir), Args{"pipe"});
}

} // namespace
