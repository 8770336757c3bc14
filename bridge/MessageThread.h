// JUCE's message loop on a thread of Oplexa's own: Linux hosts never dispatch JUCE's messages,
// so the chooser, the window and its timer live on this thread while the host's thread waits.
// The process has one (see Process.h).
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class OXLogger;

class MessageThread
{
public:
    // Starts JUCE's GUI support on a new thread and runs its dispatch loop there.
    void start();
    // Runs the function on the message thread and waits for it; what it throws stays on that
    // thread, and a line in logger names place and the exception.
    void call(const std::function<void()>& function, OXLogger& logger, const char* place);
    // Runs the function on the message thread later; nothing when the thread is not running.
    void post(std::function<void()> function);
    // Stops the loop, joins the message thread and shuts JUCE's GUI support down on this
    // thread. False when Oplexa's X error filter could not be taken out (see
    // platform::stopFilteringXErrors). What the loop's stop throws is said in logger.
    bool stop(OXLogger& logger);
    bool isRunning() const noexcept;

private:
    void run();

    std::thread thread;
    std::mutex mutex;
    std::condition_variable started;
    bool ready = false;
    bool filtersXErrors = false;
};
