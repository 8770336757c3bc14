// Shows the window with a sample record and some counted calls, for screenshots:
//   oplexa_gui_preview <tab index> <seconds>
#include "gui/OXContentComponent.h"
#include "gui/OXWindow.h"
#include "logger/OXLogger.h"
#include "vst/VstInterface.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
AEffect sampleRecord{};

void fillSampleRecord()
{
    sampleRecord.magic = kEffectMagic;
    sampleRecord.numPrograms = 1;
    sampleRecord.numParams = 3;
    sampleRecord.numInputs = 2;
    sampleRecord.numOutputs = 2;
    sampleRecord.flags = effFlagsHasEditor | effFlagsCanReplacing;
    sampleRecord.ioRatio = 1.0f;
    sampleRecord.uniqueID = 0x4f706c78;
    sampleRecord.version = 1100;
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

    auto window = std::make_unique<OXWindow>(sampleRecord);
    window->toFront(true);
    window->startTimer(50);
    window->getContent()->setCurrentlySelectedTab(tab);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(seconds * 1000);
    window.reset();
    return 0;
}
