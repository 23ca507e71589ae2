#include "Components/GlassHeader/GlassHeader.h"

#include "Components/GlassLook/GlassLook.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rounding.h"
#include "platform/lang/Translate.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/PropertyTable.h"
#include "platform/text/CanvasText.h"

namespace veskel {

namespace {

constexpr const char* kLeftCap = "Components/GlassHeader/res/HeaderLeft.bmp";
constexpr const char* kTile = "Components/GlassHeader/res/HeaderTile.bmp";
constexpr const char* kRightCap = "Components/GlassHeader/res/HeaderRight.bmp";
constexpr const char* kImages[3][2] = {
    {"Components/GlassHeader/res/CloseNormal.png", "Components/GlassHeader/res/CloseHot.png"},
    {"Components/GlassHeader/res/MaxNormal.png", "Components/GlassHeader/res/MaxHot.png"},
    {"Components/GlassHeader/res/MinNormal.png", "Components/GlassHeader/res/MinHot.png"},
};
// The buttons' names: their hints, and what a screen reader calls them.
constexpr const char* kButtonNames[3] = {TrLater("Close"), TrLater("Maximize"), TrLater("Minimize")};

constexpr int kBarHeight = 23;
constexpr int kButtonTop = 3;
constexpr int kPollMs = 100;

Form* ParentFormOf(const Control& c) { return dynamic_cast<Form*>(c.Parent()); }

bool Inside(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

}  // namespace

TGlassHeader::TGlassHeader() {
    leftCap_ = DecodeBmp(Resource(kLeftCap)).color;
    tile_ = DecodeBmp(Resource(kTile)).color;
    rightCap_ = DecodeBmp(Resource(kRightCap)).color;
    SetBounds(0, 0, 185, kBarHeight);
    SetAlign(Align::Top);
    SetShowHint(true);
    for (int b = 0; b < 3; ++b) {
        timers_[b].SetInterval(kPollMs);
        timers_[b].OnTimer = [this, b] { PollPointer(Button(b)); };
    }
}

const PropertyTable& TGlassHeader::StoredProperties() const {
    static const PropertyTable table = PropertyTable(CustomControl::StoredProperties())
        .Add("ShowClose", &TGlassHeader::ShowClose, &TGlassHeader::SetShowClose, true)
        .Add("ShowMax", &TGlassHeader::ShowMax, &TGlassHeader::SetShowMax, false)
        .Add("ShowMin", &TGlassHeader::ShowMin, &TGlassHeader::SetShowMin, false)
        .Event("OnCloseButton", &TGlassHeader::OnCloseButton)
        .Event("OnMaxButton", &TGlassHeader::OnMaxButton)
        .Event("OnMinButton", &TGlassHeader::OnMinButton);
    return table;
}

void TGlassHeader::SetShow(Button b, bool v) {
    show_[b] = v;
    Repaint();
}

Rect TGlassHeader::ButtonRect(Button b) const {
    const int w = Width();
    const int cw = images_[kClose].Width(), mw = images_[kMax].Width(), nw = images_[kMin].Width();
    switch (b) {
        case kClose:
            return {w - cw - 3, kButtonTop, w - 3, images_[kClose].Height() + 3};
        case kMax:
            return {w - mw - cw - 3, kButtonTop, w - cw - 3, images_[kMax].Height() + 3};
        case kMin:
            return {w - nw - (cw + mw + 3), kButtonTop, w - (cw + mw + 3), images_[kMin].Height() + 3};
    }
    return {};
}

Rect TGlassHeader::ButtonArea() const {
    int a = 3;
    for (int b = 0; b < 3; ++b)
        if (show_[b]) a += images_[b].Width();
    return {Width() - a, kButtonTop, Width(), Height() + 3};
}

// ---------------------------------------------------------------- painting

void TGlassHeader::Paint(Canvas& canvas) {
    const int w = Width();
    canvas.Draw(0, 0, leftCap_);
    if (tile_.Width() > 0) {
        const int n = Round(double(w - leftCap_.Width() - rightCap_.Width()) / tile_.Width()) + 1;
        canvas.DrawTiledRow(leftCap_.Width(), 0, tile_, n);
    }
    canvas.Draw(w - rightCap_.Width(), 0, rightCap_);
    PaintCaption(canvas);

    // Right to left; each image is taken in the variant its button needs now.
    for (int b = 0; b < 3; ++b) {
        if (!show_[b]) continue;
        images_[b] = GlassSkin(kImages[b][hot_[b] ? 1 : 0]);
    }
    const int cw = images_[kClose].Width(), mw = images_[kMax].Width(), nw = images_[kMin].Width();
    if (show_[kClose]) canvas.Draw(w - cw - 3, kButtonTop, images_[kClose]);
    if (show_[kMax]) canvas.Draw(w - mw - cw - 3, kButtonTop, images_[kMax]);
    if (show_[kMin]) canvas.Draw(w - nw - mw - cw - 3, kButtonTop, images_[kMin]);
}

// The caption is drawn three times too large in black on white, and each 3 x 3 block of that ink
// darkens one pixel of what the bar already shows, which gives smooth type on any platform.
void TGlassHeader::PaintCaption(Canvas& canvas) {
    const std::string& text = Caption();
    Font measure;
    measure.family = "Times new roman";
    measure.size = 11;
    canvas.font = measure;
    const Size extent = TextExtent(canvas, text);
    const int tw = extent.width, th = extent.height;

    Bitmap ink(3 * tw + 24, 3 * th + 24);
    {
        Canvas ic(ink);
        ic.brush.color = kWhite;
        ic.FillRect(ink.Bounds());
        ic.font = measure;
        ic.font.size = 33;
        ic.font.color = kBlack;
        TextOut(ic, 0, 1, text);
    }

    const int boxW = tw + 4, boxH = th + 4;
    const int bx = Round(Width() / 2.0 - boxW / 2.0);
    Bitmap box(boxW, boxH);
    for (int y = 0; y < boxH; ++y)
        for (int x = 0; x < boxW; ++x) box.SetPixel(x, y, canvas.Pixel(bx + x, 3 + y));
    for (int y = 0; y < boxH; ++y) {
        for (int x = 0; x < boxW; ++x) {
            int s = 0;
            for (int j = 0; j < 3; ++j)
                for (int i = 0; i < 3; ++i) s += GetR(ink.Pixel(3 * x + i, 3 * y + j));
            const int v = s / 9;
            if (v == 255) continue;
            const Color c = box.Pixel(x, y);
            box.SetPixel(x, y, RGB(Round(GetR(c) * v / 255.0), Round(GetG(c) * v / 255.0), Round(GetB(c) * v / 255.0)));
        }
    }
    canvas.Draw(bx, 3, box);
}

// ---------------------------------------------------------------- input

void TGlassHeader::MouseMove(ShiftState shift, int x, int y) {
    for (int b = 0; b < 3; ++b) {
        if (Inside(ButtonRect(Button(b)), x, y) && !hot_[b]) {
            hot_[b] = true;
            Repaint();
            timers_[b].SetEnabled(true);
            SetHint(Tr(kButtonNames[b]));
        }
    }
    if (!hot_[kClose] && !hot_[kMax] && !hot_[kMin]) SetHint("");
    CustomControl::MouseMove(shift, x, y);
}

void TGlassHeader::PollPointer(Button b) {
    Application* app = Application::Current();
    if (!app) return;
    const Point p = ScreenToClient(app->GetBackend().PointerPosition());
    if (!Inside(ButtonRect(b), p.x, p.y)) {
        timers_[b].SetEnabled(false);
        hot_[b] = false;
        Repaint();
    }
}

void TGlassHeader::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    CustomControl::MouseDown(button, shift, x, y);
    if (!Inside(ButtonArea(), x, y)) {
        ReleaseCapture();
        if (Form* form = ParentFormOf(*this)) form->StartWindowDrag();
        return;
    }
    PressButtons(hot_[kClose], hot_[kMax], hot_[kMin]);
}

void TGlassHeader::PressButtons(bool close, bool max, bool min) {
    if (close && OnCloseButton) OnCloseButton(*this);
    if (max && OnMaxButton) OnMaxButton(*this);
    if (min && OnMinButton) OnMinButton(*this);
    // The window actions belong to a form: a bar placed on any other parent (a panel, a page)
    // only raises the events rather than treating that parent as a window.
    Form* form = ParentFormOf(*this);
    if (close && form) form->Close();
    if (max && form) form->SetWindowState(WindowState::Maximized);
    if (min && form) form->SetWindowState(WindowState::Minimized);
}

void TGlassHeader::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::TitleBar;
    for (Button b : {kClose, kMax, kMin}) {
        if (!show_[b]) continue;
        AccessibleDescription button;
        button.role = AccessibleRole::PushButton;
        button.name = Tr(kButtonNames[b]);
        button.bounds = ButtonRect(b);
        button.showing = d.showing;
        button.enabled = d.enabled;
        button.actions.push_back({AccessibleActionKind::Press, [this, b] {
                                      PressButtons(b == kClose, b == kMax, b == kMin);
                                  }});
        d.parts.push_back(std::move(button));
    }
}

}  // namespace veskel
