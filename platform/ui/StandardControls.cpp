#include "platform/ui/StandardControls.h"
#include "platform/text/CanvasText.h"

#include <algorithm>

#include "platform/ui/Accessibility.h"

namespace veskel {

namespace {
// The light scheme's three-dimensional edges.
constexpr Color kBevelLight = RGB(255, 255, 255);
constexpr Color kBevelShadow = RGB(160, 160, 160);

// One frame of width one pixel per step, lit colour on the top and left edges, the other on the
// bottom and right edges (which take the top right and bottom left corners); r shrinks by width.
void Frame3D(Canvas& canvas, Rect& r, Color topLeft, Color bottomRight, int width) {
    --r.right;
    --r.bottom;
    for (; width > 0; --width) {
        canvas.pen = Pen{topLeft};
        canvas.MoveTo(r.left, r.bottom);
        canvas.LineTo(r.left, r.top);
        canvas.LineTo(r.right, r.top);
        canvas.pen.color = bottomRight;
        canvas.LineTo(r.right, r.bottom);
        canvas.LineTo(r.left - 1, r.bottom);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    ++r.right;
    ++r.bottom;
}

void Bevel(Canvas& canvas, Rect& r, BevelCut cut, int width) {
    if (cut == BevelCut::None) return;
    const Color light = cut == BevelCut::Lowered ? kBevelShadow : kBevelLight;
    const Color dark = cut == BevelCut::Lowered ? kBevelLight : kBevelShadow;
    if (cut == BevelCut::Space) {
        r = {r.left + width, r.top + width, r.right - width, r.bottom - width};
        return;
    }
    Frame3D(canvas, r, light, dark, width);
}
}  // namespace

constexpr NamedValue kBevelNames[] = {{"bvNone", int(BevelCut::None)},
                                      {"bvLowered", int(BevelCut::Lowered)},
                                      {"bvRaised", int(BevelCut::Raised)},
                                      {"bvSpace", int(BevelCut::Space)}};
constexpr NamedValue kShapeNames[] = {{"stRectangle", 0}};

// ---------------------------------------------------------------- Panel

const PropertyTable& Panel::StoredProperties() const {
    static const PropertyTable table = PropertyTable(CustomControl::StoredProperties())
        .AddNamed("BevelInner", &Panel::BevelInner, &Panel::SetBevelInner, kBevelNames, BevelCut::None, "bevel")
        .AddNamed("BevelOuter", &Panel::BevelOuter, &Panel::SetBevelOuter, kBevelNames, BevelCut::Raised, "bevel")
        .Add("BevelWidth", &Panel::BevelWidth, &Panel::SetBevelWidth, 1)
        .Add("BorderWidth", &Panel::BorderWidth, &Panel::SetBorderWidth, 0);
    return table;
}

Panel::Panel() { SetBounds(0, 0, 185, 41); }

void Panel::SetBevelOuter(BevelCut v) {
    bevelOuter_ = v;
    Invalidate();
}

void Panel::SetBevelInner(BevelCut v) {
    bevelInner_ = v;
    Invalidate();
}

void Panel::SetBevelWidth(int v) {
    bevelWidth_ = std::max(v, 1);
    Invalidate();
}

void Panel::SetBorderWidth(int v) {
    borderWidth_ = std::max(v, 0);
    Invalidate();
}

Rect Panel::AlignArea() const {
    int inset = borderWidth_;
    if (bevelOuter_ != BevelCut::None) inset += bevelWidth_;
    if (bevelInner_ != BevelCut::None) inset += bevelWidth_;
    const Rect r = ClientRect();
    return {r.left + inset, r.top + inset, std::max(r.left + inset, r.right - inset), std::max(r.top + inset, r.bottom - inset)};
}

void Panel::Paint(Canvas& canvas) {
    Rect r = ClientRect();
    Bevel(canvas, r, bevelOuter_, bevelWidth_);
    r = {r.left + borderWidth_, r.top + borderWidth_, r.right - borderWidth_, r.bottom - borderWidth_};
    Bevel(canvas, r, bevelInner_, bevelWidth_);
    if (!Caption().empty()) {
        canvas.font = GetFont();
        DrawText(canvas, Caption(), r, kDtCenter | kDtVCenter | kDtSingleLine);
    }
}

// ---------------------------------------------------------------- Shape

Shape::Shape() { SetBounds(0, 0, 65, 65); }

const PropertyTable& Shape::StoredProperties() const {
    static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
        .Add("Brush.Color", &Shape::BrushColor, &Shape::SetBrushColor, kWhite)
        .Add("Pen.Color", &Shape::PenColor, &Shape::SetPenColor, kBlack)
        // Only the rectangle is drawn; the name is read so that layouts naming it load.
        .AddNamed("Shape", &Shape::ShapeKind, &Shape::SetShapeKind, kShapeNames, 0, "shape");
    return table;
}

void Shape::SetBrushColor(Color c) {
    brush_.color = c;
    Repaint();
}

void Shape::SetPenColor(Color c) {
    pen_.color = c;
    Repaint();
}

void Shape::Paint(Canvas& canvas) {
    canvas.pen = pen_;
    canvas.brush = brush_;
    canvas.Rectangle(ClientRect());
}

// ---------------------------------------------------------------- Label

Label::Label() { SetBounds(0, 0, 65, 13); }

const PropertyTable& Label::StoredProperties() const {
    static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
        .Add("AutoSize", &Label::AutoSize, &Label::SetAutoSize, true)
        .Add("Transparent", &Label::Transparent, &Label::SetTransparent, false);
    return table;
}

void Label::SetCaption(std::string caption) {
    GraphicControl::SetCaption(std::move(caption));
    AdjustSize();
    Repaint();
}

void Label::SetTransparent(bool v) {
    transparent_ = v;
    Repaint();
}

void Label::SetAutoSize(bool v) {
    autoSize_ = v;
    AdjustSize();
}

void Label::FontChanged() {
    AdjustSize();
    Invalidate();
}

void Label::AdjustSize() {
    if (!autoSize_) return;
    Bitmap scratch(1, 1);
    Canvas measure(scratch);
    measure.font = GetFont();
    const Size s = TextExtent(measure, Caption().empty() ? std::string_view(" ") : std::string_view(Caption()));
    SetBounds(Left(), Top(), Caption().empty() ? Width() : s.width, s.height);
}

void Label::Paint(Canvas& canvas) {
    if (!transparent_) {
        canvas.brush = Brush{};
        canvas.brush.color = ResolveColor(GetColor());
        canvas.FillRect(ClientRect());
    }
    canvas.font = GetFont();
    TextOut(canvas, 0, 0, Caption());
}

void Label::Describe(AccessibleDescription& d) { d.role = AccessibleRole::StaticText; }

void Shape::Describe(AccessibleDescription& d) {
    if (!OnMouseDown) return;
    d.role = AccessibleRole::PushButton;
    d.value = ColorValue(brush_.color);
    d.actions.push_back({AccessibleActionKind::Press, [this] { MouseDown(MouseButton::Left, 0, Width() / 2, Height() / 2); }});
}

}  // namespace veskel
