#pragma once
// The program's name as the desktop shows it (task bar titles, recently used files).
namespace veskel {
inline constexpr const char* kProgramName = "Veskel";
}  // namespace veskel
