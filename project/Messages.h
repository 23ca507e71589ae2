#pragma once
// The error the project and export operations raise: its what() is the whole sentence the user
// sees, e.g. «Не удается создать файл "a.png". Permission denied».
#include <stdexcept>
#include <string>

namespace veskel {

enum class FileAction { Create, Open };

class ProjectError : public std::runtime_error {
public:
    explicit ProjectError(const std::string& message) : std::runtime_error(message) {}
    // «Не удается создать файл "<file>". <reason>» or «Не удается открыть файл ...», keeping the
    // parts so that a caller speaking another language (the command line) can say it its own way.
    ProjectError(FileAction action, const std::string& file, const std::string& reason);

    FileAction Action() const { return action_; }
    const std::string& File() const { return file_; }
    // The system's or the decoder's reason; empty when the error was made from a message alone.
    const std::string& Reason() const { return reason_; }

private:
    FileAction action_ = FileAction::Create;
    std::string file_;
    std::string reason_;
};

// «Не удается создать файл "<file>". <reason>»
std::string CannotCreateMessage(const std::string& file, const std::string& reason);
// «Не удается открыть файл "<file>". <reason>»
std::string CannotOpenMessage(const std::string& file, const std::string& reason);

}  // namespace veskel
