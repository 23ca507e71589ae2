#include "project/Messages.h"

#include "platform/lang/Translate.h"

namespace veskel {

std::string CannotCreateMessage(const std::string& file, const std::string& reason) {
    return Tr("Не удается создать файл \"{1}\". {2}", {file, reason});
}

std::string CannotOpenMessage(const std::string& file, const std::string& reason) {
    return Tr("Не удается открыть файл \"{1}\". {2}", {file, reason});
}

ProjectError::ProjectError(FileAction action, const std::string& file, const std::string& reason)
    : std::runtime_error(action == FileAction::Create ? CannotCreateMessage(file, reason)
                                                      : CannotOpenMessage(file, reason)),
      action_(action),
      file_(file),
      reason_(reason) {}

}  // namespace veskel
