#pragma once
// The browser backend: every shown form is a window on one HTML canvas (the page's desktop), the
// browser's event loop and clock drive the Application, and the page's own elements serve as
// message boxes, menus, file pickers, downloads and the clipboard. Modal calls wait for the page
// through the compiler's stack unwinding (Asyncify); input arriving meanwhile waits in a queue.
#include <memory>

#include "platform/lang/Translate.h"
#include "platform/ui/Backend.h"

namespace veskel::web {

std::unique_ptr<Backend> MakeWebBackend();

// The page's language: the one `?lang=ru|en` in the address names, else the first of the
// browser's preferred languages we speak, else English.
Language BrowserLanguage();

}  // namespace veskel::web
