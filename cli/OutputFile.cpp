#include "cli/OutputFile.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

COutputFile::COutputFile(const char* path) : m_Path(path), m_File(std::fopen(path, "wb"))
{
    struct stat st {};
    if (m_File && fstat(fileno(m_File), &st) == 0 && S_ISREG(st.st_mode)) {
        m_Regular = true;
        m_Device = st.st_dev;
        m_Inode = st.st_ino;
    }
}

COutputFile::~COutputFile()
{
    if (m_File) {
        std::fclose(m_File);
        Discard();
    }
}

bool COutputFile::Commit()
{
    FILE* file = m_File;
    m_File = nullptr;
    if (std::fclose(file) == 0)
        return true;
    Discard();
    return false;
}

// Removes the path only while it still names the very file written here.
void COutputFile::Discard() const
{
    struct stat st {};
    if (!m_Regular || lstat(m_Path, &st) != 0)
        return;
    if (S_ISREG(st.st_mode) && st.st_dev == m_Device && st.st_ino == m_Inode)
        std::remove(m_Path);
    else if (stat(m_Path, &st) == 0 && st.st_dev == m_Device && st.st_ino == m_Inode)
        static_cast<void>(truncate(m_Path, 0)); // reached through a link: empty it
}
