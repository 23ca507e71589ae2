#pragma once
// TPNGButtonBase: what the two image buttons share (TPulseButton here, TGroupPNGButtons in its
// own unit). A windowless button that holds one or more PNG images as the bytes of complete PNG
// files, shows the current one, draws a rounded background shape while hovered or selected, marks
// with a small corner triangle that it holds more than one image, and offers them all in a menu
// on a right-button release. The images travel in the stored layout as the numbered PNG blocks
// "QORPNGData1", "QORPNGData2", ...; Files records where they came from at design time.
//
// Images are decoded from their bytes whenever they are drawn; nothing decoded is kept.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/ui/ButtonControl.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

class TPNGButtonBase : public ButtonControl {
public:
    // The table entry of the numbered image blocks (kept last by derived classes).
    static constexpr const char* kImageBlocksEntry = "QORPNGData#";

    TPNGButtonBase();
    const PropertyTable& StoredProperties() const override;

    const std::vector<std::string>& Descriptions() const { return descriptions_; }
    void SetDescriptions(std::vector<std::string> lines) { descriptions_ = std::move(lines); }
    const std::vector<std::string>& Files() const { return files_; }
    void SetFiles(std::vector<std::string> lines) { files_ = std::move(lines); }
    // The number of images (0..65535). Setting it only stores the number; the image list follows
    // it when images are read (stored layout or UpdatePNGList).
    int ItemsCount() const { return itemsCount_; }
    void SetItemsCount(int v);
    // 1-based number of the image shown, 0 for none. Setting it also sets Hint to the image's
    // description (an error when Descriptions has no such line; the number is stored first) and
    // does not repaint: the new image shows from the next paint on.
    int CurrentItem() const { return currentItem_; }
    void SetCurrentItem(int v);
    bool AutoCenter() const { return autoCenter_; }
    void SetAutoCenter(bool v);
    bool Selected() const { return selected_; }
    void SetSelected(bool v);
    int Xoffset() const { return xOffset_; }
    void SetXoffset(int v);
    int Yoffset() const { return yOffset_; }
    void SetYoffset(int v);
    const Brush& BackColor() const { return backColor_; }
    void SetBackColor(const Brush& b);
    const Pen& BackPen() const { return backPen_; }
    void SetBackPen(const Pen& p);
    // Stored for the pen's width; outlines are drawn one pixel wide.
    int BackPenWidth() const { return backPenWidth_; }
    int RoundSize() const { return round_; }
    void SetRound(int v);
    const Font& ItemsFont() const { return itemsFont_; }
    void SetItemsFont(const Font& f) { itemsFont_ = f; }

    // Loads buffer i from the file named by Files line i - 1 (byte for byte) for i = 1 to
    // ItemsCount, then repaints. A missing file raises an error; the buffers loaded before stay.
    void UpdatePNGList();

    // The stored bytes of every image (a buffer may be empty).
    const std::vector<std::vector<std::uint8_t>>& ImageItems() const { return items_; }
    // Reads one stored image value as the layout reader delivers them: values go to the buffers
    // in the order they arrive, whatever number their names carry.
    void ReadImageValue(std::vector<std::uint8_t> bytes);

    // Raised after the pointer has entered (and the parent has had the change notice).
    NotifyEvent OnSendHint;

protected:
    void Paint(Canvas& canvas) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
    // Repaints are the button's own business (see MouseEnter, MouseLeave, MouseUp).
    void ButtonStateChanged() override {}

    // Called when hovering starts or ends, before the repaint that shows it.
    virtual void HoverChanged(bool hovered) { (void)hovered; }
    // Recolours the decoded copy of the current image before it is drawn.
    virtual void Recolour(Picture& image) { (void)image; }
    // What Recolour depends on besides the image (and the rounding mode): a paint with the same
    // value draws the recoloured copy it kept.
    virtual int RecolourKey() const { return 0; }

    // Shows the image menu at a screen point (the pointer's by default) and makes the chosen
    // image current.
    void RunImageMenu(std::optional<Point> at = std::nullopt);
    // With several images, the context-menu key or Shift+F10 shows the image menu below the
    // button, as the right button shows it at the pointer; other keys are the button's.
    void KeyDown(int& key, ShiftState shift) override;

private:
    std::vector<std::string> descriptions_;
    std::vector<std::string> files_;
    int itemsCount_ = 0;
    int currentItem_ = 0;
    bool autoCenter_ = true;
    bool selected_ = false;
    int xOffset_ = 0;
    int yOffset_ = 0;
    Brush backColor_{kWhite, BrushStyle::Solid, nullptr};
    Pen backPen_{kBlack, PenStyle::Solid, PenMode::Copy};
    int backPenWidth_ = 1;
    int round_ = 0;
    Font itemsFont_;

    std::vector<std::vector<std::uint8_t>> items_;
    // The current image decoded and recoloured, as last drawn: decoding and recolouring cost
    // more than the rest of a paint. Kept while the item, its bytes, RecolourKey and the
    // rounding mode stay the same; shownItem_ 0 when nothing is kept.
    const Picture& ShownImage();
    int shownItem_ = 0;
    int shownKey_ = 0;
    int shownRounding_ = 0;
    Picture shown_;
    unsigned readIndex_ = 0;
};

}  // namespace veskel
