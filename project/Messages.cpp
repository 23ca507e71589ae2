#include "project/Messages.h"

#include "platform/lang/Translate.h"

namespace veskel {

namespace {
// The reason begins a sentence of its own after the file's name: its first letter, Latin or
// Cyrillic, in capitals ("the file is too short" and "файл слишком короток" are written as causes
// that follow a colon elsewhere).
std::string AsSentence(std::string reason) {
    if (reason.empty()) return reason;
    unsigned char* c = reinterpret_cast<unsigned char*>(reason.data());
    if (c[0] >= 'a' && c[0] <= 'z') {
        c[0] = static_cast<unsigned char>(c[0] - 'a' + 'A');
    } else if (reason.size() >= 2 && c[0] == 0xD0 && c[1] >= 0xB0 && c[1] <= 0xBF) {  // а..п
        c[1] = static_cast<unsigned char>(c[1] - 0x20);
    } else if (reason.size() >= 2 && c[0] == 0xD1 && c[1] >= 0x80 && c[1] <= 0x8F) {  // р..я
        c[0] = 0xD0;
        c[1] = static_cast<unsigned char>(c[1] + 0x20);
    } else if (reason.size() >= 2 && c[0] == 0xD1 && c[1] == 0x91) {  // ё
        c[0] = 0xD0;
        c[1] = 0x81;
    }
    return reason;
}
}  // namespace

std::string CannotCreateMessage(const std::string& file, const std::string& reason) {
    return Tr("Не удается создать файл \"{1}\". {2}", {file, AsSentence(reason)});
}

std::string CannotOpenMessage(const std::string& file, const std::string& reason) {
    return Tr("Не удается открыть файл \"{1}\". {2}", {file, AsSentence(reason)});
}

ProjectError::ProjectError(FileAction action, const std::string& file, const std::string& reason)
    : std::runtime_error(action == FileAction::Create ? CannotCreateMessage(file, reason)
                                                      : CannotOpenMessage(file, reason)),
      action_(action),
      file_(file),
      reason_(reason) {}

}  // namespace veskel
