#pragma once
// The command line of veskel-render: parsing and running it.
#include <iosfwd>
#include <string>
#include <vector>

namespace veskel {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // bad input (a file, a value, a refused text) or a failed write
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

// Runs the command with `args` (without the program name). Help goes to `out`; every error is one
// line on `err`, starting with "veskel-render: ".
int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A form of a banner text that is safe as part of a file name: letters and digits (any script),
// "-", "_" and "." are kept, everything else becomes "_"; a leading "." becomes "_"; at most 100
// bytes, never cut inside a character; "_" for an empty text.
std::string FileSafeText(const std::string& utf8);

}  // namespace veskel
