#include "ButtonsDemoForm.h"

#include <cstdio>

#include "platform/Resources.h"
#include "platform/ui/Application.h"

namespace veskel::demo {

namespace {

constexpr const char* kRes = "Components/PulseButton/res/";
constexpr const char* kIcons = "Components/GroupPNGButtons/res/";

Bitmap Cut(const Form& form, const Control& c) {
    const Point o = c.OffsetInForm();
    Bitmap out(c.Width(), c.Height());
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) out.SetPixel(x, y, form.Surface().Pixel(o.x + x, o.y + y));
    return out;
}

}  // namespace

std::vector<std::uint8_t> ImageBytes(const std::string& resourceName) {
    const auto bytes = Resource(resourceName);
    return {bytes.begin(), bytes.end()};
}

void LoadImages(TPNGButtonBase& button, const std::vector<std::string>& resourceNames,
                const std::vector<std::string>& descriptions) {
    button.SetDescriptions(descriptions);
    button.SetItemsCount(int(resourceNames.size()));
    for (const std::string& name : resourceNames) button.ReadImageValue(ImageBytes(name));
    button.SetCurrentItem(1);
}

Point PopupBeside(const Form& form) { return {form.Left() + form.Width() + 20, form.Top()}; }

Point MiddleOf(const Control& c) {
    const Point o = c.OffsetInForm();
    return {o.x + c.Width() / 2, o.y + c.Height() / 2};
}

ButtonsDemoForm::ButtonsDemoForm() {
    SetName("ButtonsDemo");
    SetCaption("veskel-buttons-demo");
    SetBounds(120, 120, 300, 170);
    SetColor(RGB(232, 232, 232));

    background = CreateOwned<TQorBackground>();
    background->SetParent(this);
    background->SetAlign(Align::Client);
    background->SetColor1(RGB(224, 224, 224));
    background->SetColor2(RGB(224, 224, 224));
    background->SetSpace(2);
    background->SetSpaceWidth(2);

    auto clicked = [this](Control& sender) {
        if (onEvent) onEvent("clicked " + sender.Name());
    };
    auto small = [&](const char* name, const char* caption, int left, int width) {
        auto* b = CreateOwned<TSmallGlassButton>();
        b->SetName(name);
        b->SetParent(this);
        b->SetBounds(left, 14, width, 18);
        b->SetCaption(caption);
        b->OnClick = clicked;
        return b;
    };
    Font courier;
    courier.family = "Courier";
    courier.pixelHeight = 13;
    courier.color = TSmallGlassButton::kHoverColor;
    plus = small("SmallGlassButton1", "+", 14, 29);
    plus->SetFont(courier);
    minus = small("SmallGlassButton2", "-", 42, 29);
    minus->SetFont(courier);
    text = small("SmallGlassButton3", "Text", 84, 50);

    auto box = [&](const char* name, const char* caption, int top, int height) {
        auto* b = CreateOwned<TGlassCheckBox>();
        b->SetName(name);
        b->SetParent(this);
        b->SetBounds(150, top, 140, height);
        b->SetCaption(caption);
        b->OnChange = [this](Control& sender) {
            if (onEvent) onEvent("changed " + sender.Name() + (static_cast<TGlassCheckBox&>(sender).Checked() ? " 1" : " 0"));
        };
        return b;
    };
    unchecked = box("GlassCheckBox1", "По горизонтали", 12, 15);
    checked = box("GlassCheckBox2", "Добавить рамку:", 32, 17);
    checked->SetGlassColor(0);
    checked->SetGlassLightness(0);
    checked->SetGlassSaturation(0);
    checked->SetChecked(true);
    tinted = box("GlassCheckBox3", "GlassColor 60", 54, 17);
    tinted->SetGlassColor(60);
    tinted->SetChecked(true);

    auto pulse = [&](const char* name, int left, int top, int w, int h) {
        auto* b = CreateOwned<TPulseButton>();
        b->SetName(name);
        b->SetParent(this);
        b->SetBounds(left, top, w, h);
        b->OnClick = clicked;
        return b;
    };
    const std::string res = kRes;
    left = pulse("PulseButton1", 14, 60, 41, 25);
    LoadImages(*left, {res + "ArrowLeft.png"}, {"Влево"});
    up = pulse("PulseButton2", 60, 52, 25, 41);
    LoadImages(*up, {res + "ArrowUp.png"}, {"Вверх"});
    corners = pulse("PulseButton3", 14, 104, 32, 32);
    LoadImages(*corners,
               {res + "ArrowUpLeft.png", res + "ArrowUpRight.png", res + "ArrowDownLeft.png", res + "ArrowDownRight.png"},
               {"Up left", "Up right", "Down left", "Down right"});
    corners->SetBackColor({RGB(214, 232, 250), BrushStyle::Solid, nullptr});
    corners->SetBackPen({RGB(90, 130, 180), PenStyle::Solid, PenMode::Copy});
    corners->SetRound(8);
    grey = pulse("PulseButton4", 56, 108, 41, 25);
    LoadImages(*grey, {res + "ArrowRight.png"}, {"Вправо"});
    grey->SetGrayscale(true);

    auto group = [&](const char* name, int left, int top) {
        auto* b = CreateOwned<TGroupPNGButtons>();
        b->SetName(name);
        b->SetParent(this);
        b->SetBounds(left, top, 16, 16);
        b->OnClick = clicked;
        return b;
    };
    const std::string icons = kIcons;
    flip = group("GroupPNGButtons13", 110, 112);
    LoadImages(*flip, {icons + "flip.png"}, {"Переключить передний план и цвет фона"});
    flip->SetBackColor({kWhite, BrushStyle::Clear, nullptr});
    flip->SetBackPen({kBlack, PenStyle::Clear, PenMode::Copy});
    swatches = group("GroupPNGButtons1", 132, 112);
    LoadImages(*swatches, {icons + "BlackWhite.png", icons + "flip.png"},
               {"Передний план и цвет фона по умолчанию", "Переключить передний план и цвет фона"});
    swatches->SetRound(3);
}

ShadowPopupForm::ShadowPopupForm() {
    SetName("PopupDemo");
    SetFrameless(true);
    SetBounds(0, 0, 170, 110);
    SetColor(RGB(247, 247, 247));

    shadow = CreateOwned<TStaticShadow>();
    shadow->SetName("StaticShadow1");
    shadow->SetParent(this);
    shadow->SetAlign(Align::Client);
    shadow->SetTranspColor(kBlack);
    shadow->SetTransparency(60);

    panel = CreateOwned<CustomControl>();
    panel->SetName("Panel1");
    panel->SetParent(shadow);
    panel->SetAlign(Align::Client);
    panel->SetColor(RGB(247, 247, 247));

    stripes = CreateOwned<TQorBackground>();
    stripes->SetParent(panel);
    stripes->SetAlign(Align::Client);
    stripes->SetColor1(RGB(235, 235, 235));
    stripes->SetColor2(RGB(235, 235, 235));
    stripes->SetSpace(2);
    stripes->SetSpaceWidth(2);

    flip = CreateOwned<TGroupPNGButtons>();
    flip->SetName("GroupPNGButtons13");
    flip->SetParent(panel);
    flip->SetBounds(10, 10, 16, 16);
    LoadImages(*flip, {std::string(kIcons) + "flip.png"}, {"Переключить передний план и цвет фона"});

    box = CreateOwned<TGlassCheckBox>();
    box->SetName("GlassCheckBox9");
    box->SetParent(panel);
    box->SetBounds(10, 34, 110, 17);
    box->SetCaption("Shadow");
    box->SetChecked(true);
}

void ShadowPopupForm::Popup(Point at) {
    SetBounds(at.x, at.y, Width(), Height());
    shadow->SetRecomposePending(true);
    shadow->EmuLoaded();
    shadow->SetShadowActive(true);
    ShowForm();
}

DemoStates DriveFormStates(HeadlessBackend& backend, ButtonsDemoForm& form) {
    DemoStates states;
    form.PaintAll();
    states.emplace_back("normal", form.Surface());
    const Point on = MiddleOf(*form.plus);
    backend.MouseMove(form, on.x, on.y);
    states.emplace_back("hover", form.Surface());
    backend.MouseDown(form, on.x, on.y);
    states.emplace_back("pressed", form.Surface());
    backend.MouseUp(form, on.x, on.y);
    backend.MouseExit(form);
    states.emplace_back("left", form.Surface());
    return states;
}

DemoStates DriveControlStates(HeadlessBackend& backend, ButtonsDemoForm& form) {
    DemoStates states;
    char name[32];
    // One pulse cycle of the left arrow: the phase at entry (1), then every 80 ms tick until the
    // phase has been through 0 and back up to 150 once.
    Point at = MiddleOf(*form.left);
    backend.MouseMove(form, at.x, at.y);
    std::snprintf(name, sizeof name, "pulse-%03d", form.left->Pulse().phase);
    states.emplace_back(name, Cut(form, *form.left));
    for (int tick = 0; tick < 16; ++tick) {
        backend.AdvanceClock(TPulseButton::kPulseInterval);
        std::snprintf(name, sizeof name, "pulse-%03d", form.left->Pulse().phase);
        bool seen = false;
        for (const auto& s : states) seen |= s.first == name;
        if (!seen) states.emplace_back(name, Cut(form, *form.left));
    }
    // Grey mode: hovered, it shows the background shape but never pulses.
    at = MiddleOf(*form.grey);
    backend.MouseMove(form, at.x, at.y);
    backend.AdvanceClock(3 * TPulseButton::kPulseInterval);
    states.emplace_back("pulse-grey-hover", Cut(form, *form.grey));
    // The corner button: its frame and triangle while hovered, its menu, the chosen image.
    at = MiddleOf(*form.corners);
    backend.MouseMove(form, at.x, at.y);
    states.emplace_back("corners-hover", Cut(form, *form.corners));
    backend.menuAnswers.push_back(4);
    backend.MouseDown(form, at.x, at.y, MouseButton::Right);
    backend.MouseUp(form, at.x, at.y, MouseButton::Right);
    if (!backend.menus.empty()) {
        int i = 0;
        for (const MenuItem& item : backend.menus.back().items) {
            std::snprintf(name, sizeof name, "menu-item-%d", ++i);
            states.emplace_back(name, item.bitmap);
        }
    }
    backend.MouseExit(form);
    states.emplace_back("corners-chosen", Cut(form, *form.corners));
    // The swatch button's rounded frame while hovered.
    at = MiddleOf(*form.swatches);
    backend.MouseMove(form, at.x, at.y);
    states.emplace_back("swatches-hover", Cut(form, *form.swatches));
    backend.MouseExit(form);
    // A press toggles a check box.
    at = MiddleOf(*form.unchecked);
    backend.Click(form, at.x, at.y);
    backend.MouseExit(form);
    states.emplace_back("checkbox-toggled", Cut(form, *form.unchecked));

    // The pop-up over the lower right of the demo form: its shadow darkens the form behind it.
    auto* popup = Application::Current()->CreateForm<ShadowPopupForm>();
    popup->FinishCreate();
    popup->Popup({form.Left() + 150, form.Top() + 80});
    states.emplace_back("popup", popup->Surface());
    popup->Release();
    // Beside the form, over the plain desktop, where the demo program opens it on "P".
    auto* beside = Application::Current()->CreateForm<ShadowPopupForm>();
    beside->FinishCreate();
    beside->Popup(PopupBeside(form));
    states.emplace_back("popup-beside", beside->Surface());
    beside->Release();
    Application::Current()->ProcessMessages();
    return states;
}

}  // namespace veskel::demo
