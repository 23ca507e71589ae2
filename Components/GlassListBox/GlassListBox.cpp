#include "Components/GlassListBox/GlassListBox.h"

#include <algorithm>

#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/PropertyTable.h"
#include "platform/text/CanvasText.h"

namespace veskel {

namespace {
constexpr Color kRowColor = RGB(255, 255, 255);
constexpr Color kHotColor = RGB(237, 247, 255);
constexpr Color kSelectedColor = RGB(181, 213, 254);
constexpr int kIconLeft = 4;
constexpr int kTextLeft = 15;       // caption of an item without an icon
constexpr int kTextAfterIcon = 8;   // gap between an icon and its caption
constexpr int kTextAboveBottom = 2;
constexpr int kWheelNotch = 120;    // one notch scrolls one item (100 hundredths)

// The icon of an item, or an empty picture when it has none or its bytes are not a bitmap
// (a broken icon must not stop the list from painting).
Picture DecodeIcon(const TGLItems& item) {
    if (item.IconFlag == 0 || !item.PNGIcon) return {};
    try {
        return DecodeBmp(*item.PNGIcon);
    } catch (const CodecError&) {
        return {};
    }
}
}  // namespace

TGlassListBox::TGlassListBox() {
    SetBounds(0, 0, 260, 170);
    Font f;
    f.family = "Tahoma";
    f.size = 8;
    f.color = RGB(10, 10, 10);
    SetFont(f);
    SetKeyboardStop(true);
}

const PropertyTable& TGlassListBox::StoredProperties() const {
    static const PropertyTable table =
        PropertyTable(CustomControl::StoredProperties())
            .Add("ItemHeight", &TGlassListBox::ItemHeight, &TGlassListBox::SetItemHeight, 26)
            .Add("TopItem", &TGlassListBox::TopItem, &TGlassListBox::SetTopItem, 0)
            .Add("ShowText", &TGlassListBox::ShowText, &TGlassListBox::SetShowText, true)
            .Event("OnSelect", &TGlassListBox::OnSelect)
            .Event("OnLineChange", &TGlassListBox::OnLineChange)
            .Event("OnItemAdd", &TGlassListBox::OnItemAdd);
    return table;
}

void TGlassListBox::SetItemHeight(int v) {
    itemHeight_ = std::clamp(v, 1, 255);
    Repaint();
}

void TGlassListBox::SetTopItem(int v) {
    topItem_ = v;
    Repaint();
}

void TGlassListBox::SetShowText(bool v) {
    showText_ = v;
    Repaint();
}

void TGlassListBox::AddItem(const std::string& caption, const std::string& value,
                            std::span<const std::uint8_t> icon, std::int32_t iconFlag) {
    auto item = std::make_unique<TGLItems>();
    item->SetCaption(caption);
    item->SetInfo(value);
    item->SetIndex(Count());
    if (iconFlag != 0) {
        item->PNGIcon.emplace(icon.begin(), icon.end());
        item->IconFlag = iconFlag;
    }
    items_.push_back(std::move(item));
    if (OnItemAdd) OnItemAdd(*this);
    Repaint();
}

int TGlassListBox::CellFromPoint(int y) const {
    const int cell = Round(topItem_ / 100.0) + Round(double(y) / itemHeight_);
    return cell > Count() - 1 ? -1 : cell;
}

void TGlassListBox::Select() {
    if (OnSelect) OnSelect(*this);
}

void TGlassListBox::itemDown() {
    ++hotItem_;
    if (hotItem_ < Count()) {
        if (Round(topItem_ / 100.0) + 3 < hotItem_) SetTopItem(topItem_ + 100);
        Repaint();
    } else {
        hotItem_ = Count() - 1;
    }
}

void TGlassListBox::itemUp() {
    --hotItem_;
    if (hotItem_ < 0) {
        hotItem_ = 0;
        return;
    }
    if (hotItem_ < Round(topItem_ / 100.0)) SetTopItem(topItem_ - 100);
    Repaint();
}

void TGlassListBox::Paint(Canvas& canvas) {
    // Rows start at the item nearest TopItem, shifted up by the rest of TopItem.
    const int first = Round(topItem_ / 100.0);
    scrollOffset_ = -Round(double(std::int64_t(topItem_ - std::int64_t(first) * 100) * itemHeight_) / 100.0);
    SwitchRoundingToDownward();
    const std::uint16_t rows = std::uint16_t(Round(double(Height()) / itemHeight_) + 1);
    if (rows == 0) return;

    canvas.font = GetFont();
    const int textHeight = TextHeight(canvas, "ASD");
    canvas.brush.style = BrushStyle::Solid;
    for (int r = 1; r <= rows; ++r) {
        const int g = r - 1;
        const std::int64_t index = std::int64_t(first) + g;
        if (index > Count() - 1) break;
        canvas.brush.color = index == hotItem_ ? kHotColor : kRowColor;
        if (index == ItemIndex) canvas.brush.color = kSelectedColor;
        canvas.FillRect({0, g * itemHeight_ + scrollOffset_, Width(), r * itemHeight_ + scrollOffset_});
        if (index < 0) continue;

        const TGLItems& item = *items_[std::size_t(index)];
        int iconWidth = 0;
        const Picture icon = DecodeIcon(item);
        if (icon.Width() > 0) {
            const int x = showText_ ? kIconLeft : Round(Width() / 2.0 - icon.Width() / 2.0);
            const int y = Round(itemHeight_ / 2.0 - icon.Height() / 2.0) + g * itemHeight_ + 1 + scrollOffset_;
            canvas.Draw(x, y, icon.color);
            iconWidth = icon.Width();
        }
        if (showText_) {
            const int x = item.PNGIcon && item.IconFlag != 0 ? iconWidth + kTextAfterIcon : kTextLeft;
            TextOut(canvas, x, r * itemHeight_ + scrollOffset_ - textHeight - kTextAboveBottom, item.Caption());
        }
    }
}

void TGlassListBox::TrackPointer(int y) {
    scrollOffset_ = Round(double(std::int64_t(topItem_ - std::int64_t(Round(topItem_ / 100.0)) * 100) * itemHeight_) / 100.0);
    const int cell = CellFromPoint(y + scrollOffset_);
    if (cell < 0 || cell == hotItem_) return;
    hotItem_ = cell;
    if (OnLineChange) OnLineChange(*this);
    Repaint();
}

void TGlassListBox::MouseMove(ShiftState shift, int x, int y) {
    CustomControl::MouseMove(shift, x, y);
    TrackPointer(y);
}

// The light blue row follows the pointer only while it is over the list.
void TGlassListBox::MouseLeave() {
    CustomControl::MouseLeave();
    if (hotItem_ == -2) return;
    hotItem_ = -2;
    Repaint();
}

void TGlassListBox::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    // The item under the press is highlighted first, as a movement onto it would have done: a
    // press that arrives without a movement before it (the list appeared under a resting
    // pointer) still selects what it is on.
    TrackPointer(y);
    ItemIndex = hotItem_;
    Select();
    Repaint();
    CustomControl::MouseDown(button, shift, x, y);
}

void TGlassListBox::KeyDown(int& key, ShiftState shift) {
    CustomControl::KeyDown(key, shift);
    if (Count() == 0 || (shift & (kCtrl | kAlt))) return;
    const int rows = std::max(1, Height() / itemHeight_);
    int to = ItemIndex;
    switch (key) {
        case kKeyUp: to -= 1; break;
        case kKeyDown: to += 1; break;
        case kKeyPrior: to -= rows; break;
        case kKeyNext: to += rows; break;
        case kKeyHome: to = 0; break;
        case kKeyEnd: to = Count() - 1; break;
        default: return;
    }
    key = 0;
    to = std::clamp(to, 0, Count() - 1);
    if (to == ItemIndex) return;
    // Into view: the selected row becomes the first row when above the box, the last when below.
    const int first = Round(topItem_ / 100.0);
    if (to < first) SetTopItem(to * 100);
    else if (to > first + rows - 1) SetTopItem(std::min((to - rows + 1) * 100, MaxWheelTop()));
    ItemIndex = to;
    Select();
    Repaint();
}

int TGlassListBox::MaxWheelTop() const {
    const std::int64_t overflow = std::int64_t(Count()) * itemHeight_ - Height();
    if (overflow <= 0) return 0;
    return int((overflow * 100 + itemHeight_ - 1) / itemHeight_);
}

bool TGlassListBox::MouseWheel(ShiftState shift, int delta, int x, int y) {
    CustomControl::MouseWheel(shift, delta, x, y);
    // Hundredths of an item, the remainder kept for the next turn (fine-grained wheels and
    // touchpads send less than a notch at a time).
    const std::int64_t total = std::int64_t(wheelRest_) + std::int64_t(delta) * 100;
    const int step = int(total / kWheelNotch);
    wheelRest_ = int(total % kWheelNotch);
    int top = topItem_;
    const int maxTop = MaxWheelTop();
    if (step > 0 && top > 0) top = std::max(0, top - step);
    if (step < 0 && top < maxTop) top = int(std::min<std::int64_t>(maxTop, std::int64_t(top) - step));
    if (top != topItem_) {
        SetTopItem(top);
        TrackPointer(y);  // the highlight follows the item that is now under the pointer
    }
    return true;
}

void TGlassListBox::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::List;
    d.labelledByNeighbour = true;
    if (ItemIndex >= 0 && ItemIndex < Count()) d.value = Item(ItemIndex).Caption();
    for (int i = 0; i < Count(); ++i) {
        AccessibleDescription item;
        item.role = AccessibleRole::ListItem;
        item.name = Item(i).Caption();
        item.bounds = Rect::FromSize(0, i * itemHeight_ - scrollOffset_, Width(), itemHeight_);
        item.showing = d.showing && item.bounds->Intersect(ClientRect()).Width() > 0 &&
                       item.bounds->Intersect(ClientRect()).Height() > 0;
        item.enabled = d.enabled;
        item.selectable = true;
        item.selected = i == ItemIndex;
        // The list's focus is on its selected entry, the one the arrow keys move.
        item.focusable = d.focusable;
        item.focused = d.focused && item.selected;
        item.actions.push_back({AccessibleActionKind::Press, [this, i] {
                                    hotItem_ = i;
                                    ItemIndex = i;
                                    Select();
                                    Repaint();
                                }});
        d.parts.push_back(std::move(item));
    }
}

}  // namespace veskel
