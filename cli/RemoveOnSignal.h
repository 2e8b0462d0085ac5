// Removing temporary files when a signal ends the process.
#pragma once

#include <array>
#include <csignal>
#include <cstddef>

// While armed, a signal that would end the process (hang-up, interrupt, quit,
// terminate, file size limit) first removes the named file, then ends the
// process as that signal does. Only signals left at their default action are
// taken over: one the process ignores stays ignored, and one it handles
// stays its own. Arm and Disarm are called with those signals blocked
// (CBlockFatalSignals), so the file is never created or renamed unseen.
// Up to MostPending files at once (one per thread of a batch); the handler
// is async-signal-safe.
class CRemoveOnSignal {
  public:
    CRemoveOnSignal() = default;
    ~CRemoveOnSignal() { Disarm(); }
    CRemoveOnSignal(const CRemoveOnSignal&) = delete;
    CRemoveOnSignal& operator=(const CRemoveOnSignal&) = delete;

    // False (and nothing armed) when the path is too long to keep or
    // MostPending files are armed already.
    bool Arm(const char* path);
    void Disarm();

    // Removes every armed file now; called with the signals blocked, by a
    // thread that takes the signals itself (sigwait) before ending the process.
    static void RemoveAllPending();

    static constexpr std::array<int, 5> Signals{SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGXFSZ};
    static constexpr std::size_t MostPending = 256;

  private:
    int m_Slot = -1; // the armed file's place in the pending list, -1 when none
};

// Blocks CRemoveOnSignal's signals in this thread while alive; they arrive
// when it goes. Threads creating, renaming and removing temporary files at
// once also take turns here, so a thread that takes the signals itself and
// holds one of these sees every file either armed or not yet created.
class CBlockFatalSignals {
  public:
    CBlockFatalSignals();
    ~CBlockFatalSignals();
    CBlockFatalSignals(const CBlockFatalSignals&) = delete;
    CBlockFatalSignals& operator=(const CBlockFatalSignals&) = delete;

  private:
    sigset_t m_Saved{};
};
