#include "cli/Batch.h"

#include "cli/OutputFile.h"
#include "cli/RemoveOnSignal.h"
#include "cli/SingleRun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <new>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using kavren::Status;

constexpr int Ok = static_cast<int>(Status::Ok);

// Lines taken ahead of the first unreported one, per job: enough to keep every
// job busy behind one slow line, few enough that a batch of any length holds
// only a handful of lines and messages.
constexpr std::uint64_t LinesAheadPerJob = 4;
// The progress line appears once a batch has run this long, and is redrawn
// at most this often.
constexpr auto ProgressDelay = std::chrono::seconds(1);
constexpr auto ProgressInterval = std::chrono::milliseconds(250);
// How often the signal watcher looks whether the batch has ended.
constexpr auto WatchInterval = std::chrono::milliseconds(100);

// The longest line read. No symbology bounds its data below a mebibyte (a
// vector Code 128 of 0.01-pixel modules draws two digits in 11 modules on a
// side of up to 1,000,000 pixels), and a line this long is far past any
// label: a longer one is refused, and its rest read past, not held.
constexpr std::size_t MostLineBytes = std::size_t{1} << 20;
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// One data line and where its barcode goes. A line whose name was refused
// carries its failure instead.
struct Job {
    std::uint64_t line = 0;      // as the file counts lines, from 1
    std::uint64_t readBytes = 0; // of the file, up to and including this line
    BeneathName file;
    std::string key; // the file whatever its spelling: its folder's device and inode, and its name
    std::string data;
    Written refused; // status Ok unless the name was refused
};

// A line's own file name must be spelled inside the output folder; where its
// links lead is the resolution's to judge.
Written CheckLineName(std::string_view name)
{
    if (name.empty())
        return {static_cast<int>(Status::NoFileName), {}};
    bool parent = false;
    for (std::size_t at = 0; at <= name.size();) {
        const std::size_t end = std::min(name.find('/', at), name.size());
        parent = parent || name.substr(at, end - at) == "..";
        at = end + 1;
    }
    if (name.front() == '/' || parent)
        return {static_cast<int>(Status::CantOpenFile),
                std::string(name) +
                    ": the name must stay inside the output folder (no leading '/', no '..')"};
    if (name.find('\0') != std::string_view::npos)
        return {static_cast<int>(Status::CantOpenFile), "the name holds a NUL byte"};
    return {};
}

// Reads the batch file line by line, skipping empty lines and a byte-order
// mark at its start. A line is held only up to MostLineBytes; a longer one
// is told as soon as that is seen, and its rest is skipped as it is read.
class CLineReader {
  public:
    enum class Got { Line, TooLong, End };

    explicit CLineReader(FILE* file) : m_Fd(fileno(file)) {}

    // The next non-empty line with its number. Throws std::bad_alloc.
    Got Next(std::uint64_t& number, std::string_view& text)
    {
        for (;;) {
            if (m_Skipping && !SkipLine())
                return Got::End;
            m_Line.clear();
            bool any = false;
            for (bool ended = false; !ended;) {
                if (m_At == m_End && !Fill())
                    break;
                any = true;
                const char* begin = m_Block.data() + m_At;
                const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', m_End - m_At));
                const std::size_t take = newline ? static_cast<std::size_t>(newline - begin) : m_End - m_At;
                ended = newline != nullptr;
                if (m_Line.size() + take > MostLineBytes) {
                    Consume(take + (ended ? 1 : 0));
                    m_Skipping = !ended;
                    number = ++m_Number;
                    return Got::TooLong;
                }
                m_Line.append(begin, take);
                Consume(take + (ended ? 1 : 0));
            }
            if (!any)
                return Got::End;
            std::string_view line(m_Line);
            if (++m_Number == 1 && line.substr(0, ByteOrderMark.size()) == ByteOrderMark)
                line.remove_prefix(ByteOrderMark.size());
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.empty())
                continue;
            number = m_Number;
            text = line;
            return Got::Line;
        }
    }
    std::uint64_t Bytes() const { return m_Bytes; }
    bool Failed() const { return m_Error != 0; }
    int Error() const { return m_Error; }

  private:
    // What the file has ready, up to a block (a pipe gives each line as it
    // comes); false at its end or on a read error.
    bool Fill()
    {
        m_At = m_End = 0;
        ssize_t got = 0;
        do
            got = read(m_Fd, m_Block.data(), m_Block.size());
        while (got < 0 && errno == EINTR);
        if (got < 0)
            m_Error = errno;
        m_End = got > 0 ? static_cast<std::size_t>(got) : 0;
        return got > 0;
    }
    void Consume(std::size_t bytes)
    {
        m_At += bytes;
        m_Bytes += bytes;
    }
    // Past the rest of a too long line; false at the end of the file.
    bool SkipLine()
    {
        for (;;) {
            if (m_At == m_End && !Fill())
                return false;
            const char* begin = m_Block.data() + m_At;
            const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', m_End - m_At));
            if (newline) {
                Consume(static_cast<std::size_t>(newline - begin) + 1);
                m_Skipping = false;
                return true;
            }
            Consume(m_End - m_At);
        }
    }

    int m_Fd;
    std::vector<char> m_Block = std::vector<char>(64 * 1024);
    std::size_t m_At = 0;
    std::size_t m_End = 0;
    std::string m_Line;
    bool m_Skipping = false; // in a too long line
    std::uint64_t m_Number = 0;
    std::uint64_t m_Bytes = 0;
    int m_Error = 0;
};

// "12 s", "3 min 05 s", "2 h 07 min".
std::string Duration(double seconds)
{
    const auto s = static_cast<long long>(seconds + 0.5);
    char text[48];
    if (s < 60)
        std::snprintf(text, sizeof text, "%lld s", s);
    else if (s < 3600)
        std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lld h %02lld min", s / 3600, s / 60 % 60);
    return text;
}

// The progress line on a terminal: barcodes done, rate and, when the batch
// file's size is known, the time left. Redrawn in place with a carriage
// return; never shown when standard error is not a terminal.
class CProgress {
  public:
    explicit CProgress(std::uint64_t totalBytes)
        : m_Enabled(isatty(STDERR_FILENO) == 1), m_TotalBytes(totalBytes), m_Start(Clock::now())
    {
    }

    void Update(std::uint64_t done, std::uint64_t readBytes)
    {
        if (!m_Enabled)
            return;
        const Clock::time_point now = Clock::now();
        if (now - m_Start < ProgressDelay || (m_Shown && now - m_Last < ProgressInterval))
            return;
        m_Last = now;
        const double elapsed = std::chrono::duration<double>(now - m_Start).count();
        std::string text = "\r\033[K" + std::to_string(done) + " barcodes, " +
                           std::to_string(static_cast<long long>(static_cast<double>(done) / elapsed)) +
                           " per second";
        if (m_TotalBytes > 0 && readBytes > 0 && readBytes <= m_TotalBytes)
            text += ", " +
                    Duration(elapsed * static_cast<double>(m_TotalBytes - readBytes) /
                             static_cast<double>(readBytes)) +
                    " left";
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
        m_Shown = true;
    }

    // Removes the line, so that a message or the summary starts clean.
    void Clear()
    {
        if (!m_Shown)
            return;
        std::fputs("\r\033[K", stderr);
        m_Shown = false;
    }

  private:
    bool m_Enabled;
    bool m_Shown = false;
    std::uint64_t m_TotalBytes; // 0 when unknown (a pipe)
    Clock::time_point m_Start;
    Clock::time_point m_Last;
};

// Counts, reports and remembers the outcomes; told them in line order.
class CTally {
  public:
    explicit CTally(std::uint64_t totalBytes) : m_Progress(totalBytes) {}

    // `shared`: the failure is one every line would meet; the batch stops.
    void Report(const Job& job, const Written& written, bool shared = false)
    {
        if (m_Stopped)
            return; // a line in hand when the batch stopped
        ++m_Lines;
        if (written.status == Ok) {
            ++m_Written;
        } else {
            m_Progress.Clear();
            const std::string prefix = "line " + std::to_string(job.line) + ": ";
            std::fprintf(stderr, "%s%s\n", prefix.c_str(), ErrorMessage(written.status));
            if (!written.detail.empty())
                std::fprintf(stderr, "%s%s\n", prefix.c_str(), written.detail.c_str());
            if (shared)
                std::fprintf(stderr, "%sno line can be written into the output folder: the batch stops\n",
                             prefix.c_str());
            std::fflush(stderr);
            m_Stopped = shared;
            if (m_Status == Ok)
                m_Status = written.status;
        }
        // What the line's run changed of what it asked for, as a single run
        // says it after its failure, with the line's number.
        if (!written.warnings.empty()) {
            m_Progress.Clear();
            for (const std::string& warning : written.warnings)
                std::fprintf(stderr, "Warning: line %llu: %s\n", static_cast<unsigned long long>(job.line),
                             warning.c_str());
            std::fflush(stderr);
        }
        m_Progress.Update(m_Lines, job.readBytes);
    }

    // The summary; returns the batch's exit status.
    int Finish()
    {
        m_Progress.Clear();
        std::fprintf(stderr, "%llu of %llu barcodes written\n", static_cast<unsigned long long>(m_Written),
                     static_cast<unsigned long long>(m_Lines));
        std::fflush(stderr);
        return m_Status;
    }

    void Fail(int status)
    {
        if (m_Status == Ok)
            m_Status = status;
    }

    bool Stopped() const { return m_Stopped; }

  private:
    bool m_Stopped = false;
    CProgress m_Progress;
    std::uint64_t m_Lines = 0;
    std::uint64_t m_Written = 0;
    int m_Status = Ok; // the first failed line's
};

class CBatch {
  public:
    CBatch(const RunOptions& options, std::string_view pattern, FILE* input, std::uint64_t totalBytes)
        : m_Options(options), m_Pattern(pattern), m_Folder(FolderOf(pattern)), m_Reader(input),
          m_Tally(totalBytes)
    {
    }

    // Every line, one at a time, on this thread.
    void RunInOrder()
    {
        const CTakeFatalSignals signals; // for the whole batch, not per file
        Job job;
        while (!m_Tally.Stopped() && NextJob(job)) {
            const Written written = Write(job);
            m_Tally.Report(job, written, Shared(job, written));
        }
    }

    // Every line, on `jobs` threads (this one among them), each taking the next line.
    void RunInParallel(unsigned jobs);

    int Finish(const char* inputName)
    {
        if (m_OutOfMemory) {
            Job job;
            job.line = m_FailedLine;
            m_Tally.Report(job, {static_cast<int>(Status::Fail), {}});
        } else if (m_Reader.Failed()) {
            m_Tally.Fail(PrintFailure(static_cast<int>(Status::InvalidArgument),
                                      std::string(inputName) + ": " + std::strerror(m_Reader.Error())));
        }
        return m_Tally.Finish();
    }

  private:
    // The next line and where it goes, resolved now: lines are taken in
    // order, so lines naming one file claim it in order.
    bool NextJob(Job& job)
    {
        if (m_OutOfMemory)
            return false;
        try {
            return TakeLine(job);
        } catch (const std::bad_alloc&) {
            m_OutOfMemory = true; // reported in line order, by Finish
            m_FailedLine = job.line;
            return false;
        }
    }

    bool TakeLine(Job& job)
    {
        std::string_view text;
        const CLineReader::Got got = m_Reader.Next(job.line, text);
        if (got == CLineReader::Got::End)
            return false;
        job.readBytes = m_Reader.Bytes();
        job.refused = {};
        job.file = {};
        job.key.clear();
        job.data.clear();
        if (got == CLineReader::Got::TooLong) {
            job.refused = {static_cast<int>(Status::InvalidArgument),
                           "the line is longer than " + std::to_string(MostLineBytes) + " bytes"};
            return true;
        }
        const std::size_t tab = text.find('\t');
        std::string name;
        std::string shown;
        if (tab == std::string_view::npos) {
            const std::size_t slash = m_Pattern.rfind('/');
            name =
                PatternName(slash == std::string::npos ? m_Pattern : m_Pattern.substr(slash + 1), job.line);
            shown = PatternName(m_Pattern, job.line);
            job.data.assign(text);
        } else {
            name.assign(text.substr(0, tab));
            job.data.assign(text.substr(tab + 1));
            job.refused = CheckLineName(name);
            // Spelled as a pattern's name for the same file would be; "-"
            // stays a file's name.
            shown = m_Folder.Path() == "." && name != "-" ? name : m_Folder.Path() + "/" + name;
        }
        if (job.refused.status == Ok)
            job.refused = Resolve(name, shown, job);
        return true;
    }

    Written Resolve(const std::string& name, const std::string& shown, Job& job) const
    {
        if (const int error = m_Folder.Resolve(name, job.file); error != 0) {
            const char* reason =
                error == EXDEV ? "a link leads out of the output folder" : std::strerror(error);
            return {static_cast<int>(Status::CantOpenFile), shown + ": " + reason};
        }
        job.file.target.path = shown;
        job.key = std::to_string(job.file.device) + ":" + std::to_string(job.file.inode) + "/" +
                  job.file.target.name;
        return {};
    }

    Written Write(const Job& job) const
    {
        if (job.refused.status != Ok)
            return job.refused;
        try {
            return WriteBarcode(m_Options, job.data, job.file.target);
        } catch (const std::bad_alloc&) {
            return {static_cast<int>(Status::Fail), {}};
        }
    }

    // A failure every later line would meet: the output folder cannot be
    // opened, or takes no new file where this one went.
    bool Shared(const Job& job, const Written& written) const
    {
        return written.status == static_cast<int>(Status::CantOpenFile) &&
               (!m_Folder.IsOpen() ||
                (job.refused.status == Ok && !job.file.below.IsOpen() && !m_Folder.TakesNewFiles()));
    }

    struct Outcome {
        Job job;
        Written written;
        bool shared; // a failure every line would meet
    };

    // Takes lines and writes them until the input ends; every job runs this.
    void Work(std::uint64_t ahead);
    void Finish(std::uint64_t sequence, Outcome outcome);

    const RunOptions& m_Options;
    std::string m_Pattern;
    COutputFolder m_Folder;
    CLineReader m_Reader;
    CTally m_Tally;
    bool m_OutOfMemory = false; // reading a line failed for memory
    std::uint64_t m_FailedLine = 0;

    // Shared by the jobs: the reader, the lines in hand and the tally.
    std::mutex m_Mutex;
    std::condition_variable m_JobDone;                  // a line written (or refused) and maybe reported
    std::map<std::uint64_t, Outcome> m_Finished;        // waiting for earlier lines
    std::multimap<std::string, std::uint64_t> m_Claims; // files of the lines in hand
    std::uint64_t m_NextSequence = 0;                   // of the next line taken
    std::uint64_t m_NextToReport = 0;
    bool m_InputEnded = false;
};

// Each job takes the next line itself, so a line costs no hand-over between
// threads; a job waits only behind a slow line (the look-ahead) or for a file
// another line is still writing, so that the later line's image stays.
void CBatch::Work(std::uint64_t ahead)
{
    std::unique_lock lock(m_Mutex);
    for (;;) {
        m_JobDone.wait(lock, [&] { return m_InputEnded || m_NextSequence - m_NextToReport < ahead; });
        Job job;
        if (m_InputEnded || m_Tally.Stopped() || !NextJob(job)) {
            m_InputEnded = true;
            m_JobDone.notify_all();
            return;
        }
        const std::uint64_t sequence = m_NextSequence++;
        if (job.refused.status != Ok) {
            // Nothing to write: done at once, before this job reads on (the
            // rest of a too long line may take long, or never end).
            Written refused = job.refused;
            const bool shared = Shared(job, refused);
            Finish(sequence, Outcome{std::move(job), std::move(refused), shared});
            continue;
        }
        // Lines naming one file write it in line order: each waits until the
        // earlier claims on its name are done (equal names keep their order).
        const auto claim = m_Claims.emplace(job.key, sequence);
        // What the name's resolution saw holds unless an earlier line still
        // writes the file (a finished one wrote it before the resolution).
        if (m_Claims.lower_bound(job.key) != claim)
            job.file.target.known = false;
        m_JobDone.wait(lock, [&] { return m_Claims.lower_bound(job.key) == claim; });
        lock.unlock();
        Written written = Write(job);
        const bool shared = Shared(job, written);
        lock.lock();
        m_Claims.erase(claim);
        Finish(sequence, Outcome{std::move(job), std::move(written), shared});
    }
}

// Messages in line order: whoever finishes the next line reports it and any
// later ones already done. Called with the lock held.
void CBatch::Finish(std::uint64_t sequence, Outcome outcome)
{
    m_Finished.emplace(sequence, std::move(outcome));
    for (auto next = m_Finished.begin(); next != m_Finished.end() && next->first == m_NextToReport;
         next = m_Finished.erase(next)) {
        m_Tally.Report(next->second.job, next->second.written, next->second.shared);
        ++m_NextToReport;
    }
    m_JobDone.notify_all(); // no system call while nobody waits
}

// Takes the fatal signals for all threads of a parallel batch: they stay
// blocked everywhere (so workers write files without touching signal
// actions or masks), and this thread, on one, removes every temporary file
// at a moment no worker is creating or renaming one, then ends the process
// as the signal would. Signals the process ignores or handles are left alone.
class CSignalWatcher {
  public:
    CSignalWatcher()
    {
        sigset_t all;
        sigemptyset(&all);
        sigemptyset(&m_Taken);
        for (const int s : CRemoveOnSignal::Signals) {
            sigaddset(&all, s);
            struct sigaction current {};
            if (sigaction(s, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
                current.sa_handler == SIG_DFL)
                sigaddset(&m_Taken, s);
        }
        // Blocked before the threads start, so that they all inherit it.
        pthread_sigmask(SIG_BLOCK, &all, &m_Saved);
        // A taken signal is read from its descriptor and the end of the batch
        // from the other, so the watch ends the moment the batch does. Without
        // descriptors (none left), it looks for the end every WatchInterval.
        m_Signals = signalfd(-1, &m_Taken, SFD_CLOEXEC);
        m_Wake = eventfd(0, EFD_CLOEXEC);
        m_Thread = std::thread([this] { Watch(); });
    }
    ~CSignalWatcher()
    {
        {
            std::lock_guard lock(m_Mutex);
            m_Stop = true;
        }
        if (m_Wake >= 0) {
            const std::uint64_t one = 1;
            while (write(m_Wake, &one, sizeof one) < 0 && errno == EINTR) {
            }
        }
        m_Thread.join();
        for (const int fd : {m_Signals, m_Wake})
            if (fd >= 0)
                close(fd);
        pthread_sigmask(SIG_SETMASK, &m_Saved, nullptr);
    }
    CSignalWatcher(const CSignalWatcher&) = delete;
    CSignalWatcher& operator=(const CSignalWatcher&) = delete;

  private:
    void Watch()
    {
        const timespec wait{0, std::chrono::duration_cast<std::chrono::nanoseconds>(WatchInterval).count()};
        for (;;) {
            {
                std::lock_guard lock(m_Mutex);
                if (m_Stop)
                    return;
            }
            const int signal =
                m_Signals >= 0 && m_Wake >= 0 ? NextSignal() : sigtimedwait(&m_Taken, nullptr, &wait);
            if (signal > 0)
                Die(signal);
        }
    }

    // A taken signal, or 0 once the batch has ended (or the wait failed).
    int NextSignal() const
    {
        pollfd watched[2] = {{m_Signals, POLLIN, 0}, {m_Wake, POLLIN, 0}};
        if (poll(watched, 2, -1) <= 0)
            return 0;
        signalfd_siginfo info{};
        if ((watched[0].revents & POLLIN) != 0 && read(m_Signals, &info, sizeof info) == sizeof info)
            return static_cast<int>(info.ssi_signo);
        return 0;
    }

    [[noreturn]] static void Die(int signal)
    {
        CRemoveOnSignal::RemoveAllPendingForGood(); // no file is created or renamed after it
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigemptyset(&standard.sa_mask);
        sigaction(signal, &standard, nullptr);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
        raise(signal);
        _exit(128 + signal); // not reached: the signal ends the process
    }

    CIgnoreFileSizeSignal m_FileSize; // a write past the limit fails on its own thread
    sigset_t m_Taken{};
    sigset_t m_Saved{};
    int m_Signals = -1; // reads the taken signals
    int m_Wake = -1;    // written when the batch ends
    std::mutex m_Mutex;
    bool m_Stop = false;
    std::thread m_Thread;
};

void CBatch::RunInParallel(unsigned jobs)
{
    const std::uint64_t ahead = LinesAheadPerJob * jobs;
    CSignalWatcher watcher;
    std::vector<std::thread> others;
    others.reserve(jobs - 1);
    for (unsigned i = 1; i < jobs; ++i)
        others.emplace_back([this, ahead] { Work(ahead); });
    Work(ahead);
    for (std::thread& other : others)
        other.join();
}

// Processor cores this process may run on.
unsigned ProcessorCores()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    return std::max(1U, std::thread::hardware_concurrency());
}

} // namespace

bool ApplyBatchOption(const OptionSpec& option, const char* text, BatchSettings& batch)
{
    if (option.id == BatchOption) {
        batch.file = text;
        return true;
    }
    if (option.id == JobsOption) {
        const std::int32_t jobs = ReadInteger(text);
        if (option.range.Accepts(jobs))
            batch.jobs = jobs;
        return true;
    }
    return false;
}

std::string PatternName(std::string_view pattern, std::uint64_t line)
{
    const std::size_t slash = pattern.rfind('/');
    const std::size_t base = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string number = std::to_string(line);
    std::string name(pattern.substr(0, base));
    bool numbered = false;
    for (std::size_t at = base; at < pattern.size();) {
        if (pattern[at] != '#') {
            name += pattern[at++];
            continue;
        }
        const std::size_t end = std::min(pattern.find_first_not_of('#', at), pattern.size());
        const std::size_t width = end - at;
        if (number.size() < width)
            name.append(width - number.size(), '0');
        name += number;
        numbered = true;
        at = end;
    }
    if (numbered)
        return name;
    // "-N" before the extension; a name's leading dot starts no extension.
    const std::size_t dot = pattern.rfind('.');
    const std::size_t at = dot != std::string_view::npos && dot > base ? dot : pattern.size();
    return std::string(pattern.substr(0, at)) + "-" + number + std::string(pattern.substr(at));
}

namespace {

constexpr unsigned FifoWriterWaitSeconds = 10;

void IgnoreAlarm(int) {}

// The batch file opened for reading, or null with the reason. Opening a FIFO
// waits for a program to open it for writing; that wait is bounded, so that a
// FIFO nobody writes ends the run instead of holding it forever. Once open,
// a slow writer is waited for as standard input is.
FILE* OpenBatchFile(const std::string& name, std::string& why)
{
    struct stat st {};
    const bool fifo = stat(name.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
    struct sigaction quiet {};
    struct sigaction before {};
    quiet.sa_handler = IgnoreAlarm; // no SA_RESTART: the open ends with EINTR
    sigemptyset(&quiet.sa_mask);
    if (fifo) {
        sigaction(SIGALRM, &quiet, &before);
        alarm(FifoWriterWaitSeconds);
    }
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    const int error = errno;
    if (fifo) {
        alarm(0);
        sigaction(SIGALRM, &before, nullptr);
    }
    if (fd < 0) {
        why = fifo && error == EINTR ? "no program opened the FIFO for writing within " +
                                           std::to_string(FifoWriterWaitSeconds) + " seconds"
                                     : std::strerror(error);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file) {
        why = std::strerror(errno);
        close(fd);
    }
    return file;
}

} // namespace

int RunBatch(const RunOptions& options, const BatchSettings& batch, const char* outputName)
{
    const std::string_view pattern(outputName);
    if (pattern == "-")
        return PrintFailure(static_cast<int>(Status::InvalidArgument),
                            "--batch writes files: the output name cannot be '-' (standard output)");
    // A pattern that names no file fails as the same name does in a single
    // run: when the file would be opened.
    if (pattern.empty())
        return PrintFailure(static_cast<int>(Status::CantOpenFile), std::strerror(ENOENT));
    if (pattern.back() == '/')
        return PrintFailure(static_cast<int>(Status::CantOpenFile), std::string(pattern) + ": " + std::strerror(EISDIR));

    const std::string& inputName = *batch.file;
    const bool standardInput = inputName == "-";
    std::string why;
    FILE* input = standardInput ? stdin : OpenBatchFile(inputName, why);
    if (!input)
        return PrintFailure(static_cast<int>(Status::InvalidArgument), "--batch " + inputName + ": " + why);
    struct stat st {};
    const bool known = fstat(fileno(input), &st) == 0;
    if (known && S_ISDIR(st.st_mode)) {
        if (!standardInput)
            std::fclose(input);
        return PrintFailure(static_cast<int>(Status::InvalidArgument),
                            "--batch " + inputName + ": " + std::strerror(EISDIR));
    }
    const std::uint64_t totalBytes =
        known && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;

    int status = Ok;
    {
        CBatch run(options, pattern, input, totalBytes);
        const unsigned jobs = batch.jobs > 0
                                  ? static_cast<unsigned>(batch.jobs)
                                  : std::min<unsigned>(ProcessorCores(), CRemoveOnSignal::MostPending);
        if (jobs == 1)
            run.RunInOrder();
        else
            run.RunInParallel(jobs);
        status = run.Finish(inputName.c_str());
    }
    if (!standardInput)
        std::fclose(input);
    return status;
}
