// veskel-demo: a few glass buttons on a striped background.
//   veskel-demo                      shows the form in a window; prints "clicked <name>" per click
//   veskel-demo --headless-png DIR   writes normal.png, hover.png, pressed.png, left.png and
//                                    disabled.png (see DriveDemoStates)
// "Hover me" (GlassButton2) has its middle at (164, 26) of the window's client area.
#include <string>

#include "tests/components/GlassDemoForm.h"
#include "tests/demo/DemoRunner.h"

using namespace veskel;

int main(int argc, char** argv) {
    demo::DemoProgram program;
    program.name = "veskel-demo";
    program.createForm = [](Application& app) {
        auto* form = app.CreateForm<demo::GlassDemoForm>();
        form->onClicked = [](const std::string& name) { demo::Say("clicked " + name); };
        return form;
    };
    program.writeStates = [](HeadlessBackend& backend, Form& form, const std::string& dir) {
        demo::WriteStates(dir, demo::DriveDemoStates(backend, static_cast<demo::GlassDemoForm&>(form)));
    };
    return demo::RunDemo(argc, argv, program);
}
