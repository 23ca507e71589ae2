// veskel-colour-demo: two colour boxes on a plain window, for people and for the real-window test
// of the palette pop-up.
//   veskel-colour-demo                      shows the window at (60, 60); prints "pre <box> R G B"
//                                           for every colour a box receives, and "palette open" /
//                                           "palette closed" when ClrBox1's pop-up comes and goes
//   veskel-colour-demo --headless-png DIR   writes main.png and popup.png: the window and the
//                                           pop-up of ClrBox1 just opened by resting on the box
// ClrBox1 (single colour, white) sits at (20, 20) of the client area, ClrBox2 (white over black)
// at (60, 20).
#include <stdexcept>
#include <string>

#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "Components/Registration/Registration.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/Form.h"
#include "tests/demo/DemoRunner.h"

namespace {

using namespace veskel;
using demo::Say;

class ColourDemoForm : public Form {
public:
    ColourDemoForm() {
        SetCaption("Colour boxes");
        SetBounds(60, 60, 200, 100);
        SetColor(RGB(232, 232, 232));
        box1 = Add("ClrBox1", 20, true);
        box2 = Add("ClrBox2", 60, false);
        // Reports the pop-up's coming and going (the box has no event of its own for it).
        watch.SetInterval(50);
        watch.OnTimer = [this] {
            if (box1->PaletteOpen() != wasOpen) {
                wasOpen = box1->PaletteOpen();
                Say(wasOpen ? "palette open" : "palette closed");
            }
        };
        watch.SetEnabled(true);
    }

    TClrBox* box1;
    TClrBox* box2;

private:
    TClrBox* Add(const char* name, int left, bool single) {
        auto* b = CreateOwned<TClrBox>();
        b->SetName(name);
        b->SetParent(this);
        b->SetBounds(left, 20, 19, 18);
        b->SetSingleColor(single);
        b->SetCursor(kCrHandPoint);
        b->OnPreChange = [](Control& sender) {
            const Color c = static_cast<TClrBox&>(sender).ForeColor();
            Say("pre " + sender.Name() + " " + std::to_string(GetR(c)) + " " + std::to_string(GetG(c)) + " " +
                std::to_string(GetB(c)));
        };
        return b;
    }

    Timer watch;
    bool wasOpen = false;
};

// Rests the mouse on ClrBox1 until its pop-up opens, then writes the window and the pop-up.
void WriteMainAndPopup(HeadlessBackend& backend, Form& f, const std::string& dir) {
    auto& form = static_cast<ColourDemoForm&>(f);
    backend.MouseMove(form, 29, 29);
    backend.AdvanceClock(300);
    TPForm* palette = form.box1->Palette();
    if (!palette) throw std::runtime_error("the pop-up did not open");
    WriteFileAtomic(dir + "/main.png", EncodePng(form.Surface()));
    WriteFileAtomic(dir + "/popup.png", EncodePng(palette->Surface()));
    const Rect r = palette->ScreenRect();
    Say("popup at " + std::to_string(r.left) + " " + std::to_string(r.top));
}

}  // namespace

int main(int argc, char** argv) {
    RegisterComponentClasses();
    demo::DemoProgram program;
    program.name = "veskel-colour-demo";
    program.createForm = [](Application& app) { return app.CreateForm<ColourDemoForm>(); };
    program.writeStates = WriteMainAndPopup;
    return demo::RunDemo(argc, argv, program);
}
