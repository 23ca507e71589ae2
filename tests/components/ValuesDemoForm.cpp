#include "ValuesDemoForm.h"

#include "GlassDemoForm.h"
#include "platform/io/Files.h"

namespace veskel::demo {

namespace {
const char* const kPatternNames[] = {"4x4 LR diagonal", "4x4 RL diagonal", "3x3 LR diagonal",
                                     "3x3 RL diagonal", "Diagonal cross",  "Dots pattern"};
const char* const kLayerNames[] = {"Wave bottom", "Wave top", "Wave left", "Wave right", "Ellipse bottom",
                                   "Ellipse top", "Glow",     "Border",    "Text"};
}  // namespace

ValuesDemoForm::ValuesDemoForm() {
    SetName("ValuesDemo");
    SetCaption("veskel-values-demo");
    SetBounds(120, 120, 412, 262);
    SetColor(RGB(232, 232, 232));

    page = CreateOwned<DemoPanel>();
    page->SetName("GLeaf1");
    page->SetParent(this);
    page->SetAlign(Align::Client);
    page->SetColor(RGB(232, 232, 232));
    auto* stripes = CreateOwned<StripedBackground>();
    stripes->SetParent(page);
    stripes->SetAlign(Align::Client);

    auto place = [this](Control* c, const char* name, Control* parent, int left, int top) {
        c->SetName(name);
        c->SetParent(parent);
        c->SetLeft(left);
        c->SetTop(top);
    };

    textEdit = CreateOwned<TGlassEdit>();
    place(textEdit, "GlassEdit1", page, 8, 10);
    textEdit->SetWidth(389);
    textEdit->Edit->SetText("Veskel");
    numberEdit = CreateOwned<TGlassEdit>();
    place(numberEdit, "GlassEdit2", page, 250, 38);
    numberEdit->SetWidth(80);
    numberEdit->Edit->SetText("10");
    for (TGlassEdit* e : {textEdit, numberEdit}) {
        e->OnChange = [this](Control& sender) {
            if (onEvent) onEvent("change " + sender.Name() + " " + static_cast<TGlassEdit&>(sender).Edit->Text());
        };
    }

    slider1 = CreateOwned<TGlassSlider>();
    place(slider1, "GlassSlider1", page, 5, 36);
    slider1->SetWidth(180);
    slider1->SetHeight(25);
    slider2 = CreateOwned<TGlassSlider>();
    place(slider2, "GlassSlider2", page, 5, 64);
    slider2->SetWidth(180);
    slider2->SetHeight(29);
    for (TGlassSlider* s : {slider1, slider2}) {
        s->SetMax(99);
        s->OnPreChange = [this](Control& sender) {
            if (onEvent) onEvent("prechange " + sender.Name() + " " + std::to_string(static_cast<TGlassSlider&>(sender).Value()));
        };
        s->OnFinalChange = [this](Control& sender) {
            if (onEvent) onEvent("finalchange " + sender.Name() + " " + std::to_string(static_cast<TGlassSlider&>(sender).Value()));
        };
    }
    slider1->SetValue(80);
    slider2->SetValue(50);

    auto list = [&](const char* panelName, const char* name, int left) {
        auto* panel = CreateOwned<DemoPanel>();
        place(panel, panelName, page, left, 100);
        panel->SetWidth(171);
        panel->SetHeight(110);
        panel->SetColor(RGB(205, 205, 205));
        auto* l = CreateOwned<TGlassListBox>();
        place(l, name, panel, 1, 1);
        l->SetWidth(169);
        l->SetHeight(108);
        l->SetCursor(kCrHandPoint);
        l->SetItemHeight(18);
        Font f = l->GetFont();
        f.pixelHeight = 16;
        f.color = RGB(100, 100, 100);
        l->SetFont(f);
        l->OnSelect = [this](Control& sender) {
            if (onEvent) onEvent("select " + sender.Name() + " " + std::to_string(static_cast<TGlassListBox&>(sender).ItemIndex));
        };
        return l;
    };
    patterns = list("Panel2", "GlassListBox1", 12);
    for (int i = 0; i < 6; ++i) patterns->AddItem(kPatternNames[i], std::to_string(i));
    layers = list("Panel1", "GlassListBox2", 216);
    const std::vector<std::uint8_t> icon = ReadFileBytes(VESKEL_SOURCE_DIR "/tests/data/components/ListIcon.bmp");
    for (int i = 0; i < 9; ++i) layers->AddItem(kLayerNames[i], std::to_string(i), icon, i % 3 == 2 ? 0 : 1);

    infoLabel = CreateOwned<TAALabel>();
    place(infoLabel, "AALabel2", page, 8, 220);
    infoLabel->SetWidth(200);
    infoLabel->SetCaption("Подробная информация и обновления:");
    link = CreateOwned<TAALabel>();
    place(link, "AALabel1", page, 208, 220);
    link->SetWidth(190);
    link->SetIsURL(true);
    link->SetCaption("www.example.com/?veskel=1");
    credits = CreateOwned<TAALabel>();
    place(credits, "AALabel3", page, 8, 238);
    credits->SetWidth(396);
    Font f = credits->GetFont();
    f.family = "Tahoma";
    f.pixelHeight = 11;
    credits->SetFont(f);
    credits->SetCaption("Banner designer: баннер 350 × 20 из узора, картинки и текста (v1.0)");

    OnKeyDown = [this](Control&, int& key, ShiftState) {
        if (onEvent) onEvent("key " + std::to_string(key));
    };
}

ValuesStates DriveValuesStates(HeadlessBackend& backend, ValuesDemoForm& form) {
    using S = ValuesScript;
    ValuesStates states;
    auto shot = [&](const char* name) { states.emplace_back(name, form.Surface()); };
    form.PaintAll();
    shot("normal");

    backend.Click(form, S::kEditClick.x, S::kEditClick.y);
    backend.TypeText(form, S::kTyped);
    shot("typed");
    backend.KeyDown(form, kKeyHome, kShift);
    shot("selected");

    backend.MouseMove(form, S::kSliderPress.x, S::kSliderPress.y);
    shot("sliderhover");
    backend.MouseDown(form, S::kSliderPress.x, S::kSliderPress.y);
    backend.MouseMove(form, S::kSliderRest.x, S::kSliderRest.y);
    backend.AdvanceClock(TGlassSlider::kRestMs + 10);
    shot("rested");
    backend.MouseMove(form, S::kSliderEnd.x, S::kSliderEnd.y);
    shot("dragging");
    backend.MouseUp(form, S::kSliderEnd.x, S::kSliderEnd.y);
    shot("released");

    backend.MouseMove(form, S::kListHover.x, S::kListHover.y);
    shot("listhover");
    backend.MouseDown(form, S::kListHover.x, S::kListHover.y);
    backend.MouseUp(form, S::kListHover.x, S::kListHover.y);
    shot("listselect");

    backend.MouseMove(form, S::kLayersWheel.x, S::kLayersWheel.y);
    backend.MouseWheel(form, S::kLayersWheel.x, S::kLayersWheel.y, -120);
    shot("scrolled");
    return states;
}

}  // namespace veskel::demo
