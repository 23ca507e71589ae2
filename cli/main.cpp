// veskel-render: the banner designer without a window, for scripts and servers.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli/RenderCommand.h"

namespace {

// Writes all of `text` to `fd`; returns "" or the system's reason for what could not be written.
std::string WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::strerror(errno);
        if (n == 0) return "nothing could be written";
        text.remove_prefix(std::size_t(n));
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that has gone (a closed pipe) makes a write fail with a reason instead of ending
    // the program silently: the image's write reports it and exits with 1, whichever name
    // (-o - or -o /dev/stdout) standard output was given.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    veskel::RenderEnvironment env;
    env.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    env.outIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    env.imageOut = [](std::string_view bytes) { return WriteAll(STDOUT_FILENO, bytes); };
    // Messages that cannot be written (a closed pipe) are dropped, as a stream would drop them.
    return veskel::RunRenderCommand(
        args, [](std::string_view text) { WriteAll(STDOUT_FILENO, text); },
        [](std::string_view text) { WriteAll(STDERR_FILENO, text); }, env);
}
