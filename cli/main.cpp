// veskel-render: the banner designer without a window, for scripts and servers.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/RenderCommand.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    veskel::RenderEnvironment env;
    env.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return veskel::RunRenderCommand(args, std::cout, std::cerr, env);
}
