// veskel-values-demo: edit fields, sliders, list boxes and anti-aliased labels on a designer page.
//   veskel-values-demo                      shows the form in a window; prints one line per event
//                                           ("change GlassEdit1 Hi", "prechange GlassSlider1 53",
//                                           "select GlassListBox1 2", "key 13", "open <address>")
//   veskel-values-demo --headless-png DIR   writes the scripted states (see DriveValuesStates) as
//                                           PNG files and prints the same event lines
#include <string>

#include "tests/components/ValuesDemoForm.h"
#include "tests/demo/DemoRunner.h"

using namespace veskel;

int main(int argc, char** argv) {
    demo::DemoProgram program;
    program.name = "veskel-values-demo";
    program.createForm = [](Application& app) {
        auto* form = app.CreateForm<demo::ValuesDemoForm>();
        form->onEvent = demo::Say;
        return form;
    };
    program.writeStates = [](HeadlessBackend& backend, Form& form, const std::string& dir) {
        demo::WriteStates(dir, demo::DriveValuesStates(backend, static_cast<demo::ValuesDemoForm&>(form)));
    };
    // The form reports its keys itself ("key 13"); the window leaves them to it.
    program.escapeQuits = false;
    return demo::RunDemo(argc, argv, program);
}
