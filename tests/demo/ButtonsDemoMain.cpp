// veskel-buttons-demo: the small glass buttons, check boxes, pulse buttons, image-button group and
// the shadow pop-up.
//   veskel-buttons-demo                      shows the form in a window ("p" opens the pop-up,
//                                            Escape quits); prints "clicked <name>" per click,
//                                            "changed <name> <0|1>" per toggle
//   veskel-buttons-demo --headless-png DIR   writes normal.png, hover.png, pressed.png, left.png
//                                            (the whole form) and every single-control state
//                                            (pulse-001.png ..., see DriveControlStates)
// "+" (SmallGlassButton1) has its middle at (28, 23) of the window's client area, the left arrow
// (PulseButton1) at (34, 72), the corner button (PulseButton3) at (30, 120).
#include <string>

#include "tests/components/ButtonsDemoForm.h"
#include "tests/demo/DemoRunner.h"

using namespace veskel;

int main(int argc, char** argv) {
    demo::DemoProgram program;
    program.name = "veskel-buttons-demo";
    program.createForm = [](Application& app) {
        auto* form = app.CreateForm<demo::ButtonsDemoForm>();
        form->onEvent = demo::Say;
        return form;
    };
    program.writeStates = [](HeadlessBackend& backend, Form& form, const std::string& dir) {
        auto& buttons = static_cast<demo::ButtonsDemoForm&>(form);
        demo::WriteStates(dir, demo::DriveFormStates(backend, buttons));
        demo::WriteStates(dir, demo::DriveControlStates(backend, buttons));
    };
    program.onKey = [](Application& app, Form& form, int key) {
        if (key != 'P') return;
        auto* popup = app.CreateForm<demo::ShadowPopupForm>();
        popup->FinishCreate();
        popup->Popup(demo::PopupBeside(form));
        demo::Say("popup");
    };
    return demo::RunDemo(argc, argv, program);
}
