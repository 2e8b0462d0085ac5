// Removing a temporary file when a signal ends the process.
#pragma once

#include <array>
#include <csignal>

// While armed, a signal that would end the process (hang-up, interrupt, quit,
// terminate, file size limit) first removes the named file, then ends the
// process as that signal does. Only signals left at their default action are
// taken over: one the process ignores stays ignored, and one it handles
// stays its own. Arm and Disarm are called with those signals blocked
// (CBlockFatalSignals), so the file is never created or renamed unseen.
// One file at a time; the handler is async-signal-safe.
class CRemoveOnSignal {
  public:
    CRemoveOnSignal() = default;
    ~CRemoveOnSignal() { Disarm(); }
    CRemoveOnSignal(const CRemoveOnSignal&) = delete;
    CRemoveOnSignal& operator=(const CRemoveOnSignal&) = delete;

    // False (and nothing armed) when the path is too long to keep.
    bool Arm(const char* path);
    void Disarm();

    static constexpr std::array<int, 5> Signals{SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGXFSZ};

  private:
    bool m_Armed = false;
    std::array<bool, Signals.size()> m_Taken{};
    std::array<struct sigaction, Signals.size()> m_Previous{};
};

// Blocks CRemoveOnSignal's signals while alive; they arrive when it goes.
class CBlockFatalSignals {
  public:
    CBlockFatalSignals();
    ~CBlockFatalSignals();
    CBlockFatalSignals(const CBlockFatalSignals&) = delete;
    CBlockFatalSignals& operator=(const CBlockFatalSignals&) = delete;

  private:
    sigset_t m_Saved{};
};
