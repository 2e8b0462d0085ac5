// Removing temporary files when a signal ends the process.
#pragma once

#include <array>
#include <csignal>
#include <cstddef>

// While armed, a signal that would end the process (hang-up, interrupt, quit,
// terminate) first removes the named file, then ends the
// process as that signal does, once the run has taken the signals: on one
// thread with CTakeFatalSignals, on several with the signals blocked in every
// thread and one thread waiting for them that calls RemoveAllPendingForGood.
// Only signals left at their default action are taken: one the process
// ignores stays ignored, and one it handles stays its own. A file-size limit
// ends no run: while the signals are taken, SIGXFSZ at its default is
// ignored, so the write that passes the limit fails (EFBIG) and the run ends
// with its status like any other failed write.
//
// A file is named by a folder descriptor and a name in it (unlinkat), so the
// name is short whatever the folder's path; the descriptor stays open while
// the file is armed.
//
// A file is armed before it is created and disarmed only after it is renamed
// or removed, so it is never there unarmed. A handler may thus remove a name
// that is armed but not (or no longer) there; temporary names are the
// process's own (cli/OutputFile.cpp), so that touches no other file. Arming
// and creating, and renaming or removing and disarming, happen under a
// CFileTurn, so a thread removing every armed file sees each one either
// created or not armed.
// Up to MostPending files at once (one per thread of a batch); the handler
// is async-signal-safe.
class CRemoveOnSignal {
  public:
    CRemoveOnSignal() = default;
    ~CRemoveOnSignal() { Disarm(); }
    CRemoveOnSignal(const CRemoveOnSignal&) = delete;
    CRemoveOnSignal& operator=(const CRemoveOnSignal&) = delete;

    // False (and nothing armed) when the name is too long to keep or
    // MostPending files are armed already.
    bool Arm(int folder, const char* name);
    void Disarm();

    // Waits until no thread holds a CFileTurn, keeps every thread out from
    // then on, and removes every armed file: for the thread that takes the
    // signals itself (sigwait) and ends the process next.
    static void RemoveAllPendingForGood();

    static constexpr std::array<int, 4> Signals{SIGHUP, SIGINT, SIGQUIT, SIGTERM};
    static constexpr std::size_t MostPending = 256;

  private:
    int m_Slot = -1; // the armed file's place in the pending list, -1 when none
};

// Held while a thread arms and creates a temporary file, or renames or
// removes and disarms it. Many threads hold it at once; only
// RemoveAllPendingForGood waits for them all. Not to be nested.
class CFileTurn {
  public:
    CFileTurn();
    ~CFileTurn();
    CFileTurn(const CFileTurn&) = delete;
    CFileTurn& operator=(const CFileTurn&) = delete;
};

// While alive, SIGXFSZ at its default action is ignored (and restored after).
class CIgnoreFileSizeSignal {
  public:
    CIgnoreFileSizeSignal();
    ~CIgnoreFileSizeSignal();
    CIgnoreFileSizeSignal(const CIgnoreFileSizeSignal&) = delete;
    CIgnoreFileSizeSignal& operator=(const CIgnoreFileSizeSignal&) = delete;

  private:
    bool m_Ignored = false;
};

// While alive, the signals at their default action remove every armed file,
// then end the process as they would; their actions before are restored
// when it goes. For a run that writes its files on this one thread.
class CTakeFatalSignals {
  public:
    CTakeFatalSignals();
    ~CTakeFatalSignals();
    CTakeFatalSignals(const CTakeFatalSignals&) = delete;
    CTakeFatalSignals& operator=(const CTakeFatalSignals&) = delete;

  private:
    std::array<bool, CRemoveOnSignal::Signals.size()> m_Taken{};
    std::array<struct sigaction, CRemoveOnSignal::Signals.size()> m_Previous{};
    CIgnoreFileSizeSignal m_FileSize;
};
