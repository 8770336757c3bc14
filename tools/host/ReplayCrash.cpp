#include "tools/host/ReplayCrash.h"

#include "record/RecordFormat.h"
#include "vst/OpCodeTable.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <unistd.h>

namespace host
{
namespace
{
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr const char* kSignalNames[] = {"SIGSEGV", "SIGBUS", "SIGFPE", "SIGILL", "SIGABRT"};
constexpr size_t kStackBytes = 64 * 1024;

// Plain values, so that the handler reads them without the reader's structures.
struct CrashingCall
{
    size_t ordinal = 0;
    int function = 0;
    int32_t opcode = 0;
    uint32_t thread = 0;
    uint64_t role = 0;
};

// The executable's own thread-locals are static TLS: a handler reads them safely.
thread_local CrashingCall current;
thread_local bool inCall = false;
int output = STDERR_FILENO;

class Text
{
public:
    void add(const char* text) noexcept
    {
        while (*text != '\0' && length < sizeof buffer)
            buffer[length++] = *text++;
    }
    void add(uint64_t number) noexcept
    {
        char digits[20];
        size_t count = 0;
        do
            digits[count++] = static_cast<char>('0' + number % 10);
        while ((number /= 10) != 0);
        while (count > 0 && length < sizeof buffer)
            buffer[length++] = digits[--count];
    }
    void write(int fd) const noexcept
    {
        const ssize_t ignored = ::write(fd, buffer, length);
        (void)ignored;
    }

private:
    char buffer[256];
    size_t length = 0;
};

// As callName() names it.
void addName(Text& text, int function, int32_t opcode) noexcept
{
    if (function == fnDispatcher && opcode >= 0 && opcode < kNumDispatcherOpCodes)
    {
        text.add("eff");
        text.add(effOpCodes[opcode].name);
    }
    else if (function == fnDispatcher)
    {
        text.add("dispatcher opcode ");
        if (opcode < 0)
            text.add("-");
        text.add(static_cast<uint64_t>(opcode < 0 ? -int64_t{opcode} : opcode));
    }
    else
        text.add(function >= 0 && function < kNumVstFunctions ? vstFunctionNames[function] : "?");
}

void onCrash(int signal) noexcept
{
    const int saved = errno;
    if (inCall)
    {
        Text text;
        text.add("host: replay: ");
        for (size_t i = 0; i < std::size(kSignals); ++i)
            if (kSignals[i] == signal)
                text.add(kSignalNames[i]);
        text.add(" in call ");
        text.add(static_cast<uint64_t>(current.ordinal));
        text.add(" (");
        addName(text, current.function, current.opcode);
        text.add(") on t");
        text.add(uint64_t{current.thread});
        text.add(" ");
        text.add(recordFormat::roleName(current.role));
        text.add("\n");
        text.write(output);
    }
    // Raised again with the default action: it ends the process once the handler returns (a
    // fault by running the instruction again).
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
    errno = saved;
}
} // namespace

void catchReplayCrashes(int fd) noexcept
{
    output = fd;
    struct sigaction action = {};
    action.sa_handler = onCrash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

void setCrashingCall(size_t ordinal, const recordFormat::Record* call) noexcept
{
    inCall = call != nullptr;
    if (call != nullptr)
        current = {ordinal, call->function, call->opcode, call->thread, call->role};
}

ReplayCrashStack::ReplayCrashStack() : memory(new char[kStackBytes])
{
    stack_t stack = {};
    stack.ss_sp = memory.get();
    stack.ss_size = kStackBytes;
    sigaltstack(&stack, nullptr);
}

ReplayCrashStack::~ReplayCrashStack()
{
    stack_t stack = {};
    stack.ss_flags = SS_DISABLE;
    sigaltstack(&stack, nullptr);
}
} // namespace host
