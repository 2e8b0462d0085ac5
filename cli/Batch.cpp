#include "cli/Batch.h"

#include "cli/Driver.h"
#include "cli/OutputFile.h"
#include "cli/RemoveOnSignal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <string>
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

// One data line and where its barcode goes. A line whose name was refused
// carries its failure instead.
struct Job {
    std::uint64_t line = 0;      // as the file counts lines, from 1
    std::uint64_t readBytes = 0; // of the file, up to and including this line
    std::string path;
    std::string data;
    Written refused; // status Ok unless the name was refused
};

// A line's own file name, inside the output name's folder.
Written NameFromLine(const std::string& folder, std::string_view name, std::string& path)
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
    // Spelled as a pattern's name for the same file would be, so that lines
    // naming one file are seen to; "-" stays a file's name.
    path = folder == "." && name != "-" ? std::string(name) : folder + "/" + std::string(name);
    return {};
}

// Reads the batch file line by line, skipping empty lines.
class CLineReader {
  public:
    explicit CLineReader(FILE* file) : m_File(file) {}
    ~CLineReader() { std::free(m_Buffer); }
    CLineReader(const CLineReader&) = delete;
    CLineReader& operator=(const CLineReader&) = delete;

    // The next non-empty line with its number; false at the end or on a read error.
    bool Next(std::uint64_t& number, std::string_view& text)
    {
        for (;;) {
            const ssize_t length = getline(&m_Buffer, &m_Capacity, m_File);
            if (length < 0)
                return false;
            ++m_Line;
            m_Bytes += static_cast<std::uint64_t>(length);
            std::string_view line(m_Buffer, static_cast<std::size_t>(length));
            if (!line.empty() && line.back() == '\n')
                line.remove_suffix(1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.empty())
                continue;
            number = m_Line;
            text = line;
            return true;
        }
    }
    std::uint64_t Bytes() const { return m_Bytes; }
    bool Failed() const { return std::ferror(m_File) != 0; }

  private:
    FILE* m_File;
    char* m_Buffer = nullptr;
    std::size_t m_Capacity = 0;
    std::uint64_t m_Line = 0;
    std::uint64_t m_Bytes = 0;
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

    void Report(const Job& job, const Written& written)
    {
        ++m_Lines;
        if (written.status == Ok) {
            ++m_Written;
        } else {
            m_Progress.Clear();
            const std::string prefix = "line " + std::to_string(job.line) + ": ";
            std::fprintf(stderr, "%s%s\n", prefix.c_str(), ErrorMessage(written.status));
            if (!written.detail.empty())
                std::fprintf(stderr, "%s%s\n", prefix.c_str(), written.detail.c_str());
            std::fflush(stderr);
            if (m_Status == Ok)
                m_Status = written.status;
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

  private:
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
        while (NextJob(job))
            m_Tally.Report(job, Write(job));
    }

    // Every line, on `jobs` threads (this one among them), each taking the next line.
    void RunInParallel(unsigned jobs);

    int Finish(const char* inputName)
    {
        if (m_Reader.Failed()) {
            m_Tally.Fail(PrintFailure(static_cast<int>(Status::InvalidArgument),
                                      std::string(inputName) + ": " + std::strerror(EIO)));
        }
        return m_Tally.Finish();
    }

  private:
    bool NextJob(Job& job)
    {
        std::string_view text;
        if (!m_Reader.Next(job.line, text))
            return false;
        job.readBytes = m_Reader.Bytes();
        job.refused = {};
        const std::size_t tab = text.find('\t');
        if (tab == std::string_view::npos) {
            job.path = PatternName(m_Pattern, job.line);
            job.data.assign(text);
        } else {
            job.refused = NameFromLine(m_Folder, text.substr(0, tab), job.path);
            job.data.assign(text.substr(tab + 1));
        }
        return true;
    }

    Written Write(const Job& job) const
    {
        if (job.refused.status != Ok)
            return job.refused;
        return WriteBarcode(m_Options, job.data, job.path.c_str());
    }

    // Takes lines and writes them until the input ends; every job runs this.
    void Work(std::uint64_t ahead);

    const RunOptions& m_Options;
    std::string m_Pattern;
    std::string m_Folder;
    CLineReader m_Reader;
    CTally m_Tally;

    // Shared by the jobs: the reader, the lines in hand and the tally.
    std::mutex m_Mutex;
    std::condition_variable m_JobDone; // a line written (or refused) and maybe reported
    std::map<std::uint64_t, std::pair<Job, Written>> m_Finished; // waiting for earlier lines
    std::multimap<std::string, std::uint64_t> m_Claims;          // names of the lines in hand
    std::uint64_t m_NextSequence = 0;                            // of the next line taken
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
        if (m_InputEnded || !NextJob(job)) {
            m_InputEnded = true;
            m_JobDone.notify_all();
            return;
        }
        const std::uint64_t sequence = m_NextSequence++;
        // Lines naming one file write it in line order: each waits until the
        // earlier claims on its name are done (equal names keep their order).
        const auto claim = m_Claims.emplace(job.path, sequence);
        m_JobDone.wait(lock, [&] { return m_Claims.lower_bound(job.path) == claim; });
        lock.unlock();
        Written written = Write(job);
        lock.lock();
        m_Claims.erase(claim);
        m_Finished.emplace(sequence, std::pair{std::move(job), std::move(written)});
        // Messages in line order: whoever finishes the next line reports it
        // and any later ones already done.
        for (auto next = m_Finished.begin(); next != m_Finished.end() && next->first == m_NextToReport;
             next = m_Finished.erase(next)) {
            m_Tally.Report(next->second.first, next->second.second);
            ++m_NextToReport;
        }
        m_JobDone.notify_all(); // no system call while nobody waits
    }
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
        m_Thread = std::thread([this] { Watch(); });
    }
    ~CSignalWatcher()
    {
        {
            std::lock_guard lock(m_Mutex);
            m_Stop = true;
        }
        m_Thread.join();
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
            const int signal = sigtimedwait(&m_Taken, nullptr, &wait);
            if (signal > 0)
                Die(signal);
        }
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

    sigset_t m_Taken{};
    sigset_t m_Saved{};
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

int RunBatch(const RunOptions& options, const BatchSettings& batch, const char* outputName)
{
    const std::string_view pattern(outputName);
    if (pattern == "-")
        return PrintFailure(static_cast<int>(Status::InvalidArgument),
                            "--batch writes files: the output name cannot be '-' (standard output)");
    if (pattern.empty() || pattern.back() == '/')
        return PrintFailure(static_cast<int>(Status::NoFileName));

    const std::string& inputName = *batch.file;
    const bool standardInput = inputName == "-";
    FILE* input = standardInput ? stdin : std::fopen(inputName.c_str(), "rb");
    if (!input)
        return PrintFailure(static_cast<int>(Status::InvalidArgument),
                            "--batch " + inputName + ": " + std::strerror(errno));
    struct stat st {};
    const std::uint64_t totalBytes =
        fstat(fileno(input), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;

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
