#pragma once
// TGlassListBox: a flat, owner-drawn list of text items with optional icons: white rows, a light
// blue row under the pointer and a stronger blue row for the selected item. A press selects the
// item under the pointer and raises OnSelect. There is no scroll bar: TopItem counts the first
// visible position in hundredths of an item, so that a caller can scroll smoothly; the mouse
// wheel scrolls by one item per notch. With the keyboard focus, Up and Down, PageUp and PageDown
// (a boxful) and Home and End move the selection as a press would, scrolling it into view.
//
// The first paint of any glass list box switches the process-wide rounding mode to rounding
// downward, for good (platform/graphics/Rounding.h); every later round of the controls, this
// control's hit test included, rounds down. What is stored or exported (the banner, a picture's
// fitted size, slider values) rounds to nearest all the same.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Components/GlassListBox/Gitems.h"
#include "platform/ui/Control.h"

namespace veskel {

class TGlassListBox : public CustomControl {
public:
    TGlassListBox();
    std::string ClassName() const override { return "TGlassListBox"; }
    const PropertyTable& StoredProperties() const override;

    // Row height in pixels (1..255; 0 would leave no rows to hit, so it becomes 1).
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int v);
    // First visible position in hundredths of an item (100: the second item at the top).
    int TopItem() const { return topItem_; }
    void SetTopItem(int v);
    // Draw the captions (icons then sit at the left; without captions they are centred).
    bool ShowText() const { return showText_; }
    void SetShowText(bool v);

    // The selected item. Written from outside it neither repaints nor raises an event: the new
    // selection shows at the next repaint.
    int ItemIndex = 0;
    // The item under the pointer (-2: none, before the first movement and after the pointer left).
    int HotItem() const { return hotItem_; }
    // Pixel offset of the rows, as the last paint or hit test derived it from TopItem.
    int ScrollOffset() const { return scrollOffset_; }

    int Count() const { return int(items_.size()); }
    const TGLItems& Item(int index) const { return *items_.at(std::size_t(index)); }
    TGLItems& Item(int index) { return *items_.at(std::size_t(index)); }

    // Appends an item with a caption and a second string; with a non-zero iconFlag the item keeps
    // a copy of the icon bytes (a bitmap file). Raises OnItemAdd, then repaints.
    void AddItem(const std::string& caption, const std::string& value,
                 std::span<const std::uint8_t> icon = {}, std::int32_t iconFlag = 0);
    // The item at y (control coordinates plus the scroll offset): round(TopItem / 100) +
    // round(y / ItemHeight), or -1 past the last item.
    int CellFromPoint(int y) const;
    // Raises OnSelect.
    void Select();
    // A list whose entries are its parts; pressing an entry selects it as a press on it does.
    void Describe(AccessibleDescription& d) override;
    // Move the highlight one item down or up, scrolling the list by one item when the highlight
    // would leave the first four rows' reach. Raise no event.
    void itemDown();
    void itemUp();

    NotifyEvent OnSelect;
    NotifyEvent OnLineChange;
    NotifyEvent OnItemAdd;

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseLeave() override;
    bool MouseWheel(ShiftState shift, int delta, int x, int y) override;
    void KeyDown(int& key, ShiftState shift) override;

private:
    // The pointer-movement step: finds the item under y and highlights it.
    void TrackPointer(int y);
    // Largest TopItem the wheel scrolls to: the last item's bottom at the list's bottom edge.
    int MaxWheelTop() const;

    int itemHeight_ = 26;
    int topItem_ = 0;
    bool showText_ = true;
    int hotItem_ = -2;
    int scrollOffset_ = 0;
    int wheelRest_ = 0;  // wheel turn not yet worth a hundredth of an item
    std::vector<std::unique_ptr<TGLItems>> items_;
};

}  // namespace veskel
