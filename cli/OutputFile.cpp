#include "cli/OutputFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <linux/openat2.h>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
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
std::string TemporaryName()
{
    static constexpr char Digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static constexpr std::uint64_t Base = sizeof Digits - 1;
    static const std::uint64_t key = ProcessKey();
    static std::atomic<std::uint64_t> count{0};
    // An odd step: distinct counts give distinct sums, and Mix keeps them apart.
    std::uint64_t bits = Mix(key + count.fetch_add(1) * 0x9e3779b97f4a7c15);
    std::string name = ".kavren-";
    for (int i = 0; i < 11; ++i, bits /= Base) // 62^11 > 2^64
        name += Digits[bits % Base];
    return name;
}

// Whether a file created with the replaced file's permissions already has
// its owner, group and mode, as the folder's attributes say.
bool CreatedAlike(const NewFileAttributes& created, const struct stat& replaced)
{
    const mode_t mode = replaced.st_mode & 07777;
    return created.known && replaced.st_uid == created.owner && replaced.st_gid == created.group &&
           (mode & 0777 & ~created.umask) == mode;
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

// What a symbolic link in the folder says; empty with errno when unreadable.
std::string ReadLinkAt(int folder, const std::string& name)
{
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlinkat(folder, name.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
        if (length >= 0)
            errno = ENAMETOOLONG;
        return {};
    }
    target.resize(static_cast<std::size_t>(length));
    return target;
}

std::deque<std::string> Components(std::string_view path)
{
    std::deque<std::string> parts;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at)
            parts.emplace_back(path.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

// Whether the kernel lacks openat2 (before Linux 5.6), once seen.
std::atomic<bool> g_NoOpenat2{false};

// A folder below `folder` by the kernel's beneath-only resolution, else by
// WalkBeneath. A rename elsewhere during the lookup makes the kernel give
// up (EAGAIN) rather than guess: tried again, then walked.
int OpenBeneath(int folder, const std::string& path)
{
    for (int attempt = 0; attempt < 3 && !g_NoOpenat2.load(std::memory_order_relaxed); ++attempt) {
        open_how how{};
        how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        const long fd = syscall(SYS_openat2, folder, path.c_str(), &how, sizeof how);
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != EAGAIN))
            return static_cast<int>(fd);
        if (errno == ENOSYS)
            g_NoOpenat2.store(true, std::memory_order_relaxed);
        if (errno != EAGAIN)
            break;
    }
    return WalkBeneath(folder, path);
}

} // namespace

CFd::CFd(CFd&& other) noexcept : m_Fd(std::exchange(other.m_Fd, -1))
{
}

CFd& CFd::operator=(CFd&& other) noexcept
{
    if (this != &other) {
        Reset();
        m_Fd = std::exchange(other.m_Fd, -1);
    }
    return *this;
}

void CFd::Reset()
{
    if (m_Fd >= 0)
        close(m_Fd);
    m_Fd = -1;
}

int WalkBeneath(int folder, std::string_view path)
{
    std::vector<CFd> entered; // the folders below `folder` on the way
    std::deque<std::string> rest = Components(path);
    for (int links = 0; !rest.empty();) {
        const std::string part = std::move(rest.front());
        rest.pop_front();
        if (part == ".")
            continue;
        if (part == "..") {
            if (entered.empty()) {
                errno = EXDEV;
                return -1;
            }
            entered.pop_back();
            continue;
        }
        const int at = entered.empty() ? folder : entered.back().Get();
        const int fd = openat(at, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            entered.emplace_back(fd);
            continue;
        }
        // O_PATH with O_NOFOLLOW opens a link itself, which is no folder.
        struct stat st {};
        if (errno != ENOTDIR || fstatat(at, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISLNK(st.st_mode)) {
            errno = errno == 0 ? ENOTDIR : errno;
            return -1;
        }
        if (++links > MostLinks) {
            errno = ELOOP;
            return -1;
        }
        const std::string target = ReadLinkAt(at, part);
        if (target.empty())
            return -1;
        if (target.front() == '/') {
            errno = EXDEV;
            return -1;
        }
        std::deque<std::string> parts = Components(target);
        rest.insert(rest.begin(), parts.begin(), parts.end());
    }
    if (entered.empty())
        return fcntl(folder, F_DUPFD_CLOEXEC, 0);
    return entered.back().Release();
}

std::string FolderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

COutputFolder::COutputFolder(const std::string& path) : m_Path(path)
{
    // The folder itself is the user's own: reached through any link.
    m_Fd = CFd(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!m_Fd.IsOpen() || fstat(m_Fd.Get(), &st) != 0) {
        m_Error = errno;
        m_Fd.Reset();
        return;
    }
    m_Device = st.st_dev;
    m_Inode = st.st_ino;
    // A default ACL gives new files its own permissions; none (or a file
    // system without ACLs) leaves them to the umask. The umask is read while
    // the batch has no other thread that could create a file meanwhile.
    const std::string self = "/proc/self/fd/" + std::to_string(m_Fd.Get());
    if (getxattr(self.c_str(), "system.posix_acl_default", nullptr, 0) >= 0 ||
        (errno != ENODATA && errno != ENOTSUP))
        return;
    m_Created.known = true;
    m_Created.owner = geteuid();
    m_Created.group = (st.st_mode & S_ISGID) != 0 ? st.st_gid : getegid();
    m_Created.umask = umask(0);
    umask(m_Created.umask);
}

bool COutputFolder::TakesNewFiles() const
{
    return IsOpen() && faccessat(m_Fd.Get(), ".", W_OK | X_OK, AT_EACCESS) == 0;
}

int COutputFolder::Resolve(std::string_view spelled, BeneathName& out) const
{
    if (!IsOpen())
        return m_Error;
    std::string path(spelled);
    for (int links = 0; links <= MostLinks; ++links) {
        const std::size_t slash = path.rfind('/');
        const std::string below = slash == std::string::npos ? std::string() : path.substr(0, slash);
        std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
        if (last.empty() || last == "." || last == "..")
            return EISDIR;
        CFd folder;
        if (!below.empty() && !(folder = CFd(OpenBeneath(m_Fd.Get(), below))).IsOpen())
            return errno;
        const int at = folder.IsOpen() ? folder.Get() : m_Fd.Get();
        struct stat st {};
        const int error = fstatat(at, last.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
        if (error == 0 && S_ISLNK(st.st_mode)) {
            const std::string target = ReadLinkAt(at, last);
            if (target.empty())
                return errno;
            if (target.front() == '/')
                return EXDEV;
            path = below.empty() ? target : below + "/" + target;
            continue;
        }
        out.target.known = true;
        out.target.error = error;
        out.target.status = st;
        if (!folder.IsOpen())
            out.target.created = m_Created;
        out.device = m_Device;
        out.inode = m_Inode;
        if (folder.IsOpen()) {
            if (fstat(folder.Get(), &st) != 0)
                return errno;
            out.device = st.st_dev;
            out.inode = st.st_ino;
        }
        out.below = std::move(folder);
        out.target.folder = at;
        out.target.name = std::move(last);
        out.target.path = m_Path + "/" + std::string(spelled);
        return 0;
    }
    return ELOOP;
}

COutputFile::COutputFile(const char* path) : m_Shown(path), m_Given(path)
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
    const bool named = !target.empty() && target.back() != '/';
    if (named) {
        const std::size_t slash = target.rfind('/');
        m_Name = slash == std::string::npos ? target : target.substr(slash + 1);
        m_OwnFolder = CFd(open(FolderOf(target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        m_Folder = m_OwnFolder.Get();
    }
    Open(&st, error, named && m_OwnFolder.IsOpen());
}

COutputFile::COutputFile(const OutputTarget& target)
    : m_Shown(target.path), m_Folder(target.folder), m_Name(target.name), m_Created(target.created)
{
    if (target.known) {
        Open(&target.status, target.error, true);
        return;
    }
    struct stat st {};
    const int error = fstatat(m_Folder, m_Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
    Open(&st, error, true);
}

// `found`: what lstat says of the file (`error` 0), or the errno when nothing
// is there; `named`: the folder is open and the name is a file's.
void COutputFile::Open(const struct stat* found, int error, bool named)
{
    const bool exists = error == 0;
    const bool absent = error == ENOENT;
    // Its owner may write it when the mode says so; anyone else asks.
    const bool owned = m_Created.known && exists && found->st_uid == m_Created.owner &&
                       (found->st_mode & S_IWUSR) != 0;
    const bool replaceable = named && exists && S_ISREG(found->st_mode) &&
                             (owned || faccessat(m_Folder, m_Name.c_str(), W_OK, AT_EACCESS) == 0);
    if (named && (absent || replaceable)) {
        if (OpenTemporary(exists ? found : nullptr))
            return;
        // A folder that takes no new files may still hold a file to write
        // in place, as a plain open would; any other failure (a full disk,
        // too many open files) must not cut the previous file.
        if (!(replaceable && (errno == EACCES || errno == EPERM))) {
            Fail();
            return;
        }
    }
    if (!m_Given.empty())
        m_Fd = open(m_Given.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    else
        m_Fd = openat(m_Folder, m_Name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (m_Fd < 0)
        Fail();
}

COutputFile::~COutputFile()
{
    Discard();
}

bool COutputFile::Fail()
{
    if (m_Error == 0)
        m_Error = errno;
    return false;
}

std::string COutputFile::Detail() const
{
    if (m_Error == 0)
        return {};
    return m_Shown.empty() ? std::strerror(m_Error) : m_Shown + ": " + std::strerror(m_Error);
}

bool COutputFile::OpenTemporary(const struct stat* replaced)
{
    // A new file is created as a plain open creates it (0666 less the umask,
    // or as the folder's default ACL says); a replaced one with its own mode,
    // which then mostly needs no change.
    const mode_t mode = replaced ? replaced->st_mode & 0777 : 0666;
    {
        CFileTurn turn;
        for (int attempt = 0; m_Fd < 0 && attempt < MostNameAttempts; ++attempt) {
            m_Temporary = TemporaryName();
            if (!m_Cleanup.Arm(m_Folder, m_Temporary.c_str())) {
                m_Temporary.clear();
                errno = ENFILE;
                return false;
            }
            m_Fd = openat(m_Folder, m_Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
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
    if (replaced && !CreatedAlike(m_Created, *replaced) && !TakeOverAttributes(m_Fd, *replaced)) {
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
            if (written == 0)
                errno = EIO;
            m_Failed = true;
            return Fail();
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
    written = (close(fd) == 0 || Fail()) && written;
    if (m_Temporary.empty())
        return written;

    // Complete in the file system before it takes the name, so no reader
    // ever sees part of it. No fsync: it would cost a disk round trip per
    // label (about 12 ms, more than the whole run), and the rename over an
    // existing file already orders the data first on ext4 (auto_da_alloc).
    CFileTurn turn;
    const bool placed =
        written && (renameat(m_Folder, m_Temporary.c_str(), m_Folder, m_Name.c_str()) == 0 || Fail());
    if (!placed)
        unlinkat(m_Folder, m_Temporary.c_str(), 0);
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
        unlinkat(m_Folder, m_Temporary.c_str(), 0);
        m_Cleanup.Disarm();
        m_Temporary.clear();
    }
}
