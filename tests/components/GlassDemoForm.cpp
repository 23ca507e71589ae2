#include "GlassDemoForm.h"

namespace veskel::demo {

void StripedBackground::Paint(Canvas& canvas) {
    for (int y = 0; y < Height(); y += 2) {
        canvas.brush.color = (y / 2) % 2 ? RGB(232, 232, 232) : RGB(224, 224, 224);
        canvas.FillRect({0, y, Width(), y + 2});
    }
}

GlassDemoForm::GlassDemoForm() {
    SetName("GlassDemo");
    SetCaption("veskel-demo");
    SetBounds(120, 120, 330, 140);
    SetColor(RGB(232, 232, 232));

    background = CreateOwned<StripedBackground>();
    background->SetParent(this);
    background->SetAlign(Align::Client);

    auto add = [this](const char* name, const char* text, int left, int top) {
        auto* b = CreateOwned<TGlassButton>();
        b->SetName(name);
        b->SetParent(this);
        b->SetLeft(left);
        b->SetTop(top);
        b->SetButtonText(text);
        b->OnClick = [this](Control& sender) {
            if (onClicked) onClicked(sender.Name());
        };
        return b;
    };
    plain = add("GlassButton1", "Plain", 14, 14);
    tinted = add("GlassButton2", "Hover me", 119, 14);
    tinted->SetLightness(10);
    tinted->SetHUE(100);
    tinted->SetSaturation(200);
    deflt = add("GlassButton3", "Default", 224, 14);
    deflt->SetDefaultButton(true);

    disabled = add("GlassButton4", "Disabled", 14, 54);
    disabled->SetLightness(10);
    disabled->SetHUE(100);
    disabled->SetSaturation(200);
    disabled->SetEnabled(false);
    blue = add("GlassButton5", "Blue", 119, 54);
    blue->SetBlueButton(true);
    small = add("GlassButton6", "+", 252, 50);
    small->SetSmallButton(true);
    small->SetWidth(36);
    small->SetHeight(29);

    wide = add("GlassButton7", "A caption wider than its button", 119, 96);
    wide->SetLightness(10);
    wide->SetHUE(100);
    wide->SetSaturation(200);
}

DemoStates DriveDemoStates(HeadlessBackend& backend, GlassDemoForm& form) {
    DemoStates states;
    form.PaintAll();
    states.emplace_back("normal", form.Surface());
    const Point on = CentreOf(*form.tinted);
    backend.MouseMove(form, on.x, on.y);
    states.emplace_back("hover", form.Surface());
    backend.MouseDown(form, on.x, on.y);
    states.emplace_back("pressed", form.Surface());
    backend.MouseUp(form, on.x, on.y);
    backend.MouseExit(form);
    states.emplace_back("left", form.Surface());
    const Point off = CentreOf(*form.disabled);
    backend.MouseMove(form, off.x, off.y);
    states.emplace_back("disabled", form.Surface());
    backend.MouseExit(form);
    return states;
}

Point CentreOf(const Control& c) {
    const Point o = c.OffsetInForm();
    return {o.x + c.Width() / 2, o.y + c.Height() / 2};
}

}  // namespace veskel::demo
