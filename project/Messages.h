#pragma once
// The error the project and export operations raise: its what() is the whole sentence the user
// sees, e.g. «Не удается создать файл "a.png". Permission denied».
#include <stdexcept>
#include <string>

namespace veskel {

class ProjectError : public std::runtime_error {
public:
    explicit ProjectError(const std::string& message) : std::runtime_error(message) {}
};

// «Не удается создать файл "<file>". <reason>»
std::string CannotCreateMessage(const std::string& file, const std::string& reason);
// «Не удается открыть файл "<file>". <reason>»
std::string CannotOpenMessage(const std::string& file, const std::string& reason);

}  // namespace veskel
