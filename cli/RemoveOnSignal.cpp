#include "cli/RemoveOnSignal.h"

#include <climits>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace {

// The files the handler removes; written only while the signals are blocked
// and the turn (g_Turn) is held.
struct PendingFile {
    char path[PATH_MAX];
    volatile sig_atomic_t armed;
};
PendingFile g_Pending[CRemoveOnSignal::MostPending];

// Taken while the signals are blocked; recursive, as a blocked section may
// hold another (a failed creation discards its file).
std::recursive_mutex g_Turn;
// Armed files; the handlers are installed while there is one.
std::size_t g_ArmedCount = 0;
std::array<bool, CRemoveOnSignal::Signals.size()> g_Taken{};
std::array<struct sigaction, CRemoveOnSignal::Signals.size()> g_Previous{};

void RemoveArmed()
{
    for (PendingFile& file : g_Pending)
        if (file.armed)
            unlink(file.path);
}

extern "C" void RemovePendingAndDie(int signal)
{
    RemoveArmed();
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    // Blocked while the handler runs; delivered, and fatal, when it returns.
    raise(signal);
}

sigset_t FatalSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int s : CRemoveOnSignal::Signals)
        sigaddset(&set, s);
    return set;
}

bool IsDefault(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_DFL;
}

void TakeSignals()
{
    struct sigaction handler {};
    handler.sa_handler = RemovePendingAndDie;
    handler.sa_mask = FatalSignalSet(); // one removal at a time
    const auto& signals = CRemoveOnSignal::Signals;
    for (std::size_t i = 0; i < signals.size(); ++i) {
        g_Taken[i] = sigaction(signals[i], nullptr, &g_Previous[i]) == 0 && IsDefault(g_Previous[i]) &&
                     sigaction(signals[i], &handler, nullptr) == 0;
    }
}

void GiveBackSignals()
{
    const auto& signals = CRemoveOnSignal::Signals;
    for (std::size_t i = 0; i < signals.size(); ++i) {
        if (g_Taken[i])
            sigaction(signals[i], &g_Previous[i], nullptr);
        g_Taken[i] = false;
    }
}

} // namespace

bool CRemoveOnSignal::Arm(const char* path)
{
    Disarm();
    const std::size_t length = std::strlen(path);
    if (length >= sizeof g_Pending[0].path)
        return false;
    std::lock_guard turn(g_Turn);
    for (std::size_t slot = 0; slot < MostPending; ++slot) {
        PendingFile& file = g_Pending[slot];
        if (file.armed)
            continue;
        std::memcpy(file.path, path, length + 1);
        file.armed = 1;
        m_Slot = static_cast<int>(slot);
        if (g_ArmedCount++ == 0)
            TakeSignals();
        return true;
    }
    return false;
}

void CRemoveOnSignal::Disarm()
{
    if (m_Slot < 0)
        return;
    std::lock_guard turn(g_Turn);
    g_Pending[m_Slot].armed = 0;
    m_Slot = -1;
    if (--g_ArmedCount == 0)
        GiveBackSignals();
}

void CRemoveOnSignal::RemoveAllPending()
{
    std::lock_guard turn(g_Turn);
    RemoveArmed();
}

CBlockFatalSignals::CBlockFatalSignals()
{
    const sigset_t set = FatalSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, &m_Saved);
    g_Turn.lock();
}

CBlockFatalSignals::~CBlockFatalSignals()
{
    g_Turn.unlock();
    pthread_sigmask(SIG_SETMASK, &m_Saved, nullptr);
}
