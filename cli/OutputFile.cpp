#include "cli/OutputFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Symbolic links followed before giving up, as the kernel does (SYMLOOP_MAX).
constexpr int MostLinks = 40;
// Temporary names tried before giving up; another name is taken only when
// one exists already, which the names make all but impossible.
constexpr int MostNameAttempts = 100;

// The file the path names once the symbolic links at its end are followed,
// and what lstat says of it (`error` 0, or its errno when nothing is there);
// for a dangling link, the file it points to (which the run creates).
// Folders on the way need no resolving: the temporary file goes beside the
// result. A loop or an unreadable link gives the path unchanged, with the
// link's own status.
std::string FollowLinks(const std::string& path, struct stat& st, int& error)
{
    std::string current = path;
    struct stat first {};
    for (int hops = 0; hops < MostLinks; ++hops) {
        error = lstat(current.c_str(), &st) == 0 ? 0 : errno;
        if (error != 0 || !S_ISLNK(st.st_mode))
            return current;
        if (hops == 0)
            first = st;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            break;
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    st = first;
    error = 0;
    return path;
}

// 64 bits drawn once per process.
std::uint64_t ProcessKey()
{
    std::uint64_t key = 0;
    if (getrandom(&key, sizeof key, 0) != static_cast<ssize_t>(sizeof key))
        key = static_cast<std::uint64_t>(getpid()) << 32 ^ static_cast<std::uint64_t>(std::time(nullptr));
    return key;
}

// The finaliser of SplitMix64: a bijection of 64-bit numbers that spreads
// consecutive ones over all bits.
std::uint64_t Mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
}

// ".kavren-" and eleven letters and digits spelling 64 bits: the process's
// random key plus a count of its names, mixed. A process never repeats a
// name, and another process draws the same one only by a 2^-64 chance, so a
// name armed before its file is created is this process's own
// (cli/RemoveOnSignal.h); creating with O_EXCL still settles a clash.
std::string TemporaryName(const std::string& folder)
{
    static constexpr char Digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static constexpr std::uint64_t Base = sizeof Digits - 1;
    static const std::uint64_t key = ProcessKey();
    static std::atomic<std::uint64_t> count{0};
    // An odd step: distinct counts give distinct sums, and Mix keeps them apart.
    std::uint64_t bits = Mix(key + count.fetch_add(1) * 0x9e3779b97f4a7c15);
    std::string name = folder + "/.kavren-";
    for (int i = 0; i < 11; ++i, bits /= Base) // 62^11 > 2^64
        name += Digits[bits % Base];
    return name;
}

// The replaced file's owner, group and permissions on the new one, where
// its creation gave others (a set-group-ID folder, a default ACL, the
// umask). Only root may give a file away; a group the user belongs to may
// still be kept.
bool TakeOverAttributes(int fd, const struct stat& replaced)
{
    struct stat own {};
    if (fstat(fd, &own) != 0)
        return false;
    const bool sameOwner = own.st_uid == replaced.st_uid && own.st_gid == replaced.st_gid;
    if (!sameOwner && fchown(fd, replaced.st_uid, replaced.st_gid) != 0)
        static_cast<void>(fchown(fd, static_cast<uid_t>(-1), replaced.st_gid));
    // A change of owner clears the set-ID bits: the mode goes on after it.
    const mode_t mode = replaced.st_mode & 07777;
    return (sameOwner && (own.st_mode & 07777) == mode) || fchmod(fd, mode) == 0;
}

} // namespace

std::string FolderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

COutputFile::COutputFile(const char* path)
{
    if (std::strcmp(path, "-") == 0) {
        m_Stdout = true;
        m_Fd = STDOUT_FILENO;
        std::fflush(stdout); // whatever the stream holds goes first
        return;
    }
    struct stat st {};
    int error = 0;
    const std::string target = FollowLinks(path, st, error);
    const bool exists = error == 0;
    const bool absent = error == ENOENT;
    const bool named = !target.empty() && target.back() != '/';
    const bool replaceable =
        exists && S_ISREG(st.st_mode) && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
    if (named && (absent || replaceable)) {
        if (OpenTemporary(target, exists ? &st : nullptr))
            return;
        // A folder that takes no new files may still hold a file to write
        // in place, as a plain open would; any other failure (a full disk,
        // too many open files) must not cut the previous file.
        if (!(replaceable && (errno == EACCES || errno == EPERM)))
            return;
    }
    m_Fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

COutputFile::~COutputFile()
{
    Discard();
}

bool COutputFile::OpenTemporary(const std::string& target, const struct stat* replaced)
{
    // A new file is created as a plain open creates it (0666 less the umask,
    // or as the folder's default ACL says); a replaced one with its own mode,
    // which then mostly needs no change.
    const mode_t mode = replaced ? replaced->st_mode & 0777 : 0666;
    const std::string folder = FolderOf(target);
    {
        CFileTurn turn;
        for (int attempt = 0; m_Fd < 0 && attempt < MostNameAttempts; ++attempt) {
            m_Temporary = TemporaryName(folder);
            if (!m_Cleanup.Arm(m_Temporary.c_str())) {
                m_Temporary.clear();
                errno = ENAMETOOLONG;
                return false;
            }
            m_Fd = open(m_Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (m_Fd < 0) {
                const int error = errno;
                m_Cleanup.Disarm();
                m_Temporary.clear();
                errno = error;
                if (error != EEXIST)
                    return false;
            }
        }
    }
    if (m_Fd < 0)
        return false;
    m_Target = target;
    if (replaced && !TakeOverAttributes(m_Fd, *replaced)) {
        const int error = errno;
        Discard();
        errno = error;
        return false;
    }
    return true;
}

bool COutputFile::Write(const std::uint8_t* data, std::size_t size)
{
    if (m_Fd < 0 || m_Failed)
        return false;
    if (m_Buffer.size() + size > BufferSize && !Flush())
        return false;
    if (size >= BufferSize)
        return Put(data, size); // the buffer is empty now
    m_Buffer.insert(m_Buffer.end(), data, data + size);
    return true;
}

bool COutputFile::Put(const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = write(m_Fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_Failed = true;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool COutputFile::Flush()
{
    if (m_Failed)
        return false;
    const bool written = Put(m_Buffer.data(), m_Buffer.size());
    m_Buffer.clear();
    return written;
}

bool COutputFile::Commit()
{
    if (m_Fd < 0)
        return false;
    bool written = Flush();
    const int fd = std::exchange(m_Fd, -1);
    if (m_Stdout)
        return written;
    written = close(fd) == 0 && written;
    if (m_Temporary.empty())
        return written;

    // Complete in the file system before it takes the name, so no reader
    // ever sees part of it. No fsync: it would cost a disk round trip per
    // label (about 12 ms, more than the whole run), and the rename over an
    // existing file already orders the data first on ext4 (auto_da_alloc).
    CFileTurn turn;
    const bool placed = written && rename(m_Temporary.c_str(), m_Target.c_str()) == 0;
    if (!placed)
        unlink(m_Temporary.c_str());
    m_Cleanup.Disarm();
    m_Temporary.clear();
    return placed;
}

void COutputFile::Discard()
{
    if (m_Fd >= 0 && m_Temporary.empty())
        static_cast<void>(Flush()); // what a plain stream would write on closing
    if (m_Fd >= 0 && !m_Stdout)
        close(m_Fd);
    m_Fd = -1;
    if (!m_Temporary.empty()) {
        CFileTurn turn;
        unlink(m_Temporary.c_str());
        m_Cleanup.Disarm();
        m_Temporary.clear();
    }
}
