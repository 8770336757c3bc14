#include "bridge/CrashReport.h"

#include "bridge/CallGate.h"
#include "bridge/CallNames.h"
#include "bridge/Platform.h"
#include "bridge/Session.h"
#include "bridge/SessionRegistry.h"
#include "logger/LogSink.h"

void reportCrash(int signal) noexcept
{
    const callGate::Slot* slot = callGate::threads.slots.find(threadSlots::currentThread());
    const uint64_t mark = slot != nullptr ? slot->innermost() : 0;
    const auto* gate = callGate::gateOf(mark);
    const Session* session =
        gate != nullptr ? static_cast<const Session*>(gate->owner) : registry::busySession();
    LineBuffer line;
    // No time of day: localtime is not safe in a signal handler.
    OXLogger::beginNamedLine(
        line, session != nullptr ? session->oxLogger.moduleName.toRawUTF8() : "Oplexa", false);
    line.appendLiteral("Crash: ");
    line.appendText(platform::signalName(signal));
    if (gate != nullptr)
    {
        line.appendLiteral(" inside ");
        appendCallName(line, callGate::callOf(mark));
    }
    else
    {
        line.appendLiteral(" outside any call to the plugin");
    }
    const size_t length = line.finishLine();
    writeQueuedAndLineAfterCrash(line.c_str(), length);
    // Recordings hold every call up to and including the one that crashed.
    registry::forEverySession([](Session& each) noexcept { each.recorder.drainAfterCrash(); });
}
