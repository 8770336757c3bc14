#include "bridge/SessionRegistry.h"

#include "bridge/CallbackPool.h"
#include "bridge/Process.h"
#include "bridge/Session.h"

#include <atomic>

// Sessions are only ever added, each linked in front of the previous ones, and never freed while
// the module is loaded: forwarders and refusals read the list without the lock.
struct SessionEntry
{
    Session session;
    SessionEntry* next;
};

namespace registry
{
namespace
{
using Entry = SessionEntry;
// Closed sessions wait this many deep, first in, first out, before one is started again: a host
// thread still calling a closed instance's record finds it closed for the next 64 instances.
constexpr int kQuarantine = 64;
} // namespace

std::timed_mutex& lifecycle() noexcept
{
    return Process::get().lifecycle;
}

namespace
{
// A callback of its own for session: a free one, else the one of the session closed longest ago.
bool handCallback(Session& session)
{
    session.callbackOfClosed = false;
    session.callback = callbackPool::take(session);
    if (session.callback >= 0)
        return true;
    Session* oldest = nullptr;
    for (Entry* entry = Process::get().sessions.load(); entry != nullptr; entry = entry->next)
        if (Session& closed = entry->session;
            closed.state == Session::State::idle && closed.callback >= 0 &&
            (oldest == nullptr || closed.endOrder < oldest->endOrder))
            oldest = &closed;
    if (oldest == nullptr)
        return false;
    std::swap(session.callback, oldest->callback);
    callbackPool::handOver(session.callback, session);
    session.callbackOfClosed = true;
    return true;
}
} // namespace

Session* sessionToStart(bool onlyOne, const std::string& wrapper, bool& noCallback)
{
    noCallback = false;
    Session* oldestClosed = nullptr;
    int closed = 0;
    // Bit n: number n+1 is held by a live session.
    std::vector<bool> held;
    for (Entry* entry = Process::get().sessions.load(); entry != nullptr; entry = entry->next)
    {
        Session& session = entry->session;
        if (session.state == Session::State::idle)
        {
            ++closed;
            if (oldestClosed == nullptr || session.endOrder < oldestClosed->endOrder)
                oldestClosed = &session;
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
    Session* idle = closed > kQuarantine ? oldestClosed : nullptr;
    if (idle != nullptr)
    {
        // Its callback goes back to the pool with it leaving the quarantine.
        callbackPool::giveBack(idle->callback);
        idle->callback = -1;
    }
    else
    {
        auto* entry = new Entry{{}, Process::get().sessions.load()};
        Process::get().sessions.store(entry);
        idle = &entry->session;
    }
    if (!handCallback(*idle))
    {
        // Every callback is a live session's: this one waits with the closed ones.
        idle->retire();
        noCallback = true;
        return nullptr;
    }
    int number = 1;
    while (static_cast<size_t>(number) <= held.size() && held[static_cast<size_t>(number - 1)])
        ++number;
    idle->instance = number;
    idle->wrapperPath = wrapper;
    // Wrappers name their own plug-in and take no element of OPLEXA_PLUGIN's list.
    idle->startOrder = wrapper.empty() ? Process::get().startsSoFar++ : 0;
    idle->state = Session::State::starting;
    Process::get().busy.store(idle);
    return idle;
}

bool anyLiveSession() noexcept
{
    for (Entry* entry = Process::get().sessions.load(); entry != nullptr; entry = entry->next)
        if (entry->session.state != Session::State::idle)
            return true;
    return false;
}

Session* busySession() noexcept
{
    for (Entry* entry = Process::get().sessions.load(); entry != nullptr; entry = entry->next)
        if (entry->session.state != Session::State::idle)
            return &entry->session;
    return Process::get().busy.load();
}

void releaseSessions() noexcept
{
    Entry* entry = Process::get().sessions.exchange(nullptr);
    Process::get().busy = nullptr;
    callbackPool::giveBackAll();
    while (entry != nullptr)
    {
        Entry* next = entry->next;
        delete entry;
        entry = next;
    }
}

void forEverySession(void (*function)(Session&) noexcept) noexcept
{
    for (Entry* entry = Process::get().sessions.load(); entry != nullptr; entry = entry->next)
        function(entry->session);
}

std::vector<Session*> liveSessions()
{
    std::vector<Session*> live;
    for (Entry* entry = Process::get().sessions.load(); entry != nullptr; entry = entry->next)
        if (entry->session.state != Session::State::idle)
            live.push_back(&entry->session);
    return live;
}
} // namespace registry
