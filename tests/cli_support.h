// In-process helpers for the command-line suites: capture what a call writes
// to a standard stream, and build an argument vector from strings.
#pragma once

#include "tests/support/TestSupport.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kt {

// Redirects one standard stream (by descriptor) into a scratch file while alive.
class StreamCapture {
  public:
    StreamCapture(FILE* stream, const std::string& name)
        : m_Stream(stream), m_Path(ScratchPath(name)), m_Saved(dup(fileno(stream)))
    {
        std::fflush(m_Stream);
        const int fd = open(m_Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, fileno(m_Stream));
        close(fd);
    }
    ~StreamCapture() { Release(); }
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;

    // Restores the stream and returns everything written meanwhile.
    std::string Release()
    {
        if (m_Saved >= 0) {
            std::fflush(m_Stream);
            dup2(m_Saved, fileno(m_Stream));
            close(m_Saved);
            m_Saved = -1;
            std::ifstream in(m_Path, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            m_Text = text.str();
        }
        return m_Text;
    }

  private:
    FILE* m_Stream;
    std::string m_Path;
    int m_Saved;
    std::string m_Text;
};

// A null-terminated argv whose element 0 is the program name.
class ArgVector {
  public:
    explicit ArgVector(const std::vector<std::string>& args) : m_Store{"kavren"}
    {
        m_Store.insert(m_Store.end(), args.begin(), args.end());
        for (auto& a : m_Store)
            m_Pointers.push_back(a.data());
        m_Pointers.push_back(nullptr);
    }
    ArgVector(const ArgVector&) = delete; // the pointers point into this object
    ArgVector& operator=(const ArgVector&) = delete;
    int Count() const { return static_cast<int>(m_Store.size()); }
    char** Get() { return m_Pointers.data(); }

  private:
    std::vector<std::string> m_Store;
    std::vector<char*> m_Pointers;
};

} // namespace kt
