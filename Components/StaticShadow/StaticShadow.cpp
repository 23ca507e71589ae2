#include "Components/StaticShadow/StaticShadow.h"

#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/StoredLayout.h"
#include "platform/text/CanvasText.h"

namespace veskel {

namespace {
constexpr Color kBevelLight = RGB(255, 255, 255);
constexpr Color kBevelDark = RGB(128, 128, 128);
}  // namespace

TStaticShadow::TStaticShadow() : pieces_(LoadShadowPieces()) { SetBounds(0, 0, 185, 41); }

TStaticShadow::~TStaticShadow() { Detach(); }

const PropertyTable& TStaticShadow::StoredProperties() const {
    static const PropertyTable table = PropertyTable(CustomControl::StoredProperties())
        .Add("Moveable", &TStaticShadow::Moveable, &TStaticShadow::SetMoveable, true)
        .Add("TranspColor", &TStaticShadow::TranspColor, &TStaticShadow::SetTranspColor, Color(0))
        .Add("Transparency", &TStaticShadow::Transparency, &TStaticShadow::SetTransparency, 60)
        .Add("BorderWidth", &TStaticShadow::BorderWidth, &TStaticShadow::SetBorderWidth, 17);
    return table;
}

void TStaticShadow::SetTranspColor(Color c) {
    if (c == transpColor_) return;
    transpColor_ = c;
    TakeScreenShoot();
    Repaint();
}

void TStaticShadow::SetTransparency(int v) {
    if (v < 0 || v > 100) throw LayoutError("Transparency must lie between 0 and 100, not " + std::to_string(v));
    if (v == transparency_) return;
    transparency_ = v;
    TakeScreenShoot();
    Repaint();
}

void TStaticShadow::SetBorderWidth(int v) {
    // A border wider than any window would leave children no room at all; refuse nonsense early.
    if (v < 0 || v > 4096) throw LayoutError("BorderWidth must lie between 0 and 4096, not " + std::to_string(v));
    borderWidth_ = v;
    SetBounds(Left(), Top(), Width(), Height());  // realigns the children
    Invalidate();
}

Rect TStaticShadow::AlignArea() const {
    const int inset = borderWidth_ + 1;  // the border and the one-pixel bevel
    return {inset, inset, std::max(inset, Width() - inset), std::max(inset, Height() - inset)};
}

Form* TStaticShadow::OwnerForm() const { return GetForm(); }

void TStaticShadow::Loaded() {
    CustomControl::Loaded();
    AttachToOwner();
}

void TStaticShadow::AttachToOwner() {
    Form* form = OwnerForm();
    if (!form || form == hookedForm_) return;
    Detach();
    hookedForm_ = form;
    moved_ = form->Moved.Connect([this](Point) { Compose(); });
    activated_ = form->Activated.Connect([this](bool active) { OwnerActivated(active); });
    hitTest_ = form->HitTest.Connect([this](Point, HitArea& area) { OwnerHitTest(area); });
}

void TStaticShadow::Detach() {
    moved_.Disconnect();
    activated_.Disconnect();
    hitTest_.Disconnect();
    hookedForm_ = nullptr;
}

void TStaticShadow::OwnerActivated(bool active) {
    if (active && recomposePending_) {
        Compose();
        TakeScreenShoot();
    }
}

void TStaticShadow::OwnerHitTest(HitArea& area) const {
    if (moveable_ && area == HitArea::Client) area = HitArea::Caption;
}

void TStaticShadow::EmuLoaded() {
    AttachToOwner();
    Form* form = OwnerForm();
    if (!form) return;
    composite_.Reset(form->Width(), form->Height());
    edges_ = StretchShadowEdges(pieces_, form->Width(), form->Height());
    // Where the desktop composites, the margin is made see-through instead: black at the pieces'
    // opacity, over the live desktop. Elsewhere it is drawn over a capture of the screen.
    Application* app = Application::Current();
    seeThrough_ = app && app->GetBackend().ComposesTranslucentWindows();
    form->SetTranslucent(seeThrough_);
    form->SetSurfaceOpacity(seeThrough_ ? ShadowOpacity(pieces_, edges_, form->Width(), form->Height())
                                        : std::vector<std::uint8_t>{});
    TakeScreenShoot();
    Compose();
}

void TStaticShadow::TakeScreenShoot() {
    Form* form = OwnerForm();
    if (!shadowActive_) {
        if (form) form->HideForm();
        return;
    }
    recomposePending_ = false;
    Application* app = Application::Current();
    if (!form || !app) return;
    if (seeThrough_) {
        // Nothing to capture: the desktop itself shows through the frame.
        if (capture_.Width() != Width() || capture_.Height() != Height()) capture_.Reset(Width(), Height());
        return;
    }
    const Rect screen{form->Left(), form->Top(), form->Left() + Width(), form->Top() + Height()};
    capture_ = app->GetBackend().CaptureScreenBehind(screen, *form);
}

void TStaticShadow::Compose() {
    if (!shadowActive_) return;
    TakeScreenShoot();
    ComposeShadow(composite_, capture_, pieces_, edges_);
    Repaint();
}

void TStaticShadow::Paint(Canvas& canvas) {
    // A plain panel first: its colour is already filled; a raised one-pixel bevel and the caption.
    const int w = Width(), h = Height();
    canvas.pen.color = kBevelLight;
    canvas.MoveTo(0, h - 1);
    canvas.LineTo(0, 0);
    canvas.LineTo(w - 1, 0);
    canvas.pen.color = kBevelDark;
    canvas.MoveTo(w - 1, 0);
    canvas.LineTo(w - 1, h - 1);
    canvas.LineTo(-1, h - 1);
    if (!Caption().empty()) {
        canvas.font = GetFont();
        const Size t = TextExtent(canvas, Caption());
        TextOut(canvas, (w - t.width) / 2, (h - t.height) / 2, Caption());
    }
    canvas.Draw(0, 0, composite_);
    recomposePending_ = true;
}

}  // namespace veskel
