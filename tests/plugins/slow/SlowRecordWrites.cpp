// Preloaded into a test host: each write to a recording (a file named *.oplexarec) first sleeps
// 200 us, so that the recording's writer falls behind any host. Other writes pass through.
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

extern "C" [[gnu::visibility("default")]] ssize_t write(int fd, const void* data, size_t size)
{
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto real = reinterpret_cast<Write>(dlsym(RTLD_NEXT, "write"));
    char path[4096];
    const ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    if (length > 10 && std::memcmp(path + length - 10, ".oplexarec", 10) == 0)
    {
        const timespec pause{0, 200000};
        nanosleep(&pause, nullptr);
    }
    return real(fd, data, size);
}
