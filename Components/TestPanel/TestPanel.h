#pragma once
// TTestPanel: a container with a strip of tabs along its top edge, and TGLeaf, its pages.
//
// Each page supplies its tab's caption, width and an optional image; the page at index i (its
// position among the container's children) owns the tab from x(i) = the sum of the widths of the
// pages before it, up to x(i) + its own width. The sums are 16-bit unsigned, as the widths are.
// Pressing a tab shows its page and hides the others. The strip is drawn in flat greys with fine
// horizontal stripes; hovering a tab darkens it, the selected tab is darker still and edged.
//
// ActivePage (the page shown) and VisiblePage (the tab drawn as selected) are kept apart: the
// ActivePage setter only stores the index, SetVisiblePage always sets VisiblePage and switches
// pages only when the index differs from ActivePage.
//
// Keyboard: the strip is the Tab stop after the shown page's controls; there Left and Right (and
// anywhere in the window Ctrl+Tab, Ctrl+PageDown and back) show the neighbouring page, wrapping.
#include <cstdint>
#include <span>
#include <string>

#include "platform/graphics/Picture.h"
#include "platform/ui/Control.h"
#include "platform/ui/FocusChain.h"

namespace veskel {

class TGLeaf;

class TTestPanel : public CustomControl, public PageSwitcher {
public:
    TTestPanel();
    std::string ClassName() const override { return "TTestPanel"; }
    const PropertyTable& StoredProperties() const override;

    int LeafHeight() const { return leafHeight_; }
    // Stores the height (0..255) and repaints; the pages stay where they are.
    void SetLeafHeight(int v);
    int ActivePage() const { return activePage_; }
    // Stores the index only: no page is shown or hidden, nothing repaints.
    void SetActivePage(int v) { activePage_ = v; }

    int VisiblePage() const { return visiblePage_; }
    int HoverLeaf() const { return hoverLeaf_; }

    // Shows page v (v >= 0) and hides the others, keeping the keyboard focus inside the container
    // when it was there; always makes v the selected tab and repaints. An index beyond the last
    // page hides every page; a negative one switches nothing and selects no tab.
    void SetVisiblePage(int v);

    // The pages in index order (children that are not pages are skipped).
    int PageCount() const;
    TGLeaf* Page(int index) const;
    // Total width of all tabs (16-bit sum).
    int GetLeafsWidth() const;
    // The first page whose tab's right edge is at or right of x; -1 beyond the last tab.
    int GetLeafFromPoint(int x) const;
    // Repaints the control.
    void ready() { Repaint(); }
    void Describe(AccessibleDescription& d) override;
    // A page's tab in the container's coordinates.
    Rect TabRect(int index) const;

    // Shows the page `step` places on from ActivePage, wrapping. Focus inside the old page moves
    // to the new page's first stop (the strip when it has none).
    bool StepPage(int step) override;
    // The selected tab.
    Rect FocusRingBounds() const override;

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void Resized() override;
    void KeyDown(int& key, ShiftState shift) override;

private:
    int leafHeight_ = 57;
    int activePage_ = 2;
    int visiblePage_ = 2;
    int hoverLeaf_ = -1;
};

class TGLeaf : public CustomControl {
public:
    TGLeaf();
    std::string ClassName() const override { return "TGLeaf"; }
    const PropertyTable& StoredProperties() const override;

    int LeafWidth() const { return leafWidth_; }
    // Stores the width (0..65535) only; the container repaints when asked.
    void SetLeafWidth(int v) { leafWidth_ = std::uint16_t(v); }

    // The tab image (empty: the tab shows its caption only).
    const Picture& LeafImage() const { return leafImage_; }
    void SetLeafImage(Picture image) { leafImage_ = std::move(image); }
    // The stored form of the tab image: a whole PNG file. A block of 1000 bytes or fewer, or one
    // that does not decode, leaves the image as it was.
    void ReadLeafImageData(std::span<const std::uint8_t> png);
    // The empty image is written as the 8-byte PNG signature alone.
    std::vector<std::uint8_t> LeafImageData() const;

    // Places the page below its container's tab strip, as wide as the container.
    void fit();
    // A page is a tab whose children are the page's controls; pressing it shows the page.
    void Describe(AccessibleDescription& d) override;

    // A page keeps its place: moved, it goes back to (0, LeafHeight); resized, it fits again.
    // Outside a TTestPanel only its left is forced to 0.
    void SetBounds(int left, int top, int width, int height) override;

private:
    std::uint16_t leafWidth_ = 44;
    Picture leafImage_;
};

}  // namespace veskel
