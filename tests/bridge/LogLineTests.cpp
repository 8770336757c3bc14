// The example lines and gates of the call logger, as the built module writes them while it
// hosts the probe; switches are set the way a user sets them, through the settings file.
#include "tests/support/OplexaUnderTest.h"

#include <cstring>
#include <fstream>
#include <regex>

namespace
{
using Lines = std::vector<std::string>;

// Settings with the given opcodes switched off and the given detail flags.
void writeSettings(const OplexaUnderTest& oplexa, const std::string& dispatcherOff,
                   const std::string& functionsOff, const std::string& parameters)
{
    std::ofstream(oplexa.settingsFile())
        << "<Oplexa><Logger><vstDispatcherOpCodes>" << dispatcherOff << "</vstDispatcherOpCodes>"
        << "<vstAEffectFunctions>" << functionsOff << "</vstAEffectFunctions>"
        << "<Parameters " << parameters << "/></Logger></Oplexa>";
}

// What the module wrote after start-up and loading, up to now.
class Session
{
public:
    explicit Session(OplexaUnderTest& module) : oplexa(module)
    {
        proxy = oplexa.startOrThrow();
        mark();
    }
    void mark() { from = oplexa.lines().size(); }
    Lines newMessages()
    {
        const Lines all = oplexa.messages();
        Lines result(all.begin() + static_cast<long>(from), all.end());
        mark();
        return result;
    }
    VstIntPtr dispatch(int32_t opcode, int32_t index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return proxy->dispatcher(proxy, opcode, index, value, ptr, opt);
    }

    OplexaUnderTest& oplexa;
    AEffect* proxy = nullptr;
    size_t from = 0;
};
} // namespace

using LogLines = ProbeHosted;

TEST_F(LogLines, ExamplesThroughTheModule)
{
    probe->setText(effGetParamName, "Cutoff");
    probe->setRect(0, 0, 200, 300);
    probe->setResult(effEditGetRect, 1);
    probe->setResult(effGetProgram, 3);
    probe.callHostAt(effSetProgram, audioMasterAutomate, 5, 0.5f);
    probe.callHostAt(effSetProgram, audioMasterThereIsNoSuchOpCode);
    Session session(oplexa);

    session.dispatch(effSetProgram, 0, 3);
    char name[64] = {};
    session.dispatch(effGetParamName, 0, 0, name);
    ERect* rect = nullptr;
    session.dispatch(effEditGetRect, 0, 0, &rect);
    session.dispatch(effOpen);
    session.dispatch(effGetProgram);
    EXPECT_EQ(
        session.newMessages(),
        (Lines{"effSetProgram program=3 ", "audioMasterAutomate index=5 value=0.500000 ",
               "audioMasterThereIsNoSuchOpCode ", "effGetParamName parameter=0 ",
               "effGetParamName returned name=Cutoff", "effEditGetRect ",
               "effEditGetRect returned long=1 rect=top(0), left(0), bottom(200), right(300) ",
               "effOpen ", "effGetProgram ", "effGetProgram returned program=3 "}));

    // A null rectangle pointer prints the caller's variable instead.
    probe->setNullRect(1);
    session.dispatch(effEditGetRect, 0, 0, &rect);
    EXPECT_EQ(session.newMessages(),
              (Lines{"effEditGetRect ", formatted("effEditGetRect returned long=1 rect=%p",
                                                  static_cast<void*>(&rect))}));

    // Process lines, with the module's name and the thread in front.
    float in[2][4] = {}, out[2][4] = {};
    float* inputs[] = {in[0], in[1]};
    float* outputs[] = {out[0], out[1]};
    session.proxy->processReplacing(session.proxy, inputs, outputs, 4);
    const Lines lines = oplexa.lines();
    const std::string expected =
        formatted("oplexa-probe.so:processReplacing(inputs:%p, outputs:%p, sampleFrames:4)",
                  static_cast<void*>(inputs), static_cast<void*>(outputs));
    EXPECT_TRUE(std::regex_match(lines.back(), std::regex(R"(\([0-9A-F]+\) .*)"))) << lines.back();
    EXPECT_EQ(lines.back().substr(lines.back().find(") ") + 2), expected);
}

TEST_F(LogLines, GatesSetThroughTheSettingsFile)
{
    // GetProgram off, getParameter off, parameters off, return lines off.
    writeSettings(oplexa, R"(<opCode index="3" enabled="0"/>)",
                  R"(<opCode index="5" enabled="0"/>)",
                  R"(logParameters="0" logReturnParameters="0")");
    Session session(oplexa);

    session.dispatch(effSetProgram, 0, 3);
    session.dispatch(effGetProgram);
    char name[64] = {};
    session.dispatch(effGetParamName, 1, 0, name);
    session.proxy->getParameter(session.proxy, 0);
    session.proxy->setParameter(session.proxy, 0, 0.5f);
    session.dispatch(77);
    session.dispatch(-1);
    EXPECT_EQ(session.newMessages(), (Lines{"effSetProgram ", "effGetParamName ", "setParameter"}));
    // Opcodes outside the catalogue are forwarded all the same.
    EXPECT_EQ(probe->dispatchCount(77), 1);
}

TEST_F(LogLines, DispatcherFunctionSwitchSilencesEveryDispatcherLine)
{
    probe.callHostAt(effGetProgram, audioMasterIdle);
    writeSettings(oplexa, "", R"(<opCode index="0" enabled="0"/>)", R"(logTime="1")");
    Session session(oplexa);
    session.dispatch(effGetProgram);
    const Lines messages = session.newMessages();
    EXPECT_EQ(messages, (Lines{"audioMasterIdle "}));
    // Time of day in front when logTime is on.
    EXPECT_TRUE(std::regex_match(
        oplexa.lines().back(),
        std::regex(R"(\d\d:\d\d:\d\d\.\d\d\d \([0-9A-F]+\) oplexa-probe\.so:audioMasterIdle )")))
        << oplexa.lines().back();
}
