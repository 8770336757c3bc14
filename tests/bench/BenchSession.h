// One benchmark process's plug-ins: the demo gain hosted through the built Oplexa.so, and a
// second demo instance from the same loaded module, called directly as the baseline; and
// optionally a third hosted through another build of the module, to compare the two in one run.
//
// The module's logging state is fixed at start-up from the settings file beside it, so the
// session writes that file (every switch on, or every switch off) into a folder of its own
// before the entry point runs. One session per process: the module hosts one plug-in at a time.
#pragma once

#include "vst/VstInterface.h"

#include <string>

class BenchSession
{
public:
    // logFile empty: the log goes to a file in the session's folder.
    // decode: the structures are decoded too (with logging on). directWrites: logWrites="direct",
    // each line written by the calling thread instead of going through the log queue.
    // comparedModule: another Oplexa.so to host the demo through as well, with the same settings
    // but for checkRules, which only Oplexa.so gets (the compared module is the one without).
    BenchSession(bool loggingOn, const std::string& logFile, bool decode, bool directWrites,
                 const std::string& comparedModule = {}, bool checkRules = false);
    ~BenchSession();
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    AEffect* throughOplexa() const { return proxy; }
    AEffect* direct() const { return plain; }
    // Null without a compared module.
    AEffect* throughCompared() const { return compared; }
    const std::string& logFile() const { return log; }
    // The session's own folder, removed with it.
    const std::string& scratchFolder() const { return folder; }

    // Makes one call of each measured kind through Oplexa, closes it so that every queued line
    // is written, hosts the demo anew, and checks that the log shows the calls exactly when
    // logging is on. Empty when fine; a log that is not a regular file (such as /dev/null)
    // can't be read and passes.
    std::string checkLogging();

private:
    void release();

    bool loggingOn;
    bool decode;
    std::string folder;
    std::string log;
    void* oplexaHandle = nullptr;
    void* demoHandle = nullptr;
    void* comparedHandle = nullptr;
    AEffect* proxy = nullptr;
    AEffect* plain = nullptr;
    AEffect* compared = nullptr;
};

// Stereo 64-frame buffers for processReplacing, filled with a tone.
struct BenchAudio
{
    static constexpr int kFrames = 64;
    float input[2][kFrames];
    float output[2][kFrames];
    float* inputs[2];
    float* outputs[2];
    BenchAudio();
};
