// The first page: the function rows and, below them, the text of the proxy record.
// Message thread only; the record is read without a lock and shown as caught.
#pragma once

#include "gui/OXVstOpCodeListComponent.h"
#include "vst/VstInterface.h"

#include <juce_gui_basics/juce_gui_basics.h>

class OXVstAEffectComponent : public OXVstOpCodeListComponent
{
public:
    // The record is read on every tick, without a lock; it and the logger must outlive the page.
    OXVstAEffectComponent(const AEffect& effectToShow, OXLogger& logger);
    ~OXVstAEffectComponent() override;

    void init() override;
    // Rebuilds the text only when some byte of the record changed since the last build.
    void updateGUI() override;
    void updateEffectInfo();

    juce::TextEditor* getTextEditor() const noexcept { return textEditor; }

private:
    void placeRowsInRecordOrder();

    const AEffect& shownEffect;
    // Zero-filled, so the first comparison after init always finds a difference.
    AEffect lastEffect{};
    juce::TextEditor* textEditor = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OXVstAEffectComponent)
};
