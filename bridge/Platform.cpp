#include "bridge/Platform.h"

#include "logger/SafeCalls.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <iterator>
#include <linux/membarrier.h>
#include <mutex>
#include <new>
#include <pthread.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// The module links with --wrap=__cxa_atexit: every destructor its code registers, JUCE's included,
// comes through __wrap___cxa_atexit below.
extern "C" int __real___cxa_atexit(void (*destructor)(void*), void* object, void* module);

namespace platform
{
ModuleHandle openModule(const char* path) noexcept
{
    if (path == nullptr || *path == '\0')
        return nullptr;
    dlerror();
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

VstPluginMainProc findEntryPoint(ModuleHandle module, const char** name) noexcept
{
    if (module == nullptr)
        return nullptr;
    for (const char* entry : {"VSTPluginMain", "main", "main_macho"})
        if (void* symbol = dlsym(module, entry))
        {
            if (name != nullptr)
                *name = entry;
            return reinterpret_cast<VstPluginMainProc>(symbol);
        }
    return nullptr;
}

bool isOwnModule(ModuleHandle module) noexcept
{
    void* entry = module != nullptr ? dlsym(module, "VSTPluginMain") : nullptr;
    Dl_info theirs{};
    Dl_info ours{};
    return entry != nullptr && dladdr(entry, &theirs) != 0 &&
           dladdr(reinterpret_cast<void*>(&isOwnModule), &ours) != 0 &&
           theirs.dli_fbase == ours.dli_fbase;
}

void closeModule(ModuleHandle module) noexcept
{
    if (module != nullptr)
        dlclose(module);
}

std::string lastModuleError() noexcept
{
    const char* error = dlerror();
    return error != nullptr ? error : "";
}

std::string ownModulePath() noexcept
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownModulePath), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return info.dli_fname;
}

ResourceRef openResources(ModuleHandle) noexcept
{
    return 0;
}

void closeResources(ModuleHandle, ResourceRef) noexcept {}

ResourceRef currentResources() noexcept
{
    return 0;
}

void useResources(ResourceRef) noexcept {}

std::string workingFolder()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

bool isFolder(const std::string& path) noexcept
{
    struct stat status;
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool displayAvailable() noexcept
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return false;
    // JUCE loads Xlib at run time too; doing the same keeps the module free of a link to it.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (xlib == nullptr)
        return false;
    using OpenDisplay = void* (*)(const char*);
    using CloseDisplay = int (*)(void*);
    auto open = reinterpret_cast<OpenDisplay>(dlsym(xlib, "XOpenDisplay"));
    auto close = reinterpret_cast<CloseDisplay>(dlsym(xlib, "XCloseDisplay"));
    bool available = false;
    // A busy X server turns a connection away now and then: up to five tries, 100 ms apart,
    // each begun within half a second of the first.
    constexpr int kTries = 5;
    constexpr auto kPause = std::chrono::milliseconds(100);
    const auto last = std::chrono::steady_clock::now() + std::chrono::milliseconds(500) - kPause;
    for (int tried = 0; open != nullptr && close != nullptr && tried < kTries; ++tried)
    {
        if (tried > 0)
        {
            if (std::chrono::steady_clock::now() > last)
                break;
            sleepMilliseconds(static_cast<int>(kPause.count()));
        }
        if (void* connection = open(nullptr))
        {
            available = true;
            close(connection);
            break;
        }
    }
    dlclose(xlib);
    return available;
}

namespace
{
using XErrorHandler = int (*)(void* display, void* event);
using SetErrorHandler = XErrorHandler (*)(XErrorHandler);

// Not in the process object: Xlib calls the filter with no pointer of Oplexa's, so what it reads
// must be found from a static; the library and its setter go with them.
void* xlibForErrors = nullptr;
SetErrorHandler setErrorHandler = nullptr;
XErrorHandler previousHandler = nullptr;
std::atomic<std::thread::id> filteredThread{};

int filterXError(void* display, void* event)
{
    if (std::this_thread::get_id() == filteredThread.load())
        return 0;
    return previousHandler != nullptr ? previousHandler(display, event) : 0;
}
} // namespace

void filterXErrorsOnThread(std::thread::id thread) noexcept
{
    filteredThread = thread;
    if (xlibForErrors != nullptr)
        return;
    xlibForErrors = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (xlibForErrors == nullptr)
        return;
    setErrorHandler = reinterpret_cast<SetErrorHandler>(dlsym(xlibForErrors, "XSetErrorHandler"));
    if (setErrorHandler == nullptr)
    {
        dlclose(xlibForErrors);
        xlibForErrors = nullptr;
        return;
    }
    previousHandler = setErrorHandler(filterXError);
}

bool stopFilteringXErrors() noexcept
{
    if (xlibForErrors == nullptr)
        return true;
    filteredThread = std::thread::id();
    // Put the previous handler back only if nobody replaced ours meanwhile: whoever did may
    // call ours from theirs, which must then go on finding the previous one.
    const XErrorHandler current = setErrorHandler(previousHandler);
    if (current != filterXError)
    {
        setErrorHandler(current);
        return false;
    }
    dlclose(xlibForErrors);
    xlibForErrors = nullptr;
    return true;
}

namespace
{
// Not in the process object, these three: the ELF destructor and the wrapped static destructors
// read them while exit() destroys the module's statics, the process object among them.
std::atomic<void (*)(Ending) noexcept> endingHook{nullptr};

void runEnding(Ending ending) noexcept
{
    if (const auto function = endingHook.exchange(nullptr))
        function(ending);
}

// At dlclose this runs before the C runtime's own destructor entry, which destroys the statics;
// at exit() it runs after them, when the hook has run already.
[[gnu::destructor]] void moduleUnloading()
{
    runEnding(Ending::unload);
}

struct StaticDestructor
{
    void (*destructor)(void*);
    void* object;
};

// The process that started Oplexa's threads; 0 before.
std::atomic<int> owningProcess{0};
std::atomic<bool> exitDestroysStatics{false};

void destroyStatic(void* data)
{
    // A forked child has none of Oplexa's threads; its statics (JUCE's among them) describe the
    // parent's, and destroying them would wait for threads that are not there.
    const int owner = owningProcess.load();
    if (owner != 0 && owner != getpid())
        return;
    exitDestroysStatics = true;
    runEnding(Ending::exit);
    const auto* registered = static_cast<StaticDestructor*>(data);
    registered->destructor(registered->object);
    delete registered;
}
} // namespace

void onModuleEnding(void (*function)(Ending) noexcept) noexcept
{
    // At exit() the hook only runs before the statics if at least one of them is registered.
    static const struct ExitMarker
    {
        ~ExitMarker() {}
    } marker;
    (void)marker;
    owningProcess = getpid();
    endingHook = function;
}

bool staticsDestroyed() noexcept
{
    return exitDestroysStatics.load();
}

bool keepModuleLoaded() noexcept
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&keepModuleLoaded), &info) == 0 || info.dli_fname == nullptr)
        return false;
    return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
}

int processId() noexcept
{
    return static_cast<int>(getpid());
}

bool registerProcessBarrier() noexcept
{
    return syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
}

bool processBarrier() noexcept
{
    return syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0) == 0;
}

void sleepMilliseconds(int milliseconds) noexcept
{
    safeCalls::sleepFor(std::chrono::milliseconds(milliseconds));
}

int64_t monotonicMilliseconds() noexcept
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

namespace
{
constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr const char* kCrashSignalNames[] = {"SIGSEGV", "SIGBUS", "SIGILL", "SIGFPE", "SIGABRT"};
static_assert(std::size(kCrashSignals) == std::size(kCrashSignalNames));
// Not in the process object: the signal handler reads them.
struct sigaction previousActions[std::size(kCrashSignals)];
std::atomic<void (*)(int) noexcept> crashReport{nullptr};

int crashSignalIndex(int signal) noexcept
{
    for (size_t i = 0; i < std::size(kCrashSignals); ++i)
        if (kCrashSignals[i] == signal)
            return static_cast<int>(i);
    return -1;
}

// Only async-signal-safe calls from here on.
void onCrash(int signal, siginfo_t* info, void*)
{
    const int index = crashSignalIndex(signal);
    if (const auto report = crashReport.exchange(nullptr))
        report(signal);
    if (index >= 0)
        sigaction(signal, &previousActions[index], nullptr);
    // A fault comes again when the instruction runs again; a sent signal must be sent again.
    if (info == nullptr || info->si_code <= 0)
        raise(signal);
}
} // namespace

void installCrashHandler(void (*report)(int signal) noexcept) noexcept
{
    crashReport = report;
    struct sigaction action
    {
    };
    action.sa_sigaction = onCrash;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kCrashSignals); ++i)
        sigaction(kCrashSignals[i], &action, &previousActions[i]);
}

bool removeCrashHandler() noexcept
{
    crashReport = nullptr;
    bool ours = true;
    for (size_t i = 0; i < std::size(kCrashSignals); ++i)
    {
        struct sigaction current
        {
        };
        sigaction(kCrashSignals[i], nullptr, &current);
        if ((current.sa_flags & SA_SIGINFO) != 0 && current.sa_sigaction == onCrash)
            sigaction(kCrashSignals[i], &previousActions[i], nullptr);
        else
            ours = false;
    }
    return ours;
}

const char* signalName(int signal) noexcept
{
    const int index = crashSignalIndex(signal);
    return index >= 0 ? kCrashSignalNames[index] : "a signal";
}

bool onSignalStack() noexcept
{
    stack_t current{};
    return sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_ONSTACK) != 0;
}

std::string environment(const char* name) noexcept
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string userConfigFolder() noexcept
{
    // The XDG base directory rules: a relative value is ignored.
    const std::string xdg = environment("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg[0] == '/')
        return xdg;
    std::string home = environment("HOME");
    if (home.empty())
        if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
            home = user->pw_dir;
    return !home.empty() && home[0] == '/' ? home + "/.config" : "";
}

namespace
{
using Flush = Flushes::Flush;

// Closes the descriptors of the flushes that have ended. Under flushes.mutex.
bool reapFlushes(Flushes& flushes) noexcept
{
    bool allEnded = true;
    for (Flush& flush : flushes.places)
        if (flush.fd >= 0)
        {
            if (pthread_tryjoin_np(flush.thread, nullptr) != 0)
            {
                allEnded = false;
                continue;
            }
            ::close(flush.fd);
            flush.fd = -1;
        }
    return allEnded;
}

// fsync on a thread of its own, which runs libc's fsync as its start routine (x86_64 passes the
// pointer-sized argument in the register fsync reads its descriptor from), with every signal
// blocked: nothing of this module ever runs there, so it may outlive the module.
void flushOnItsOwnThread(Flushes& flushes, int fd) noexcept
{
    Flush* place = nullptr;
    for (Flush& flush : flushes.places)
        if (flush.fd < 0)
            place = &flush;
    pthread_attr_t attributes;
    sigset_t all;
    sigfillset(&all);
    bool started = false;
    if (place != nullptr && pthread_attr_init(&attributes) == 0)
    {
        pthread_attr_setsigmask_np(&attributes, &all);
        // Through void (*)(), the type GCC lets any function type be cast to without warning.
        const auto routine =
            reinterpret_cast<void* (*)(void*)>(reinterpret_cast<void (*)()>(&::fsync));
        started = pthread_create(&place->thread, &attributes, routine,
                                 reinterpret_cast<void*>(static_cast<intptr_t>(fd))) == 0;
        pthread_attr_destroy(&attributes);
    }
    if (started)
        place->fd = fd;
    else
        ::close(fd);
}
} // namespace

void flushToDiskLater(Flushes& flushes, const char* path) noexcept
{
    // Opened here, so that the flush is of this very file even if the path is replaced meanwhile;
    // non-blocking, so that a FIFO put in its place can't hold the caller.
    const int file = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        return;
    int folder = -1;
    try
    {
        // The folder's own flush makes the rename that put the file there durable.
        const std::string name = path;
        folder =
            ::open(name.substr(0, name.rfind('/') + 1).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const std::lock_guard<std::mutex> lock(flushes.mutex);
        reapFlushes(flushes);
        flushOnItsOwnThread(flushes, file);
        if (folder >= 0)
            flushOnItsOwnThread(flushes, folder);
    }
    catch (...)
    {
        // Only an allocation fails here. No line: the platform layer has no logger, and the
        // flush is left to the kernel's write-back, as without a free place.
        ::close(file);
        if (folder >= 0)
            ::close(folder);
    }
}

bool finishFlushes(Flushes& flushes, int timeoutMs) noexcept
{
    const int64_t deadline = monotonicMilliseconds() + timeoutMs;
    for (;;)
    {
        // Polled, like every other wait at an ending.
        if (flushes.mutex.try_lock())
        {
            const bool ended = reapFlushes(flushes);
            flushes.mutex.unlock();
            if (ended)
                return true;
        }
        if (monotonicMilliseconds() >= deadline)
            break;
        sleepMilliseconds(1);
    }
    // Those still running end on their own; their descriptors stay open.
    if (flushes.mutex.try_lock())
    {
        for (Flush& flush : flushes.places)
            if (flush.fd >= 0)
            {
                pthread_detach(flush.thread);
                flush.fd = -1;
            }
        flushes.mutex.unlock();
    }
    return false;
}
} // namespace platform

extern "C" int __wrap___cxa_atexit(void (*destructor)(void*), void* object, void* module)
{
    auto* registered = new (std::nothrow) platform::StaticDestructor{destructor, object};
    if (registered == nullptr)
        return __real___cxa_atexit(destructor, object, module);
    return __real___cxa_atexit(platform::destroyStatic, registered, module);
}
