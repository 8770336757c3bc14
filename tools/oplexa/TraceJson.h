// The Trace Event Format's JSON (what the Perfetto UI and chrome://tracing open), written event by
// event to a file as it goes: nothing is held but the file's buffer. Times are nanoseconds and
// come out as microseconds with three decimals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace oplexa
{
class TraceJson
{
public:
    // Writes the opening of the event list.
    explicit TraceJson(FILE* to);
    TraceJson(const TraceJson&) = delete;
    TraceJson& operator=(const TraceJson&) = delete;

    // An event: phase 'X' (complete), 'i' (instant), 'C' (counter) or 'M' (metadata), then its
    // fields and args, then end(). A thread's events name it; kNoThread leaves it out.
    static constexpr int64_t kNoThread = -1;
    void begin(char phase, const std::string& name, int64_t tid, uint64_t ns);
    void duration(uint64_t ns);
    void category(const char* name);
    void scope(char which); // of an instant event: 't' thread, 'p' process, 'g' global
    void arg(const char* key, int64_t number);
    void arg(const char* key, double number);
    void argMicroseconds(const char* key, uint64_t ns);
    void argText(const char* key, const std::string& text);
    void argHex(const char* key, uint64_t number);
    void argTrue(const char* key);
    void end();

    // Closes the list; false when anything failed to be written.
    bool finish();

private:
    void put(const char* text);
    void putChar(char c)
    {
        if (used == sizeof buffer)
            flush();
        buffer[used++] = c;
    }
    void flush();
    void putUnsigned(uint64_t number);
    void putTime(uint64_t ns);
    void putString(const std::string& text);
    void argKey(const char* key);

    FILE* out;
    // Filled here: stdio's locked calls, a character at a time, took 40 % of a trace's time.
    char buffer[1 << 16];
    size_t used = 0;
    bool firstEvent = true;
    bool inArgs = false;
};
} // namespace oplexa
