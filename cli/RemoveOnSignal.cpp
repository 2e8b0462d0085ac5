#include "cli/RemoveOnSignal.h"

#include <climits>
#include <cstring>
#include <unistd.h>

namespace {

// The file the handler removes; written only while the signals are blocked.
char g_PendingPath[PATH_MAX];
volatile sig_atomic_t g_PendingArmed = 0;

extern "C" void RemovePendingAndDie(int signal)
{
    if (g_PendingArmed)
        unlink(g_PendingPath);
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

} // namespace

bool CRemoveOnSignal::Arm(const char* path)
{
    Disarm();
    const std::size_t length = std::strlen(path);
    if (length >= sizeof g_PendingPath)
        return false;
    std::memcpy(g_PendingPath, path, length + 1);
    g_PendingArmed = 1;
    m_Armed = true;

    struct sigaction handler {};
    handler.sa_handler = RemovePendingAndDie;
    handler.sa_mask = FatalSignalSet(); // one removal at a time
    for (std::size_t i = 0; i < Signals.size(); ++i) {
        m_Taken[i] = sigaction(Signals[i], nullptr, &m_Previous[i]) == 0 && IsDefault(m_Previous[i]) &&
                     sigaction(Signals[i], &handler, nullptr) == 0;
    }
    return true;
}

void CRemoveOnSignal::Disarm()
{
    if (!m_Armed)
        return;
    for (std::size_t i = 0; i < Signals.size(); ++i) {
        if (m_Taken[i])
            sigaction(Signals[i], &m_Previous[i], nullptr);
        m_Taken[i] = false;
    }
    g_PendingArmed = 0;
    m_Armed = false;
}

CBlockFatalSignals::CBlockFatalSignals()
{
    const sigset_t set = FatalSignalSet();
    sigprocmask(SIG_BLOCK, &set, &m_Saved);
}

CBlockFatalSignals::~CBlockFatalSignals()
{
    sigprocmask(SIG_SETMASK, &m_Saved, nullptr);
}
