#pragma once
// The Qt 6 window backend: real windows on the desktop, real time. Programs that show windows
// create it first (it creates the QApplication), then the Application on top of it:
//
//     auto backend = veskel::qt::MakeQtBackend(argc, argv);
//     veskel::Application app(*backend);
//
// This header needs no Qt headers; QtBackendImpl.h has the class itself.
#include <memory>

#include "platform/ui/Backend.h"

namespace veskel::qt {

// `argc` must outlive the backend (Qt keeps a reference to it).
std::unique_ptr<Backend> MakeQtBackend(int& argc, char** argv);

}  // namespace veskel::qt
