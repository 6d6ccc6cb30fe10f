#include "platform/process.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace sim::platform {

namespace {

// Copies `size` bytes at `address` into `out` without faulting, for a system
// without process_vm_readv: write() into a pipe reports EFAULT for memory
// that is not readable. Returns the bytes copied, or -1.
ssize_t copyThroughPipe(void* out, uint64_t address, size_t size)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    // The address comes from the plug-in as a number; turning it back into a
    // pointer is the point (the kernel, not us, reads through it).
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    const void* source = reinterpret_cast<const void*>(static_cast<uintptr_t>(address));
    const ssize_t written = write(fds[1], source, size);
    ssize_t got = -1;
    if (written > 0)
        got = read(fds[0], out, static_cast<size_t>(written));
    close(fds[0]);
    close(fds[1]);
    return got;
}

}  // namespace

bool readTextAt(uint64_t address, std::string& text, size_t maxLength)
{
    // process_vm_readv on our own process copies what is mapped and reports
    // EFAULT for what is not, so a wild pointer cannot crash the host.
    text.clear();
    static bool vmReadWorks = true;
    const pid_t self = getpid();
    uint64_t at = address;
    while (text.size() < maxLength) {
        char chunk[64];
        // Stay within one 64-byte aligned block, so a read never crosses into
        // an unmapped page past the terminator.
        const size_t want = 64 - static_cast<size_t>(at % 64);
        iovec local{chunk, want};
        // The kernel reads through this plug-in address, not us.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        iovec remote{reinterpret_cast<void*>(static_cast<uintptr_t>(at)), want};
        ssize_t got = -1;
        if (vmReadWorks) {
            got = process_vm_readv(self, &local, 1, &remote, 1, 0);
            if (got < 0 && (errno == ENOSYS || errno == EPERM))
                vmReadWorks = false;  // a sandbox without it: fall back for good
        }
        if (!vmReadWorks)
            got = copyThroughPipe(chunk, at, want);
        if (got <= 0)
            return false;
        for (ssize_t i = 0; i < got; ++i) {
            if (chunk[i] == '\0')
                return true;
            text.push_back(chunk[i]);
            if (text.size() >= maxLength)
                return false;
        }
        at += static_cast<uint64_t>(got);
    }
    return false;
}

void setBinaryStdout() { }

std::string executableDirectory()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace sim::platform
