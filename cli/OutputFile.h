// The output of a run.
//
// A regular file, new or replaced, also one reached through symbolic links,
// is written to a temporary file of its own (a unique name in the target's
// folder) and renamed over the target only when it is complete. A failed or
// interrupted run thus leaves the previous file as it was and no temporary
// file behind (with the signals taken, see cli/RemoveOnSignal.h), and runs
// writing the same name at the same time leave one whole image: the last to
// finish. A replaced file keeps its permissions (and, where allowed, its
// owner and group); a new one gets the permissions a plain creation gives
// (0666 less the umask).
//
// Written directly, as a plain open for writing would: the name "-"
// (standard output), devices, FIFOs, and an existing file that can be written
// but whose folder takes no new files.
//
// A batch line's file is instead resolved inside the batch's output folder
// (COutputFolder), held open, and never leaves it: by the kernel's
// beneath-only resolution where it has it, else component by component
// without following a link that is not read and checked first. A link
// inside the folder is followed; an absolute link, or one whose '..' climbs
// out, refuses the name. The temporary file is created and renamed in the
// folder the name resolved to, by its descriptor, so no link put in place
// meanwhile can send the file elsewhere (a link at the name itself is
// replaced, as rename replaces any name).
//
// A temporary file is always named relative to its folder's descriptor, so a
// folder path close to PATH_MAX takes one as any other does.
//
// A failure keeps the system's reason: Detail() names the file and says why
// ("/x/out.png: No such file or directory").
//
// The bytes are gathered in memory and written with as few calls as
// possible: a document of up to BufferSize bytes in one.
#pragma once

#include "cli/RemoveOnSignal.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>
#include <vector>

// The folder of a path: what comes before its last '/', "/" for a name at the
// root, "." for a bare name.
std::string FolderOf(std::string_view path);

// A descriptor, closed with its owner.
class CFd {
  public:
    CFd() = default;
    explicit CFd(int fd) : m_Fd(fd) {}
    ~CFd() { Reset(); }
    CFd(CFd&& other) noexcept;
    CFd& operator=(CFd&& other) noexcept;
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;

    int Get() const { return m_Fd; }
    bool IsOpen() const { return m_Fd >= 0; }
    void Reset();
    int Release() { return std::exchange(m_Fd, -1); }

  private:
    int m_Fd = -1;
};

// What a file created in a folder is given when the folder alone decides
// it: the process's owner, its group or (a set-group-ID folder) the
// folder's, and the mode asked for less the umask. Not `known` where a
// default ACL may decide otherwise, or the folder could not be read.
struct NewFileAttributes {
    bool known = false;
    uid_t owner = 0;
    gid_t group = 0;
    mode_t umask = 0;
};

// Where a file goes: a name of the user's own (folder -1: opened as given,
// links followed), or one name in a folder held open, which is no link.
struct OutputTarget {
    std::string path; // as spelled: the format comes from it, messages show it
    int folder = -1;
    std::string name;
    // What lstat said of the name in the folder when it was resolved, when
    // still `known` (nothing has written it since): its status, or the errno
    // when nothing is there. Not known: the file looks again.
    bool known = false;
    int error = 0;
    struct stat status {};
    // What a new file in `folder` is given, so that replacing a file of the
    // same owner, group and mode needs no look at the new one.
    NewFileAttributes created;
};

// A batch line's file resolved inside the output folder: the folder it is in
// (held here when below the output folder) and its name there. The folder's
// device and inode with the name tell one file whatever the spelling.
struct BeneathName {
    CFd below;
    OutputTarget target;
    dev_t device = 0;
    ino_t inode = 0;
};

// The output folder of a batch, held open from the start.
class COutputFolder {
  public:
    explicit COutputFolder(const std::string& path);

    bool IsOpen() const { return m_Fd.IsOpen(); }
    int Error() const { return m_Error; } // errno of the opening, 0 when open
    const std::string& Path() const { return m_Path; }
    // Whether a new file can be made in the folder itself.
    bool TakesNewFiles() const;

    // The file a name relative to the folder stands for, its links
    // followed inside it: 0, or the errno that refuses it (EXDEV for a name
    // that leads out of the folder).
    int Resolve(std::string_view name, BeneathName& out) const;

  private:
    std::string m_Path;
    CFd m_Fd;
    int m_Error = 0;
    dev_t m_Device = 0;
    ino_t m_Inode = 0;
    NewFileAttributes m_Created; // of a file made in the folder itself
};

// The folder a relative path names below `folder` (an O_PATH descriptor),
// walked one component at a time with no link followed unread: the
// resolution where the kernel has no beneath-only one. -1 with errno
// (EXDEV: the path leads out). Exposed for its tests.
int WalkBeneath(int folder, std::string_view path);

class COutputFile {
  public:
    explicit COutputFile(const char* path);
    explicit COutputFile(const OutputTarget& target);
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // False when the output cannot be opened.
    bool IsOpen() const { return m_Fd >= 0; }

    // The next piece of the file; false when it cannot be written (nor
    // anything after it).
    bool Write(const std::uint8_t* data, std::size_t size);

    // Writes what is left, closes the output and puts it in place; false
    // when any of it failed (a temporary file is then removed, the target
    // untouched).
    bool Commit();

    // The file and the system's reason for the first failure.
    std::string Detail() const;

    static constexpr std::size_t BufferSize = 64 * 1024;

  private:
    void Open(const struct stat* found, int error, bool named);
    bool OpenTemporary(const struct stat* replaced);
    bool Put(const std::uint8_t* data, std::size_t size);
    bool Flush();
    void Discard();
    bool Fail(); // keeps errno as the reason; false

    int m_Fd = -1;
    int m_Error = 0;
    std::string m_Shown; // the path as spelled
    std::string m_Given; // a name of the user's own, for a plain open; empty in a batch
    CFd m_OwnFolder;     // the folder of a single run's file
    int m_Folder = -1;   // the folder the file goes in
    std::string m_Name;  // its name there
    bool m_Stdout = false;
    bool m_Failed = false; // a write failed; nothing more is written
    std::vector<std::uint8_t> m_Buffer;
    std::string m_Temporary; // in m_Folder; empty when written directly
    NewFileAttributes m_Created;
    CRemoveOnSignal m_Cleanup;
};
