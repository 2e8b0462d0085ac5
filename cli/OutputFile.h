// The output file of a run.
#pragma once

#include <cstdio>
#include <sys/types.h>

// Until Commit the file is discarded when the object goes: a partly written
// regular file is removed, anything else (a device, a FIFO) is only closed.
class COutputFile {
  public:
    explicit COutputFile(const char* path);
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    FILE* Get() const { return m_File; }

    // Closes the file; false (and the file discarded) when closing failed.
    bool Commit();

  private:
    void Discard() const;

    const char* m_Path;
    FILE* m_File;
    bool m_Regular = false;
    dev_t m_Device = 0;
    ino_t m_Inode = 0;
};
