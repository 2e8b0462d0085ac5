#include "cli/RemoveOnSignal.h"

#include <atomic>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

enum SlotState : int { Free, Claimed, Armed };

// The files the handler removes. A slot is claimed by one thread, filled, and
// only then marked armed; the handler reads only armed slots.
struct PendingFile {
    int folder = AT_FDCWD;
    char path[PATH_MAX]{};
    std::atomic<int> state{Free};
};
static_assert(std::atomic<int>::is_always_lock_free, "read by a signal handler");
// Zero at load, like any static data: no start-up code touches its megabyte.
constinit PendingFile g_Pending[CRemoveOnSignal::MostPending];

// Shared by the threads creating and renaming files, taken alone by the one
// removing them all. New holders wait behind a waiting remover, so that
// threads taking turns one after another never keep it out.
pthread_rwlock_t g_Turn = PTHREAD_RWLOCK_WRITER_NONRECURSIVE_INITIALIZER_NP;

void RemoveArmed()
{
    for (PendingFile& file : g_Pending)
        if (file.state.load() == Armed)
            unlinkat(file.folder, file.path, 0);
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

bool IsDefault(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_DFL;
}

} // namespace

bool CRemoveOnSignal::Arm(int folder, const char* path)
{
    Disarm();
    const std::size_t length = std::strlen(path);
    if (length >= sizeof g_Pending[0].path)
        return false;
    for (std::size_t slot = 0; slot < MostPending; ++slot) {
        PendingFile& file = g_Pending[slot];
        int expected = Free;
        if (!file.state.compare_exchange_strong(expected, Claimed))
            continue;
        file.folder = folder;
        std::memcpy(file.path, path, length + 1);
        file.state.store(Armed);
        m_Slot = static_cast<int>(slot);
        return true;
    }
    return false;
}

void CRemoveOnSignal::Disarm()
{
    if (m_Slot < 0)
        return;
    g_Pending[m_Slot].state.store(Free);
    m_Slot = -1;
}

void CRemoveOnSignal::RemoveAllPendingForGood()
{
    pthread_rwlock_wrlock(&g_Turn);
    RemoveArmed();
}

CFileTurn::CFileTurn()
{
    pthread_rwlock_rdlock(&g_Turn);
}

CFileTurn::~CFileTurn()
{
    pthread_rwlock_unlock(&g_Turn);
}

CIgnoreFileSizeSignal::CIgnoreFileSizeSignal()
{
    struct sigaction current {};
    if (sigaction(SIGXFSZ, nullptr, &current) != 0 || !IsDefault(current))
        return;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    m_Ignored = sigaction(SIGXFSZ, &ignore, nullptr) == 0;
}

CIgnoreFileSizeSignal::~CIgnoreFileSizeSignal()
{
    if (!m_Ignored)
        return;
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(SIGXFSZ, &standard, nullptr);
}

CTakeFatalSignals::CTakeFatalSignals()
{
    struct sigaction handler {};
    handler.sa_handler = RemovePendingAndDie;
    sigemptyset(&handler.sa_mask); // one removal at a time
    for (const int s : CRemoveOnSignal::Signals)
        sigaddset(&handler.sa_mask, s);
    const auto& signals = CRemoveOnSignal::Signals;
    for (std::size_t i = 0; i < signals.size(); ++i) {
        m_Taken[i] = sigaction(signals[i], nullptr, &m_Previous[i]) == 0 && IsDefault(m_Previous[i]) &&
                     sigaction(signals[i], &handler, nullptr) == 0;
    }
}

CTakeFatalSignals::~CTakeFatalSignals()
{
    const auto& signals = CRemoveOnSignal::Signals;
    for (std::size_t i = 0; i < signals.size(); ++i)
        if (m_Taken[i])
            sigaction(signals[i], &m_Previous[i], nullptr);
}
