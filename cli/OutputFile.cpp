#include "cli/OutputFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Symbolic links followed before giving up, as the kernel does (SYMLOOP_MAX).
constexpr int MostLinks = 40;

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file the path names once the symbolic links at its end are followed;
// for a dangling link, the file it points to (which the run creates). Folders
// on the way need no resolving: the temporary file goes beside the result.
// A loop or an unreadable link gives the path unchanged.
std::string FollowLinks(const std::string& path)
{
    std::string current = path;
    for (int hops = 0; hops < MostLinks; ++hops) {
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            return path;
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    return path;
}

// 0666 less the umask: what creating the file with fopen would give.
mode_t CreationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The replaced file's owner, group and permissions on the new one. Only root
// may give a file away; a group the user belongs to may still be kept.
bool TakeOverAttributes(int fd, const struct stat& replaced)
{
    struct stat own {};
    if (fstat(fd, &own) != 0)
        return false;
    if ((own.st_uid != replaced.st_uid || own.st_gid != replaced.st_gid) &&
        fchown(fd, replaced.st_uid, replaced.st_gid) != 0)
        static_cast<void>(fchown(fd, static_cast<uid_t>(-1), replaced.st_gid));
    return fchmod(fd, replaced.st_mode & 07777) == 0;
}

} // namespace

COutputFile::COutputFile(const char* path)
{
    if (std::strcmp(path, "-") == 0) {
        m_Stdout = true;
        m_File = stdout;
        std::clearerr(stdout);
        return;
    }
    const std::string target = FollowLinks(path);
    struct stat st {};
    const bool exists = lstat(target.c_str(), &st) == 0;
    const bool absent = !exists && errno == ENOENT;
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
    m_File = std::fopen(path, "wb");
}

COutputFile::~COutputFile()
{
    Discard();
}

bool COutputFile::OpenTemporary(const std::string& target, const struct stat* replaced)
{
    std::string name = FolderOf(target) + "/.kavren-XXXXXX";
    int fd = -1;
    {
        CBlockFatalSignals block;
        fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return false;
        if (!m_Cleanup.Arm(name.c_str())) {
            unlink(name.c_str());
            close(fd);
            errno = ENAMETOOLONG;
            return false;
        }
    }
    m_Temporary = name;
    m_Target = target;
    const bool ready = replaced ? TakeOverAttributes(fd, *replaced) : fchmod(fd, CreationMode()) == 0;
    m_File = ready ? fdopen(fd, "wb") : nullptr;
    if (!m_File) {
        const int error = errno;
        close(fd);
        Discard();
        errno = error;
        return false;
    }
    return true;
}

bool COutputFile::Commit()
{
    FILE* file = std::exchange(m_File, nullptr);
    if (!file)
        return false;
    if (m_Stdout)
        return std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (m_Temporary.empty())
        return std::fclose(file) == 0;

    // Complete in the file system before it takes the name, so no reader
    // ever sees part of it. No fsync: it would cost a disk round trip per
    // label (about 12 ms, more than the whole run), and the rename over an
    // existing file already orders the data first on ext4 (auto_da_alloc).
    bool written = std::fflush(file) == 0;
    written = std::fclose(file) == 0 && written;
    CBlockFatalSignals block;
    const bool placed = written && std::rename(m_Temporary.c_str(), m_Target.c_str()) == 0;
    if (!placed)
        unlink(m_Temporary.c_str());
    m_Cleanup.Disarm();
    m_Temporary.clear();
    return placed;
}

void COutputFile::Discard()
{
    FILE* file = std::exchange(m_File, nullptr);
    if (m_Stdout) {
        if (file)
            std::fflush(stdout);
        return;
    }
    if (file)
        std::fclose(file);
    if (!m_Temporary.empty()) {
        CBlockFatalSignals block;
        unlink(m_Temporary.c_str());
        m_Cleanup.Disarm();
        m_Temporary.clear();
    }
}
