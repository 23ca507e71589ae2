#include "project/Messages.h"

namespace veskel {

std::string CannotCreateMessage(const std::string& file, const std::string& reason) {
    return "Не удается создать файл \"" + file + "\". " + reason;
}

std::string CannotOpenMessage(const std::string& file, const std::string& reason) {
    return "Не удается открыть файл \"" + file + "\". " + reason;
}

}  // namespace veskel
