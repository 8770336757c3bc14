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
int startsSoFar = 0;
thread_local Session* startingHere __attribute__((tls_model("initial-exec"))) = nullptr;
} // namespace

std::timed_mutex& lifecycle() noexcept
{
    static std::timed_mutex mutex;
    return mutex;
}

Session* sessionToStart(bool onlyOne, const std::string& wrapper)
{
    Session* idle = nullptr;
    // Bit n: number n+1 is held by a live session.
    std::vector<bool> held;
    for (Entry* entry = sessions.load(); entry != nullptr; entry = entry->next)
    {
        Session& session = entry->session;
        if (session.state == Session::State::idle)
        {
            idle = &session;
            continue;
        }
        if (session.wrapperPath != wrapper)
            continue;
        if (onlyOne)
            return nullptr;
        if (held.size() < static_cast<size_t>(session.instance))
            held.resize(static_cast<size_t>(session.instance));
        held[static_cast<size_t>(session.instance - 1)] = true;
    }
    if (idle == nullptr)
    {
        auto* entry = new Entry{{}, sessions.load()};
        sessions.store(entry);
        idle = &entry->session;
    }
    int number = 1;
    while (static_cast<size_t>(number) <= held.size() && held[static_cast<size_t>(number - 1)])
        ++number;
    idle->instance = number;
    idle->wrapperPath = wrapper;
    // Wrappers name their own plug-in and take no element of OPLEXA_PLUGIN's list.
    idle->startOrder = wrapper.empty() ? startsSoFar++ : 0;
    idle->state = Session::State::starting;
    busy.store(idle);
    return idle;
}

bool anyLiveSession() noexcept
{
    for (Entry* entry = sessions.load(); entry != nullptr; entry = entry->next)
        if (entry->session.state != Session::State::idle)
            return true;
    return false;
}

Session* busySession() noexcept
{
    for (Entry* entry = sessions.load(); entry != nullptr; entry = entry->next)
        if (entry->session.state != Session::State::idle)
            return &entry->session;
    return busy.load();
}

void releaseSessions() noexcept
{
    Entry* entry = sessions.exchange(nullptr);
    busy = nullptr;
    while (entry != nullptr)
    {
        Entry* next = entry->next;
        delete entry;
        entry = next;
    }
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
