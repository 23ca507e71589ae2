// veskel-colour-demo: two colour boxes on a plain window, for people and for the real-window test
// of the palette pop-up.
//   veskel-colour-demo                      shows the window at (60, 60); prints "pre <box> R G B"
//                                           for every colour a box receives, and "palette open" /
//                                           "palette closed" when ClrBox1's pop-up comes and goes
//   veskel-colour-demo --headless-png DIR   writes main.png and popup.png: the window and the
//                                           pop-up of ClrBox1 just opened by resting on the box
// ClrBox1 (single colour, white) sits at (20, 20) of the client area, ClrBox2 (white over black)
// at (60, 20).
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

#ifdef VESKEL_DEMO_WITH_QT
#include "platform/backends/qt/QtBackend.h"
#endif

namespace {

using namespace veskel;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

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

int RunHeadless(const std::string& dir) {
    std::filesystem::create_directories(dir);
    HeadlessBackend backend;
    Application app(backend);
    auto* form = app.CreateForm<ColourDemoForm>();
    form->FinishCreate();
    form->ShowForm();
    backend.MouseMove(*form, 29, 29);
    backend.AdvanceClock(300);
    TPForm* palette = form->box1->Palette();
    if (!palette) throw std::runtime_error("the pop-up did not open");
    WriteFileAtomic(dir + "/main.png", EncodePng(form->Surface()));
    WriteFileAtomic(dir + "/popup.png", EncodePng(palette->Surface()));
    const Rect r = palette->ScreenRect();
    Say("popup at " + std::to_string(r.left) + " " + std::to_string(r.top));
    return 0;
}

#ifdef VESKEL_DEMO_WITH_QT
int RunWindow(int& argc, char** argv) {
    auto backend = qt::MakeQtBackend(argc, argv);
    Application app(*backend);
    app.OnException = [](const std::string& message) { Say("error " + message); };
    auto* form = app.CreateForm<ColourDemoForm>();
    form->OnKeyDown = [&app](Control&, int& key, ShiftState) {
        if (key == kKeyEscape) app.Terminate();
    };
    form->FinishCreate();
    form->ShowForm();
    Say("shown");
    app.Run();
    return 0;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "--headless-png") == 0) return RunHeadless(argv[2]);
#ifdef VESKEL_DEMO_WITH_QT
        if (argc == 1) return RunWindow(argc, argv);
#endif
        std::fprintf(stderr, "usage: %s [--headless-png DIR]\n", argv[0]);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veskel-colour-demo: %s\n", e.what());
        return 1;
    }
}
