#pragma once
// The plain controls of the classic framework that the glass family builds on and places beside
// its own: the panel (a windowed container with a bevel), the shape (a windowless rectangle with
// pen and brush) and the label (windowless text on its parent's surface).
#include <string>

#include "platform/graphics/Canvas.h"
#include "platform/ui/Control.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

enum class BevelCut { None, Lowered, Raised, Space };

// A windowed container: fills itself with its Color, draws its bevels (outer, then inner, each
// BevelWidth wide, lit at the top left when raised, shadowed when lowered) and its caption
// centred. BorderWidth is the margin between the inner bevel and the children.
class Panel : public CustomControl {
public:
    Panel();
    std::string ClassName() const override { return "TPanel"; }
    const PropertyTable& StoredProperties() const override;

    BevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(BevelCut v);
    BevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(BevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);
    // Every surface here is painted off screen before it is shown; the flag is only recorded.
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

protected:
    void Paint(Canvas& canvas) override;
    // Aligned children stay inside the bevels and the border (set them before adding children:
    // they apply at the next realignment).
    Rect AlignArea() const override;

private:
    BevelCut bevelOuter_ = BevelCut::Raised;
    BevelCut bevelInner_ = BevelCut::None;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool doubleBuffered_ = false;
};

// A windowless rectangle drawn with a one-pixel pen outline and a brush fill over its whole
// rectangle (the framework's rectangle shape).
class Shape : public GraphicControl {
public:
    Shape();
    std::string ClassName() const override { return "TShape"; }
    const PropertyTable& StoredProperties() const override;

    Color BrushColor() const { return brush_.color; }
    // Each setter stores and repaints.
    void SetBrushColor(Color c);
    Color PenColor() const { return pen_.color; }
    void SetPenColor(Color c);
    int ShapeKind() const { return 0; }
    void SetShapeKind(int) {}
    // A shape that answers presses (a colour swatch) is a button; any other is decoration.
    void Describe(AccessibleDescription& d) override;

protected:
    void Paint(Canvas& canvas) override;

private:
    Pen pen_;
    Brush brush_;
};

// Windowless text in its font, drawn at the top left. Transparent: only the glyphs are painted,
// the parent shows elsewhere; otherwise the label fills with its Color first. With AutoSize (the
// default) the label takes the size of its caption.
class Label : public GraphicControl {
public:
    Label();
    std::string ClassName() const override { return "TLabel"; }
    const PropertyTable& StoredProperties() const override;

    void SetCaption(std::string caption) override;
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    void Describe(AccessibleDescription& d) override;

protected:
    void Paint(Canvas& canvas) override;
    void FontChanged() override;

private:
    void AdjustSize();

    bool transparent_ = false;
    bool autoSize_ = true;
};

}  // namespace veskel
