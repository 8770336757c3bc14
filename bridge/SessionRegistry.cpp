#include "bridge/SessionRegistry.h"

#include "bridge/Session.h"

#include <atomic>

namespace registry
{
namespace
{
// Sessions are only ever added, each linked in front of the previous ones, and never freed:
// forwarders and refusals read the list without the lock.
struct Entry
{
    Session session;
    Entry* next;
};
std::atomic<Entry*> sessions{nullptr};
std::atomic<Session*> busy{nullptr};
thread_local Session* startingHere __attribute__((tls_model("initial-exec"))) = nullptr;
} // namespace

std::timed_mutex& lifecycle() noexcept
{
    static std::timed_mutex mutex;
    return mutex;
}

Session* sessionToStart()
{
    Session* idle = nullptr;
    for (Entry* entry = sessions.load(); entry != nullptr; entry = entry->next)
    {
        if (entry->session.state != Session::State::idle)
            return nullptr;
        idle = &entry->session;
    }
    if (idle == nullptr)
    {
        auto* entry = new Entry{{}, sessions.load()};
        sessions.store(entry);
        idle = &entry->session;
    }
    busy.store(idle);
    return idle;
}

Session* busySession() noexcept
{
    for (Entry* entry = sessions.load(); entry != nullptr; entry = entry->next)
        if (entry->session.state != Session::State::idle)
            return &entry->session;
    return busy.load();
}

void forEverySession(void (*function)(Session&) noexcept) noexcept
{
    for (Entry* entry = sessions.load(); entry != nullptr; entry = entry->next)
        function(entry->session);
}

std::vector<Session*> liveSessions()
{
    std::vector<Session*> live;
    for (Entry* entry = sessions.load(); entry != nullptr; entry = entry->next)
        if (entry->session.state != Session::State::idle)
            live.push_back(&entry->session);
    return live;
}
} // namespace registry

namespace registry
{
Session* sessionOfCallback(const AEffect* effect) noexcept
{
    if (effect != nullptr)
        for (Entry* entry = sessions.load(std::memory_order_acquire); entry != nullptr;
             entry = entry->next)
            if (entry->session.vstEffect.load(std::memory_order_relaxed) == effect)
                return &entry->session;
    if (startingHere != nullptr)
        return startingHere;
    return busySession();
}

void setStartingOnThisThread(Session* session) noexcept
{
    startingHere = session;
}

bool startingOnThisThread() noexcept
{
    return startingHere != nullptr;
}
} // namespace registry
