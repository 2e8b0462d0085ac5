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
// The bytes are gathered in memory and written with as few calls as
// possible: a document of up to BufferSize bytes in one.
#pragma once

#include "cli/RemoveOnSignal.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

// The folder of a path: what comes before its last '/', "/" for a name at the
// root, "." for a bare name.
std::string FolderOf(std::string_view path);

class COutputFile {
  public:
    explicit COutputFile(const char* path);
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

    static constexpr std::size_t BufferSize = 64 * 1024;

  private:
    bool OpenTemporary(const std::string& target, const struct stat* replaced);
    bool Put(const std::uint8_t* data, std::size_t size);
    bool Flush();
    void Discard();

    int m_Fd = -1;
    bool m_Stdout = false;
    bool m_Failed = false; // a write failed; nothing more is written
    std::vector<std::uint8_t> m_Buffer;
    std::string m_Target;    // what the temporary file is renamed to
    std::string m_Temporary; // empty when written directly
    CRemoveOnSignal m_Cleanup;
};
