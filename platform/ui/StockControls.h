#pragma once
// More plain controls that forms use beside the glass family (the panel, shape and label are in
// StandardControls.h): a picture (TImage), a separating line or frame (TBevel), a numeric spin
// field (TSpinEdit), and the file dialogs as components of a stored layout (TOpenDialog and its
// kin). They look like the classic platform's own and keep its stored property names.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/graphics/Picture.h"
#include "platform/ui/Control.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Edit.h"

namespace veskel {

// Resizes a bitmap, keeping the pixels that still fit and filling new area with `fill`.
void ResizeKeeping(Bitmap& bitmap, int width, int height, Color fill);

// A picture shown at its own size from the top-left corner (or stretched over the control).
class TImage : public GraphicControl {
public:
    TImage();
    std::string ClassName() const override { return "TImage"; }
    const PropertyTable& StoredProperties() const override;

    const Picture& GetPicture() const { return picture_; }
    void SetPicture(Picture picture);
    // For drawing on the picture in place; call Invalidate() afterwards.
    Bitmap& PictureBitmap() { return picture_.color; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    // The stored form of the picture: a PNG or BMP file. Anything else is refused (LayoutError).
    void ReadPictureData(std::span<const std::uint8_t> file);
    std::vector<std::uint8_t> PictureData() const;  // PNG
    // A picture with a hint is content (its hint describes it); without one it is decoration.
    void Describe(AccessibleDescription& d) override;

protected:
    void Paint(Canvas& canvas) override;

private:
    Picture picture_;
    bool stretch_ = false;
};

// A sunken line or frame: Shape 0 = box, 1 = frame, 2 = top line, 3 = bottom line,
// 4 = left line, 5 = right line; Style 0 = lowered, 1 = raised.
class TBevel : public GraphicControl {
public:
    enum Shape { kBox, kFrame, kTopLine, kBottomLine, kLeftLine, kRightLine };
    TBevel();
    std::string ClassName() const override { return "TBevel"; }
    const PropertyTable& StoredProperties() const override;
    int GetShape() const { return shape_; }
    void SetShape(int v);
    int Style() const { return raised_ ? 1 : 0; }
    void SetStyle(int v);

protected:
    void Paint(Canvas& canvas) override;

private:
    int shape_ = kBox;
    bool raised_ = false;
};

// A whole-number field with up and down arrows at its right end; the arrows and the Up/Down keys
// step the value by Increment within MinValue..MaxValue. OnChange (the edit's) follows the text.
class TSpinEdit : public Edit {
public:
    TSpinEdit();
    std::string ClassName() const override { return "TSpinEdit"; }
    const PropertyTable& StoredProperties() const override;
    // The number in the field, held to the range; a text that is not a number counts as MinValue.
    int Value() const;
    void SetValue(int v);
    int MinValue() const { return min_; }
    void SetMinValue(int v) { min_ = v; }
    int MaxValue() const { return max_; }
    void SetMaxValue(int v) { max_ = v; }
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = v; }

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void KeyDown(int& key, ShiftState shift) override;

private:
    int Clamp(long long v) const;
    int min_ = 0;
    int max_ = 100;
    int increment_ = 1;
};

// A file dialog carried by a stored layout. It never shows on its form; Execute runs the dialog.
// Options hold the classic flags by name: ofOverwritePrompt, ofHideReadOnly, ofEnableSizing.
class TDialogComponent : public GraphicControl {
public:
    TDialogComponent(std::string className, bool save, bool picturePreview);
    std::string ClassName() const override { return className_; }
    const PropertyTable& StoredProperties() const override;
    FileDialog& Dialog() { return dialog_; }
    const FileDialog& Dialog() const { return dialog_; }
    bool Execute() { return dialog_.Execute(); }
    const std::vector<std::string>& Options() const { return options_; }
    void SetOptions(std::vector<std::string> options);

private:
    std::string className_;
    FileDialog dialog_;
    std::vector<std::string> options_;
};

// The file dialog classes of a stored layout, by name.
std::unique_ptr<Control> MakeOpenDialog();
std::unique_ptr<Control> MakeSaveDialog();
std::unique_ptr<Control> MakeOpenPictureDialog();
std::unique_ptr<Control> MakeSavePictureDialog();

}  // namespace veskel
