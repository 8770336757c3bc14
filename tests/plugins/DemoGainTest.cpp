// The demo gain plug-in in the test's process: instances of their own, programs that keep
// their edits, and texts that stay inside the interface's nominal sizes.
#include "tests/plugins/PartnerPaths.h"

#include "vst/VstInterface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <string>

namespace
{
VstIntPtr modernHost(AEffect*, int32_t opcode, int32_t, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

VstIntPtr ancientHost(AEffect*, int32_t, int32_t, VstIntPtr, void*, float)
{
    return 0;
}

class DemoGainInProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handle = dlopen(partners::kDemoGainPath, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        entry = reinterpret_cast<VstPluginMainProc>(dlsym(handle, "VSTPluginMain"));
        ASSERT_NE(entry, nullptr);
    }

    void TearDown() override
    {
        if (handle != nullptr)
            dlclose(handle);
    }

    static VstIntPtr dispatch(AEffect* effect, int32_t opcode, int32_t index = 0,
                              VstIntPtr value = 0, void* ptr = nullptr)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }

    // A text the plug-in writes into a buffer of the nominal size, with guard bytes after it.
    static std::string text(AEffect* effect, int32_t opcode, size_t nominalSize, int32_t index = 0)
    {
        char buffer[128];
        std::memset(buffer, 0x7f, sizeof(buffer));
        std::memset(buffer, 0, nominalSize);
        dispatch(effect, opcode, index, 0, buffer);
        for (size_t i = nominalSize; i < sizeof(buffer); ++i)
            EXPECT_EQ(buffer[i], 0x7f) << "opcode " << opcode << " wrote past " << nominalSize;
        return std::string(buffer, strnlen(buffer, nominalSize));
    }

    void* handle = nullptr;
    VstPluginMainProc entry = nullptr;
};
} // namespace

TEST_F(DemoGainInProcess, RefusesHostsOlderThanVst2)
{
    EXPECT_EQ(entry(ancientHost), nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
}

TEST_F(DemoGainInProcess, KeepsInstancesApart)
{
    AEffect* first = entry(modernHost);
    AEffect* second = entry(modernHost);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first->object, second->object);
    first->setParameter(first, 0, 0.25f);
    EXPECT_EQ(first->getParameter(first, 0), 0.25f);
    EXPECT_EQ(second->getParameter(second, 0), 0.8f);
    EXPECT_EQ(dispatch(first, effClose), 1);
    EXPECT_EQ(second->getParameter(second, 0), 0.8f);
    EXPECT_EQ(dispatch(second, effClose), 1);
}

TEST_F(DemoGainInProcess, ProgramsKeepTheirEditsAndNames)
{
    AEffect* effect = entry(modernHost);
    dispatch(effect, effSetProgram, 0, 2);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.9f); // "Boost"
    effect->setParameter(effect, 0, 0.7f);
    dispatch(effect, effSetProgram, 0, 0);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.8f);
    dispatch(effect, effSetProgram, 0, 2);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.7f);
    dispatch(effect, effSetProgram, 0, 3); // no such program: nothing changes
    EXPECT_EQ(dispatch(effect, effGetProgram), 2);

    std::string longName = "A name far longer than twenty-four characters";
    dispatch(effect, effSetProgramName, 0, 0, longName.data());
    EXPECT_EQ(text(effect, effGetProgramName, 24), longName.substr(0, 23));
    EXPECT_EQ(text(effect, effGetProgramNameIndexed, 24, 0), "Unity");
    EXPECT_EQ(dispatch(effect, effGetProgramNameIndexed, 3, 0, longName.data()), 0);
    dispatch(effect, effClose);
}

TEST_F(DemoGainInProcess, DescribesItsGainInDecibelsWithinTheNominalSizes)
{
    AEffect* effect = entry(modernHost);
    EXPECT_EQ(text(effect, effGetParamName, 8), "Gain");
    EXPECT_EQ(text(effect, effGetParamLabel, 8), "dB");
    EXPECT_EQ(text(effect, effGetParamDisplay, 8), "0.0");
    effect->setParameter(effect, 0, 1.0f);
    EXPECT_EQ(text(effect, effGetParamDisplay, 8), "12.0");
    effect->setParameter(effect, 0, 0.0f);
    EXPECT_EQ(text(effect, effGetParamDisplay, 8), "-inf");
    effect->setParameter(effect, 0, 7.0f); // out of range: clamped
    EXPECT_EQ(effect->getParameter(effect, 0), 1.0f);
    EXPECT_EQ(text(effect, effGetEffectName, 64), "Oplexa Demo Gain");
    EXPECT_EQ(text(effect, effGetVendorString, 64), "Oplexa");

    float left[2] = {0.5f, -0.25f}, right[2] = {1.0f, 0.0f}, outLeft[2], outRight[2];
    float* inputs[] = {left, right};
    float* outputs[] = {outLeft, outRight};
    effect->setParameter(effect, 0, 0.0f);
    effect->processReplacing(effect, inputs, outputs, 2);
    EXPECT_EQ(outLeft[0], 0.0f); // -inf dB is silence
    EXPECT_EQ(outRight[0], 0.0f);
    dispatch(effect, effClose);
}
