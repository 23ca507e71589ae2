#include "Components/GlassEdit/GlassEdit.h"

#include "Components/GlassLook/GlassLook.h"
#include "platform/ui/Application.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

namespace {
constexpr int kFieldHeight = 18;
constexpr int kEditInset = 3;  // the inner edit keeps 3 pixels from the frame's left, top and right
constexpr int kEditHeight = 12;

// The inner edit box rings the whole field, frame included.
class FieldEdit : public veskel::Edit {
public:
    Rect FocusRingBounds() const override {
        return {-kEditInset, -kEditInset, Width() + kEditInset, kFieldHeight - kEditInset};
    }
};
}  // namespace

TGlassEdit::TGlassEdit()
    : Edit(CreateOwned<FieldEdit>()),
      leftCap_(&GlassSkin("Components/GlassEdit/res/GlassEditLeft.bmp")),
      rightCap_(&GlassSkin("Components/GlassEdit/res/GlassEditRight.bmp")),
      middle_(&GlassSkin("Components/GlassEdit/res/GlassEditMiddle.bmp")) {
    SetBounds(0, 0, 45, kFieldHeight);

    Edit->SetParent(this);
    Edit->SetBounds(kEditInset, kEditInset, Edit->Width(), kEditHeight);
    Edit->SetColor(kWhite);
    Font f;
    f.family = "Verdana";
    f.size = 9;
    f.color = kBlack;
    Edit->SetFont(f);
    Edit->SetText("Edit");
    Edit->OnChange = [this](Control&) {
        if (OnChange) OnChange(*this);
    };
    // The key is only looked at, never swallowed: the edit box still handles it afterwards.
    Edit->OnKeyDown = [this](Control&, int& key, ShiftState) {
        if (key == kKeyReturn || key == kKeyEscape) ForwardKey(key);
    };
}

const PropertyTable& TGlassEdit::StoredProperties() const {
    static const PropertyTable table =
        PropertyTable(CustomControl::StoredProperties()).Event("OnChange", &TGlassEdit::OnChange);
    return table;
}

void TGlassEdit::SetBounds(int left, int top, int width, int) {
    CustomControl::SetBounds(left, top, width, kFieldHeight);
}

void TGlassEdit::ForwardKey(int key) {
    // The window around the container: a field placed straight on a form has none, and then
    // the key goes nowhere.
    Control* container = Parent();
    Control* outer = container ? container->Parent() : nullptr;
    if (!outer) return;
    outer->WindowedAncestor()->PressKey(key);
}

void TGlassEdit::Paint(Canvas& canvas) {
    // The inner edit follows the field's width here, so a resize reaches it at the next paint.
    Edit->SetBounds(Edit->Left(), Edit->Top(), Width() - 2 * kEditInset, Edit->Height());
    canvas.Draw(0, 0, leftCap_->color);
    canvas.Draw(Width() - rightCap_->Width(), 0, rightCap_->color);
    canvas.StretchDraw(Rect::FromSize(leftCap_->Width(), 0, Width() - 4, kFieldHeight), middle_->color);
}

}  // namespace veskel
