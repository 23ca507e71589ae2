#include "Components/ColorBox/PaletteForm.h"

#include <functional>
#include <map>
#include <optional>

#include "Components/ColorBox/ColorBox.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassTint/GlassTint.h"
#include "Components/HLSColorTable/HLSColorTable.h"
#include "Components/HLSSlider/HLSSlider.h"
#include "Components/StaticShadow/StaticShadow.h"
#include "platform/lang/Translate.h"
#include "platform/Resources.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/FocusChain.h"
#include "platform/ui/StandardControls.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

namespace {
constexpr const char* kLayoutResource = "Components/ColorBox/res/PaletteForm.layout";
constexpr int kPointerWatchMs = 300;

template <class T>
T* Required(const Form& form, std::string_view name) {
    T* c = form.Find<T>(name);
    if (!c) throw LayoutError("the palette layout lacks " + std::string(name));
    return c;
}
}  // namespace

std::string_view PaletteFormLayout() {
    const auto bytes = Resource(kLayoutResource);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

TPForm::Working& TPForm::Shared() {
    static Working working;
    return working;
}

TPForm::TPForm() {
    LoadOptions options;
    options.bindEvent = [this](Control& control, const std::string& event, const std::string& handler) {
        return BindEvent(control, event, handler);
    };
    LoadLayout(*this, PaletteFormLayout(), options);

    StaticShadow1 = Required<TStaticShadow>(*this, "StaticShadow1");
    Panel1 = Required<Panel>(*this, "Panel1");
    Shape1 = Required<Shape>(*this, "Shape1");
    Shape2 = Required<Shape>(*this, "Shape2");
    Label7 = Required<Label>(*this, "Label7");
    for (int i = 0; i < 6; ++i) GlassEdits[i] = Required<TGlassEdit>(*this, "GlassEdit" + std::to_string(i + 1));
    HLSColorTable1 = Required<THLSColorTable>(*this, "HLSColorTable1");
    HLSSlider1 = Required<THLSSlider>(*this, "HLSSlider1");
    GroupPNGButtons13 = Required<Control>(*this, "GroupPNGButtons13");
    GroupPNGButtons1 = Required<Control>(*this, "GroupPNGButtons1");

    for (Shape* swatch : {Shape1, Shape2}) {
        swatch->SetKeyboardStop(true);
        swatch->OnKeyDown = [this, swatch](Control&, int& key, ShiftState shift) {
            if ((key != kKeySpace && key != kKeyReturn) || (shift & (kCtrl | kAlt))) return;
            key = 0;
            swatch == Shape1 ? Shape1MouseDown() : Shape2MouseDown();
        };
    }
    OnShortcutKey = [this](Form&, int key, ShiftState shift) { return PaletteKey(key, shift); };
    for (int i = 0; i < 6; ++i) GlassEdits[i]->Edit->OnExit = [this, i](Control&) { ApplyField(i); };

    ready_ = true;
    Timer1.SetInterval(kPointerWatchMs);
    Timer1.SetEnabled(false);
    Timer1.OnTimer = [this] { Timer1Timer(); };
}

TPForm::~TPForm() {
    ready_ = false;  // the fields go with the window: leaving one applies nothing
    Timer1.SetEnabled(false);
    ClearListener();
}

// Connects the handler names of the stored layout to this form's handlers.
bool TPForm::BindEvent(Control& control, const std::string& event, const std::string& handler) {
    using Handler = void (TPForm::*)();
    static const std::map<std::string, Handler> handlers{
        {"FormCreate", &TPForm::FormCreate},
        {"FormDeactivate", &TPForm::FormDeactivate},
        {"FormShow", &TPForm::FormShow},
        {"HLSSlider1Change", &TPForm::HLSSlider1Change},
        {"HLSColorTable1Change", &TPForm::HLSColorTable1Change},
        {"Shape1MouseDown", &TPForm::Shape1MouseDown},
        {"Shape2MouseDown", &TPForm::Shape2MouseDown},
        {"GroupPNGButtons13Click", &TPForm::GroupPNGButtons13Click},
        {"GroupPNGButtons1Click", &TPForm::GroupPNGButtons1Click},
        {"GlassEdit1Change", &TPForm::GlassEdit1Change},
    };
    auto it = handlers.find(handler);
    if (it == handlers.end()) return false;
    const Handler h = it->second;
    // Values applied while the layout is still being read may raise events; they wait until
    // every control has been found.
    return control.StoredProperties().BindEvent(control, event, [this, h](Control&) {
        if (ready_) (this->*h)();
    });
}

// ---------------------------------------------------------------- colours

void TPForm::SetForeColour(Color c) {
    foreColour_ = c;
    Shape1->SetBrushColor(c);
}

void TPForm::SetBackColour(Color c) {
    backColour_ = c;
    Shape2->SetBrushColor(c);
}

// The calls run on copies: a listener may clear or replace itself while it runs.
void TPForm::NotifyColour() {
    if (auto colour = listener_.colour) colour(foreColour_, backColour_);
}

void TPForm::NotifyClose() {
    if (auto close = listener_.close) close();
}

void TPForm::LoadColor(Color c) {
    Working& w = Shared();
    w.r = GetR(c);
    w.g = GetG(c);
    w.b = GetB(c);
    TakeHlsOfRgb();
    // The slider raises its change from code too, which converts back and delivers the colour.
    HLSSlider1->SetPositopn(w.h & 0xFF);
}

// H, L and S of the working R, G, B; the table takes L and S (the caller moves the slider to H).
void TPForm::TakeHlsOfRgb() {
    Working& w = Shared();
    const Hls hls = RgbToHls(w.r, w.g, w.b, kHls254);
    w.h = hls.h;
    w.l = hls.l;
    w.s = hls.s;
    HLSColorTable1->SetLightnes(w.l);
    HLSColorTable1->SetSaturation(w.s);
}

void TPForm::StartEditing(Color fore, Color back) {
    SetForeColour(fore);
    SetBackColour(back);
    Shared().editingFore = true;
    LoadColor(fore);
    // Loading keeps the round trip RGB -> HLS -> RGB; the pop-up goes on from the box's own
    // colour and shows it as it is.
    SetForeColour(fore);
    Working& w = Shared();
    w.r = GetR(fore);
    w.g = GetG(fore);
    w.b = GetB(fore);
    WriteFields();
    openedFore_ = fore;
    openedBack_ = back;
    done_ = false;
}

namespace {
// A field's text as a whole number from 0 to `most` (spaces around it allowed), or nothing.
std::optional<int> FieldNumber(const std::string& text, int most) {
    const std::size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
    if (first == std::string::npos || last - first > 3) return std::nullopt;
    int v = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    if (v > most) return std::nullopt;
    return v;
}
}  // namespace

bool TPForm::ApplyField(int i) {
    if (!ready_ || done_) return false;
    Working& w = Shared();
    int* const values[6] = {&w.r, &w.g, &w.b, &w.h, &w.l, &w.s};
    Edit& field = *GlassEdits[i]->Edit;
    const std::string shown = std::to_string(*values[i]);
    const std::optional<int> typed = FieldNumber(field.Text(), i >= 4 ? 254 : 255);
    const bool differed = field.Text() != shown;
    if (!typed || *typed == *values[i]) {
        if (differed) field.SetText(shown);  // out of range, not a number, or "007" for 7
        return differed;
    }
    if (i < 3) {
        // R, G, B: the colour as typed; the slider and the table move to it without converting back.
        *values[i] = *typed;
        TakeHlsOfRgb();
        loading_ = true;
        HLSSlider1->SetPositopn(w.h & 0xFF);
        loading_ = false;
        WriteFields();
        DeliverEdited();
    } else if (i == 3) {
        HLSSlider1->SetPositopn(*typed);  // converts and delivers as a drag there does
    } else {
        if (i == 4) HLSColorTable1->SetLightnes(*typed);
        else HLSColorTable1->SetSaturation(*typed);
        HLSColorTable1->SetHUE(HLSColorTable1->HUE());  // repaints the cross-hair
        HLSColorTable1Change();
    }
    return true;
}

// H from the slider, L and S from the table, converted on the 254 scale.
void TPForm::ConvertCurrent() {
    Working& w = Shared();
    w.h = HLSSlider1->Positopn();
    w.l = HLSColorTable1->Lightnes();
    w.s = HLSColorTable1->Saturation();
    const Channels c = HlsToRgb(w.h, w.l, w.s, kHls254);
    w.r = c.c1;
    w.g = c.c2;
    w.b = c.c3;
}

void TPForm::WriteFields() {
    const Working& w = Shared();
    const int values[6] = {w.r, w.g, w.b, w.h, w.l, w.s};
    for (int i = 0; i < 6; ++i) GlassEdits[i]->Edit->SetText(std::to_string(values[i]));
}

// The converted colour goes into the colour being edited, to the box, and into its swatch.
void TPForm::DeliverEdited() {
    const Working& w = Shared();
    const Color c = RGB(w.r, w.g, w.b);
    // A screen reader hears the colour that the square and the hue slider now make.
    HLSColorTable1->SetSpokenDescription(ColorValue(c));
    HLSSlider1->SetSpokenDescription(ColorValue(c));
    if (w.editingFore) {
        foreColour_ = c;
        NotifyColour();
        Shape1->SetBrushColor(c);
    } else {
        backColour_ = c;
        NotifyColour();
        Shape2->SetBrushColor(c);
    }
}

// ---------------------------------------------------------------- handlers

void TPForm::FormCreate() {
    for (TGlassEdit* e : GlassEdits) e->Edit->SetText("0");
    // What a screen reader calls the swatches (they show no hints), the fields (by the whole
    // word their one-letter labels stand for) and the square (by what it sets).
    Shape1->SetHint(Tr("Изменить цвет переднего плана"));
    Shape2->SetHint(Tr("Изменить цвет фона"));
    static const char* const kFieldNames[6] = {TrLater("Красный"), TrLater("Зелёный"), TrLater("Синий"),
                                               TrLater("Оттенок"), TrLater("Яркость"), TrLater("Насыщенность")};
    for (int i = 0; i < 6; ++i) GlassEdits[i]->Edit->SetSpokenName(Tr(kFieldNames[i]));
    HLSColorTable1->SetSpokenName(Tr("Яркость и насыщенность"));
    Shape1->SetBrushColor(foreColour_);
    Shape2->SetBrushColor(backColour_);
    Panel1->SetDoubleBuffered(true);
    Timer1.SetEnabled(true);
    Shared().editingFore = true;
    LoadColor(foreColour_);
}

void TPForm::FormDeactivate() { NotifyClose(); }

void TPForm::Timer1Timer() {
    Application* app = Application::Current();
    if (!app) return;
    const Point p = app->GetBackend().PointerPosition();
    const Rect& owner = Shared().ownerRect;
    const bool overPopup = p.x >= Left() && p.x <= Left() + Width() && p.y >= Top() && p.y <= Top() + Height();
    const bool overOwner = p.x >= owner.left && p.x <= owner.right && p.y >= owner.top && p.y <= owner.bottom;
    if (overPopup || overOwner) pointerSeen_ = true;
    if (overPopup || overOwner || !pointerSeen_) return;
    Timer1.SetEnabled(false);
    NotifyClose();
}

void TPForm::HLSSlider1Change() {
    HLSColorTable1->SetHUE(HLSSlider1->Positopn());
    if (loading_) return;
    ConvertCurrent();
    WriteFields();
    DeliverEdited();
}

void TPForm::HLSColorTable1Change() {
    ConvertCurrent();
    DeliverEdited();
    WriteFields();
}

void TPForm::Shape1MouseDown() {
    Shared().editingFore = true;
    Label7->SetCaption("Select Foreground color:");
    LoadColor(foreColour_);
}

void TPForm::Shape2MouseDown() {
    Shared().editingFore = false;
    Label7->SetCaption("Select Background color:");
    LoadColor(backColour_);
}

void TPForm::GroupPNGButtons13Click() {
    std::swap(foreColour_, backColour_);
    NotifyColour();
    Shape1->SetBrushColor(foreColour_);
    Shape2->SetBrushColor(backColour_);
    LoadColor(Shared().editingFore ? foreColour_ : backColour_);
}

void TPForm::GroupPNGButtons1Click() {
    foreColour_ = RGB(255, 255, 255);
    backColour_ = RGB(0, 0, 0);
    NotifyColour();
    Shape1->SetBrushColor(foreColour_);
    Shape2->SetBrushColor(backColour_);
    LoadColor(Shared().editingFore ? foreColour_ : backColour_);
}

void TPForm::TakeKeyboard() {
    Timer1.SetEnabled(false);
    focus::FocusByKeyboard(*GlassEdits[0]->Edit);
}

bool TPForm::PaletteKey(int key, ShiftState shift) {
    if (shift & (kCtrl | kAlt)) return false;
    if (key == kKeyEscape) {
        // Everything picked or typed since the pop-up opened is taken back.
        done_ = true;
        if (foreColour_ != openedFore_ || backColour_ != openedBack_) {
            SetForeColour(openedFore_);
            SetBackColour(openedBack_);
            NotifyColour();
        }
        CloseByKeyboard();
        return true;
    }
    if (key != kKeyReturn) return false;
    // Enter presses the buttons and the swatches and applies a number typed into a field;
    // anywhere else it is done.
    Control* at = ActiveControl();
    if (at == Shape1 || at == Shape2 || at == GroupPNGButtons13 || at == GroupPNGButtons1) return false;
    for (int i = 0; i < 6; ++i)
        if (at == GlassEdits[i]->Edit && ApplyField(i)) return true;
    done_ = true;
    CloseByKeyboard();
    return true;
}

void TPForm::CloseByKeyboard() {
    Form* owner = PopupOwner();
    NotifyClose();
    if (owner) owner->Activate();
}

void TPForm::PrepareShadow() {
    StaticShadow1->SetRecomposePending(true);
    StaticShadow1->EmuLoaded();
    StaticShadow1->SetShadowActive(true);
}

}  // namespace veskel
