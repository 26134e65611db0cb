#include "fuzz_input.h"

#include "core/message_sink.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace tolvane::fuzzing {
namespace {

int InputDescriptor() {
    static const int fd = [] {
        const int created = ::memfd_create("tolvane-fuzz-input", 0);
        if (created < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        return created;
    }();
    return fd;
}

} // namespace

const char* WriteInputFile(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/proc/self/fd/" + std::to_string(InputDescriptor());
    const int fd = InputDescriptor();
    if (::ftruncate(fd, 0) != 0) std::abort();
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::pwrite(fd, data + written, size - written, static_cast<off_t>(written));
        if (n <= 0) std::abort();
        written += static_cast<std::size_t>(n);
    }
    return path.c_str();
}

void InstallCheckingSink() {
    static const bool installed = [] {
        (void)InstallMessageSink([](MessageKind, const std::string& text) {
            if (text.empty()) std::abort();
        });
        return true;
    }();
    (void)installed;
}

} // namespace tolvane::fuzzing
