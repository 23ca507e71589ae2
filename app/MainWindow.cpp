#include "app/MainWindow.h"

#include <algorithm>
#include <string>

#include "Components/AALabel/AALabel.h"
#include "Components/ColorBox/ColorBox.h"
#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassHeader/GlassHeader.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "Components/Registration/Registration.h"
#include "Components/TestPanel/TestPanel.h"
#include "app/FieldNumber.h"
#include "app/Form2.h"
#include "app/ScreenReaderNames.h"
#include "banner/Patterns.h"
#include "platform/Resources.h"
#include "platform/text/CodePage.h"
#include "platform/ui/Application.h"
#include "platform/ui/Edit.h"
#include "platform/ui/HintWindow.h"
#include "platform/ui/StockControls.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

namespace {
constexpr const char* kLayout = "app/res/MainWindow.layout";
// The title bar sits inside the window's glass frame: 12 from the left, 5 short of the right
// edge, its bottom at 36.
constexpr int kHeaderLeft = 12;
constexpr int kHeaderRightMargin = 5;
constexpr int kHeaderBottom = 36;

// A field being typed into keeps its caret at the same distance from the end of the text, so a
// refused keystroke or a put-back letter leaves the caret where the user was typing.
void ShowFieldText(Edit& field, const std::string& text) {
    if (!field.Focused()) {
        field.SetText(text);
        return;
    }
    const int fromEnd = field.CharCount() - field.CaretPosition();
    field.SetText(text);
    field.SetSelection(std::max(0, field.CharCount() - fromEnd), 0);
}

// A number field being typed into keeps its text while that already means the stored value (""
// and "-" mean 0, "+15" means 15); anything else shows the stored value in decimal.
void ShowFieldNumber(Edit& field, std::int32_t value) {
    if (field.Focused()) {
        const FieldNumber typed = ReadFieldNumber(field.Text());
        if (typed.whole && typed.value == value) return;
    }
    ShowFieldText(field, std::to_string(value));
}

// The controls that edit one field each, in the order SyncControls writes them. Each row gives
// the control's handler (its name and the event without "On": "ClrBox1PreChange"), which assigns
// the control's value to the field, and its line of SyncControls, which shows the field in it.
struct Binding {
    std::string_view control;
    std::string_view event;
    const FieldInfo& field;
};
constexpr Binding kBindings[] = {
    {"ClrBox1", "OnPreChange", Field("Color1")},
    {"ClrBox2", "OnPreChange", Field("Color2")},
    {"GlassEdit1", "OnChange", Field("Text")},
    {"GlassEdit2", "OnChange", Field("TextX")},
    {"GlassEdit3", "OnChange", Field("TextY")},
    {"GlassCheckBox3", "OnChange", Field("Glow")},
    {"ClrBox3", "OnPreChange", Field("BorderColor")},
    {"GlassCheckBox1", "OnChange", Field("Border")},
    {"GlassCheckBox2", "OnChange", Field("Horizontal")},
    {"GlassListBox2", "OnSelect", Field("MirrorPattern")},
    {"GlassSlider2", "OnPreChange", Field("MirrorStrength")},
    {"GlassListBox1", "OnSelect", Field("Pattern")},
    {"GlassSlider1", "OnPreChange", Field("PatternStrength")},
    {"GlassSlider4", "OnPreChange", Field("OverlayOpacity")},
    {"GlassCheckBox4", "OnChange", Field("Overlay")},
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Clang 14 does not deduce an aggregate's template arguments by itself.
template <class... F>
Overloaded(F...) -> Overloaded<F...>;
}  // namespace

// A bound control's value as its field holds it, and the field's value shown in the control
// (colour boxes and check boxes are written only where they differ, so they are not repainted
// for nothing).
std::int64_t TForm1::BoundControl::Value() const {
    return std::visit(Overloaded{[](TClrBox* c) { return std::int64_t(c->ForeColor()); },
                                 [](TGlassCheckBox* c) { return std::int64_t(c->Checked()); },
                                 [](TGlassListBox* c) { return std::int64_t(c->ItemIndex); },
                                 [](TGlassSlider* c) { return std::int64_t(c->Value()); },
                                 [](TGlassEdit* c) { return std::int64_t(ParseFieldNumber(c->Edit->Text())); }},
                      control);
}

void TForm1::BoundControl::Show(const BannerSettings& s) const {
    if (field->kind == FieldKind::String) {
        ShowFieldText(*std::get<TGlassEdit*>(control)->Edit, Cp1251ToUtf8(s.GetString(field->offset)));
        return;
    }
    const std::int64_t v = s.Value(*field);
    std::visit(Overloaded{[v](TClrBox* c) { if (c->ForeColor() != Color(v)) c->SetForeColor(Color(v)); },
                          [v](TGlassCheckBox* c) { if (c->Checked() != (v != 0)) c->SetChecked(v != 0); },
                          [v](TGlassListBox* c) { c->ItemIndex = int(v); },
                          // Always written: the write also snaps a dragged thumb to the value.
                          [v](TGlassSlider* c) { c->SetValue(int(v)); },
                          [v](TGlassEdit* c) { ShowFieldNumber(*c->Edit, std::int32_t(v)); }},
                control);
}

void TForm1::BoundControlChanged(const BoundControl& b) {
    BannerDocument& d = document_;
    if (auto* edit = std::get_if<TGlassEdit*>(&b.control)) {
        Edit& field = *(*edit)->Edit;
        if (b.field->kind == FieldKind::String) {
            // A refused text (too wide, or a character the banner font lacks) gives way to the
            // stored one, and a hint below the field says why the keystroke was not taken.
            std::string reason;
            if (!d.SetText(field.Text(), &reason)) {
                ShowFieldText(field, d.Settings().TextUtf8());
                ShowTextRefusal(reason);
            }
            return;
        }
        // The stored number is always what the field reads as; a keystroke that does not change
        // it ("12" -> "12a") still shows at once that it was not taken.
        d.Set(*b.field, b.Value());
        b.Show(d.Settings());
        return;
    }
    d.Set(*b.field, b.Value());
    // A slider that rested on the value it already had changed nothing in the document, so no
    // SyncControls follows: its thumb still sits where the pointer left it. Showing the value
    // snaps it into place, as a change would have.
    if (std::holds_alternative<TGlassSlider*>(b.control)) b.Show(d.Settings());
}

void TForm1::ShowTextRefusal(const std::string& reason) {
    if (!IsShown()) return;
    if (!textRefusal_) {
        textRefusal_ = CreateOwned<HintWindow>();
        textRefusal_->SetPopupOf(this, PopupRole::ToolTip);
        textRefusalShown_.SetInterval(6000);
        textRefusalShown_.OnTimer = [this] {
            textRefusalShown_.SetEnabled(false);
            textRefusal_->HideForm();
        };
    }
    textRefusal_->SetText(reason);
    const Point below = GlassEdit1->ClientToScreen({4, GlassEdit1->Height()});
    textRefusal_->SetBounds(below.x, below.y, textRefusal_->Width(), textRefusal_->Height());
    textRefusal_->ShowInactive();
    textRefusalShown_.SetEnabled(false);  // each refusal is shown for the whole time again
    textRefusalShown_.SetEnabled(true);
}

TForm1::TForm1() {
    actions_ = std::make_unique<DesignerActions>(*Application::Current(), document_, history_);
    RegisterFrameworkClasses();
    RegisterComponentClasses();
    DefineHandlers();
    const auto text = Resource(kLayout);
    LoadOptions options;
    options.bindEvent = [this](Control& c, const std::string& event, const std::string& handler) {
        return BindEvent(c, event, handler);
    };
    LoadLayout(*this, std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), options);
    FindControls();
    FinishCreate();
}

TForm1::~TForm1() {
    // The destroy event needs the window's own members, so it runs before they go.
    DoDestroy();
}

template <class T>
T* TForm1::Need(const char* name) {
    T* c = Find<T>(name);
    if (!c) throw LayoutError(std::string(kLayout) + ": the window has no " + name + " of the expected class");
    return c;
}

void TForm1::FindControls() {
    GlassHeader1 = Need<TGlassHeader>("GlassHeader1");
    TestPanel1 = Need<TTestPanel>("TestPanel1");
    Image1 = Need<TImage>("Image1");
    GlassEdit1 = Need<TGlassEdit>("GlassEdit1");
    GlassEdit2 = Need<TGlassEdit>("GlassEdit2");
    GlassEdit3 = Need<TGlassEdit>("GlassEdit3");
    ClrBox1 = Need<TClrBox>("ClrBox1");
    ClrBox2 = Need<TClrBox>("ClrBox2");
    ClrBox3 = Need<TClrBox>("ClrBox3");
    GlassCheckBox1 = Need<TGlassCheckBox>("GlassCheckBox1");
    GlassCheckBox2 = Need<TGlassCheckBox>("GlassCheckBox2");
    GlassCheckBox3 = Need<TGlassCheckBox>("GlassCheckBox3");
    GlassCheckBox4 = Need<TGlassCheckBox>("GlassCheckBox4");
    GlassListBox1 = Need<TGlassListBox>("GlassListBox1");
    GlassListBox2 = Need<TGlassListBox>("GlassListBox2");
    GlassSlider1 = Need<TGlassSlider>("GlassSlider1");
    GlassSlider2 = Need<TGlassSlider>("GlassSlider2");
    GlassSlider4 = Need<TGlassSlider>("GlassSlider4");
    for (const Binding& b : kBindings) {
        BoundControl bound{{}, &b.field};
        Control* c = FindComponent(std::string(b.control));
        if (auto* box = dynamic_cast<TClrBox*>(c)) bound.control = box;
        else if (auto* check = dynamic_cast<TGlassCheckBox*>(c)) bound.control = check;
        else if (auto* list = dynamic_cast<TGlassListBox*>(c)) bound.control = list;
        else if (auto* slider = dynamic_cast<TGlassSlider*>(c)) bound.control = slider;
        else if (auto* edit = dynamic_cast<TGlassEdit*>(c)) bound.control = edit;
        else throw LayoutError(std::string(kLayout) + ": the window has no " + std::string(b.control) + " that can show a field");
        bound_.push_back(bound);
    }
    OpenDialog1 = Need<TDialogComponent>("OpenDialog1");
    SaveDialog1 = Need<TDialogComponent>("SaveDialog1");
    OpenPictureDialog1 = Need<TDialogComponent>("OpenPictureDialog1");
    SavePictureDialog1 = Need<TDialogComponent>("SavePictureDialog1");
}

// ---------------------------------------------------------------- event wiring

void TForm1::DefineHandlers() {
    BannerDocument& d = document_;
    auto on = [this](const char* name, Handler h) { handlers_[name] = std::move(h); };
    // The controls that edit one field each; the stored layout names them and their handlers.
    for (std::size_t i = 0; i < std::size(kBindings); ++i) {
        const Binding& b = kBindings[i];
        handlers_[std::string(b.control) + std::string(b.event.substr(2))] = [this, i](Control&) {
            BoundControlChanged(bound_[i]);
        };
    }
    // Page 1: the text's position and the colours' buttons.
    on("PulseButton2Click", [&d](Control&) { d.NudgeText(0, -1); });
    on("PulseButton1Click", [&d](Control&) { d.NudgeText(-1, 0); });
    on("PulseButton4Click", [&d](Control&) { d.NudgeText(1, 0); });
    on("PulseButton3Click", [&d](Control&) { d.NudgeText(0, 1); });
    on("SmallGlassButton1Click", [&d](Control&) { d.NudgeText(1, 0); });
    on("SmallGlassButton2Click", [&d](Control&) { d.NudgeText(-1, 0); });
    on("SmallGlassButton3Click", [&d](Control&) { d.NudgeText(0, 1); });
    on("SmallGlassButton4Click", [&d](Control&) { d.NudgeText(0, -1); });
    on("GlassButton4Click", [&d](Control&) { d.ResetTextPosition(); });
    on("GlassButton1Click", [&d](Control&) { d.RandomColor1(); });
    on("GlassButton2Click", [&d](Control&) { d.RandomColor2(); });
    on("GlassButton3Click", [&d](Control&) { d.SwapColors(); });
    // Page 3: the overlay picture.
    on("GlassButton8Click", [this](Control&) { actions_->ChoosePicture(); });
    on("PulseButton6Click", [&d](Control&) { d.MoveOverlayLeft(); });
    on("PulseButton8Click", [&d](Control&) { d.MoveOverlayRight(); });
    on("PulseButton5Click", [&d](Control&) { d.MoveOverlayUp(); });
    on("PulseButton7Click", [&d](Control&) { d.MoveOverlayDown(); });
    on("GlassButton11Click", [&d](Control&) { d.ResetOverlayPosition(); });
    on("PulseButton12Click", [&d](Control&) { d.WidenOverlay(); });
    on("PulseButton10Click", [&d](Control&) { d.NarrowOverlay(); });
    on("PulseButton9Click", [&d](Control&) { d.ShortenOverlay(); });
    on("PulseButton11Click", [&d](Control&) { d.HeightenOverlay(); });
    on("PulseButton14Click", [&d](Control&) { d.GrowOverlayBottomRight(); });
    on("PulseButton16Click", [&d](Control&) { d.GrowOverlayBottomLeft(); });
    on("PulseButton13Click", [&d](Control&) { d.GrowOverlayTopRight(); });
    on("PulseButton15Click", [&d](Control&) { d.GrowOverlayTopLeft(); });
    on("GlassButton9Click", [&d](Control&) { d.ResetOverlaySize(); });
    // Page 4: project files and export.
    on("GlassButton5Click", [this](Control&) { actions_->NewDesign(); });
    on("GlassButton6Click", [this](Control&) { actions_->OpenProjectDialog(); });
    on("GlassButton7Click", [this](Control&) { actions_->SaveAs(); });
    on("GlassButton10Click", [this](Control&) { actions_->ExportBanner(); });
    // The window itself.
    on("FormCreate", [this](Control&) { FormCreate(); });
    on("FormDestroy", [this](Control&) { FormDestroy(); });
}

namespace {
bool Is(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

bool TForm1::BindEvent(Control& c, const std::string& event, const std::string& handler) {
    auto it = handlers_.find(handler);
    if (it == handlers_.end()) return false;
    Handler h = it->second;
    if (&c != this) {
        // A control's event is one step of the history. The events of a slider drag, of typing
        // into one field and of one colour box's palette join into one step. While an undo puts
        // the settings back into the controls, the events they raise change nothing.
        const bool joins = Is(event, "OnPreChange") || (Is(event, "OnChange") && dynamic_cast<TGlassEdit*>(&c));
        h = [this, op = std::move(h), group = joins ? handler : std::string()](Control& sender) {
            if (history_.Restoring()) return;
            history_.Record(group, [&] { op(sender); });
        };
    }
    return c.StoredProperties().BindEvent(c, event, std::move(h));
}

// ---------------------------------------------------------------- life cycle

void TForm1::FormCreate() {
    // Double buffering: every surface is painted off screen before it is shown, so the stored
    // flags need no action here.

    // The banner font, registered for this process until the window goes; every window hears of it.
    fontHandle_ = RegisterPrivateFont(Resource(kBannerFontResource));
    fontRegistered_ = true;
    if (Application* app = Application::Current())
        for (Form* f : app->Forms()) f->FontsChanged();

    // The overlay pictures, BannerImage and the random generator came with the document.

    GlassHeader1->SetAlign(Align::None);
    GlassHeader1->SetBounds(kHeaderLeft, kHeaderBottom - GlassHeader1->Height(),
                            Width() - kHeaderLeft - kHeaderRightMargin, GlassHeader1->Height());

    for (int i = 0; i < kMirrorLayerCount; ++i)
        GlassListBox2->AddItem(std::string(kMirrorLayerNames[std::size_t(i)]), std::to_string(i));
    for (int i = 0; i < kPatternCount; ++i)
        GlassListBox1->AddItem(std::string(kPatternNames[std::size_t(i)]), std::to_string(i));

    TestPanel1->SetActivePage(0);
    TestPanel1->SetVisiblePage(0);

    // The window follows the document: once per change it shows the settings in the controls
    // and renders the banner into the preview.
    document_.AddChangeListener([this] {
        SyncControls();
        RenderBanner();
        SetCaption(actions_->WindowTitle());
    });
    document_.NewDocument();

    // Start-up's new design is where the history starts; the file buttons, keys, drops and the
    // close go to the actions, whose dialogs remember their folders between runs; releasing a
    // slider ends its step.
    history_.Reset();
    OpenDialog1->Dialog().FolderKey = SaveDialog1->Dialog().FolderKey = "projects";
    OpenPictureDialog1->Dialog().FolderKey = "pictures";
    SavePictureDialog1->Dialog().FolderKey = "export";
    actions_->SetDialogs({&OpenDialog1->Dialog(), &SaveDialog1->Dialog(), &SavePictureDialog1->Dialog(),
                          &OpenPictureDialog1->Dialog()});
    actions_->OnFileChanged = [this] { SetCaption(actions_->WindowTitle()); };
    SetCaption(actions_->WindowTitle());
    BindDesignerActions(*this, *actions_);
    GiveScreenReaderNames(*this);
    // A number field left half typed ("" or "-") shows the number it stands for.
    for (TGlassEdit* e : {GlassEdit2, GlassEdit3}) e->Edit->OnExit = [this](Control&) { SyncControls(); };
    for (TGlassSlider* s : {GlassSlider1, GlassSlider2, GlassSlider4}) {
        if (!s->OnFinalChange) s->OnFinalChange = [this](Control&) { history_.Seal(); };
    }
}

void TForm1::FormDestroy() {
    if (fontRegistered_) UnregisterPrivateFont(fontHandle_);
    fontRegistered_ = false;
    document_.ClearPictures();
}

// ---------------------------------------------------------------- settings to controls

void TForm1::SyncControls() {
    for (const BoundControl& b : bound_) b.Show(document_.Settings());
}

void TForm1::RenderBanner() {
    Image1->SetPicture(Picture(document_.RenderBanner()));
    // What a screen reader says the preview shows.
    Image1->SetHint(document_.Settings().TextUtf8());
}

// ---------------------------------------------------------------- start-up

TForm1* StartDesigner() {
    Application* app = Application::Current();
    auto* main = app->CreateForm<TForm1>();
    app->CreateForm<TForm2>();
    main->ShowForm();
    return main;
}

}  // namespace veskel
