#include "project/Messages.h"

namespace veskel {

std::string CannotCreateMessage(const std::string& file, const std::string& reason) {
    return "Не удается создать файл \"" + file + "\". " + reason;
}

std::string CannotOpenMessage(const std::string& file, const std::string& reason) {
    return "Не удается открыть файл \"" + file + "\". " + reason;
}

ProjectError::ProjectError(FileAction action, const std::string& file, const std::string& reason)
    : std::runtime_error(action == FileAction::Create ? CannotCreateMessage(file, reason)
                                                      : CannotOpenMessage(file, reason)),
      action_(action),
      file_(file),
      reason_(reason) {}

}  // namespace veskel
