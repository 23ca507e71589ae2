// veskel-render: the banner designer without a window, for scripts and servers.
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "cli/RenderCommand.h"

namespace {

// Writes all of `text` to `fd`; what cannot be written (a closed pipe) is dropped, as a stream
// would drop it.
void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(std::size_t(n));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    veskel::RenderEnvironment env;
    env.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return veskel::RunRenderCommand(
        args, [](std::string_view text) { WriteAll(STDOUT_FILENO, text); },
        [](std::string_view text) { WriteAll(STDERR_FILENO, text); }, env);
}
