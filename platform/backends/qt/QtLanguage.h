#pragma once
// Qt's own texts (the buttons of message boxes, the file dialogs) in the window's language.
#include "platform/lang/Translate.h"

namespace veskel::qt {

// Loads Qt's translation of its own texts for `language` from Qt's translations folder (Debian's
// qt6-translations-l10n) and makes it Qt's default locale. English needs no file. Call once the
// Qt backend exists.
void UseQtLanguage(Language language);

}  // namespace veskel::qt
