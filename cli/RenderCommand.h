#pragma once
// The command line of veskel-render: parsing and running it.
#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace veskel {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // bad input (a file, a value, a refused text) or a failed write
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

// What the command knows of its surroundings beyond its two streams.
struct RenderEnvironment {
    // Whether `err` is a terminal: only there does a long batch report its progress.
    bool errIsTerminal = false;
    // A batch reports progress once it has run this long.
    std::chrono::milliseconds progressAfter{1000};
    // Whether standard output is a terminal, where no picture is written.
    bool outIsTerminal = false;
    // Where "-o -" writes the picture; returns "" or the reason it failed. Unset: to `out`.
    std::function<std::string(std::string_view)> imageOut = {};
};

// Where the command's text goes, a piece at a time (each piece is written at once).
using TextOut = std::function<void(std::string_view)>;

// Runs the command with `args` (without the program name). Help goes to `out`; every error is one
// line on `err`, starting with "veskel-render: ". The program itself writes to its file
// descriptors through these: a C++ stream would cost it the set-up of the stream library's
// locales, a tenth of a one-banner run.
int RunRenderCommand(const std::vector<std::string>& args, const TextOut& out, const TextOut& err,
                     const RenderEnvironment& env = {});
// The same, writing to streams.
int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const RenderEnvironment& env = {});

// A form of a banner text that is safe as part of a file name: letters and digits (any script),
// "-", "_" and "." are kept, everything else becomes "_"; a leading "." becomes "_"; at most 100
// bytes, never cut inside a character; "_" for an empty text.
std::string FileSafeText(const std::string& utf8);

}  // namespace veskel
