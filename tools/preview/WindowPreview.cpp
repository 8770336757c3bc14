// Shows the window with a sample record and some counted calls, for screenshots:
//   oplexa_gui_preview <tab index> <seconds>
#include "bridge/ProxyEffect.h"
#include "gui/OXContentComponent.h"
#include "gui/OXWindow.h"
#include "logger/OXLogger.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>

namespace
{
void fillSampleRecord()
{
    std::memset(static_cast<void*>(&proxyEffect), 0, sizeof proxyEffect);
    proxyEffect.magic = kEffectMagic;
    proxyEffect.numPrograms = 1;
    proxyEffect.numParams = 3;
    proxyEffect.numInputs = 2;
    proxyEffect.numOutputs = 2;
    proxyEffect.flags = effFlagsHasEditor | effFlagsCanReplacing;
    proxyEffect.ioRatio = 1.0f;
    proxyEffect.uniqueID = 0x4f706c78;
    proxyEffect.version = 1100;
}

void countSampleCalls()
{
    for (int i = 0; i < 40; ++i)
        oxLogger.logVstDispatcher(i % 3 == 0 ? 25 : 19, 0, 0, nullptr, 0.0f);
    oxLogger.logVstDispatcher(0, 0, 0, nullptr, 0.0f);
    oxLogger.logVstAudioMaster(1, 0, 0, nullptr, 0.0f);
    oxLogger.setVstOpCodeEnabled(false, OXLogger::vstDispatcherOpCodes, 19);
}
} // namespace

int main(int argc, char** argv)
{
    const int tab = argc > 1 ? std::atoi(argv[1]) : 0;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
    juce::ScopedJuceInitialiser_GUI juce;
    oxLogger.init("demo-plugin.so");
    oxLogger.loggingActive = false;
    fillSampleRecord();
    countSampleCalls();

    auto window = std::make_unique<OXWindow>();
    window->toFront(true);
    window->startTimer(50);
    window->getContent()->setCurrentlySelectedTab(tab);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(seconds * 1000);
    window.reset();
    return 0;
}
