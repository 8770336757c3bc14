#include "bridge/MessageThread.h"

#include "bridge/Platform.h"
#include "logger/AlternateSignalStack.h"
#include "logger/CaughtText.h"

#include <juce_events/juce_events.h>

void MessageThread::run()
{
    const AlternateSignalStack signalStack;
    juce::initialiseJuce_GUI();
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    {
        std::lock_guard<std::mutex> lock(mutex);
        ready = true;
    }
    started.notify_all();
    juce::MessageManager::getInstance()->runDispatchLoop();
}

void MessageThread::start()
{
    if (thread.joinable())
        return;
    ready = false;
    thread = std::thread([this] { run(); });
    std::unique_lock<std::mutex> lock(mutex);
    started.wait(lock, [this] { return ready; });
    filtersXErrors = platform::displayAvailable();
    if (filtersXErrors)
        platform::filterXErrorsOnThread(thread.get_id());
}

namespace
{
struct Call
{
    const std::function<void()>& function;
    OXLogger& logger;
    const char* place;
};
} // namespace

void MessageThread::call(const std::function<void()>& function, OXLogger& logger, const char* place)
{
    if (!thread.joinable())
        return;
    Call pending{function, logger, place};
    juce::MessageManager::getInstance()->callFunctionOnMessageThread(
        [](void* data) -> void*
        {
            const Call& each = *static_cast<const Call*>(data);
            try
            {
                each.function();
            }
            catch (...)
            {
                logCaught(each.logger, each.place);
            }
            return nullptr;
        },
        &pending);
}

void MessageThread::post(std::function<void()> function)
{
    if (thread.joinable())
        juce::MessageManager::callAsync(std::move(function));
}

bool MessageThread::stop(OXLogger& logger)
{
    if (!thread.joinable())
        return true;
    // Asked from the message thread itself: from outside, stopDispatchLoop still writes to the
    // MessageManager after posting its quit message, while the loop may be ending.
    call([] { juce::MessageManager::getInstance()->stopDispatchLoop(); }, logger,
         "MessageThread::stop");
    thread.join();
    // JUCE's shutdown closes the X libraries it opened, and dlclose waits for the loader's lock,
    // which a host that unloads Oplexa holds on this very thread: so it runs here, as in JUCE's
    // own plug-ins, with this thread standing in for the message thread.
    if (filtersXErrors)
        platform::filterXErrorsOnThread(std::this_thread::get_id());
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    juce::shutdownJuce_GUI();
    return platform::stopFilteringXErrors();
}

bool MessageThread::isRunning() const noexcept
{
    return thread.joinable();
}
