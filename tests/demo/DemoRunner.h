#pragma once
// What the demo programs share: the command line, the headless run that writes PNG files, and
// the Qt window run. Each demo brings its form, its scripted states and any keys of its own.
//   PROGRAM                      shows the form in a Qt window (when built with Qt); prints "shown"
//   PROGRAM --headless-png DIR   creates DIR and writes the demo's states into it
// Anything else prints the usage and returns 2; an exception prints "PROGRAM: <what>" and returns 1.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel::demo {

using DemoStates = std::vector<std::pair<std::string, Bitmap>>;

// Prints one line on stdout at once, so the real-window tests read it while the demo runs.
void Say(const std::string& line);

// Writes each state as DIR/<name>.png and prints "wrote <path>" for it.
void WriteStates(const std::string& dir, const DemoStates& states);

struct DemoProgram {
    // The program's name, at the start of its error line.
    std::string name;
    // Creates the form (not yet finished) and connects its events; used by both runs.
    std::function<Form*(Application&)> createForm;
    // The headless run, once the form is shown: drives it and writes its states into dir.
    std::function<void(HeadlessBackend&, Form&, const std::string& dir)> writeStates;
    // In the window, Escape on the form quits. Off for a form that handles its keys itself.
    bool escapeQuits = true;
    // Further keys on the form, in the window only (after the Escape check).
    std::function<void(Application&, Form&, int key)> onKey;
};

// Runs the demo as its command line asks; returns the program's exit code.
int RunDemo(int argc, char** argv, const DemoProgram& demo);

}  // namespace veskel::demo
