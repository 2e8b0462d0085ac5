// The output of a run.
//
// A regular file, new or replaced, also one reached through symbolic links,
// is written to a temporary file of its own (a unique name in the target's
// folder) and renamed over the target only when it is complete and flushed
// to the disk. A failed or interrupted run thus leaves the previous file as
// it was and no temporary file behind, and runs writing the same name at the
// same time leave one whole image: the last to finish. A replaced file keeps
// its permissions (and, where allowed, its owner and group); a new one gets
// the permissions a plain creation would give (0666 less the umask).
//
// Written directly, as a plain open for writing would: the name "-"
// (standard output), devices, FIFOs, and an existing file that can be written
// but whose folder takes no new files.
#pragma once

#include "cli/RemoveOnSignal.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

class COutputFile {
  public:
    explicit COutputFile(const char* path);
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Null when the output cannot be opened.
    FILE* Get() const { return m_File; }

    // Flushes and closes the output and puts it in place; false when any of
    // it failed (a temporary file is then removed, the target untouched).
    bool Commit();

  private:
    bool OpenTemporary(const std::string& target, const struct stat* replaced);
    void Discard();

    FILE* m_File = nullptr;
    bool m_Stdout = false;
    std::string m_Target;    // what the temporary file is renamed to
    std::string m_Temporary; // empty when written directly
    CRemoveOnSignal m_Cleanup;
};
