#pragma once
// TAALabel: a word-wrapped caption with smooth edges, drawn over whatever its parent painted
// beneath it. The text is drawn three times larger on white in a scratch image; each 3 x 3
// block becomes a coverage value that darkens the background pixel under it. With isURL on the
// label is a link: underlined, hand-point cursor, and a release of any mouse button opens its
// caption in the desktop's web browser.
//
// The height follows the caption: it is measured (word-wrapped at the label's width) whenever the
// caption is set, and only then; the width never changes.
#include <string>
#include <string_view>

#include "platform/graphics/Bitmap.h"
#include "platform/ui/Control.h"

namespace veskel {

class TAALabel : public GraphicControl {
public:
    TAALabel();
    std::string ClassName() const override { return "TAALabel"; }
    const PropertyTable& StoredProperties() const override;

    // Sets the text and measures it. An empty value keeps the previous text and height.
    // A "\n" pair becomes a line break (see ConvertLineBreaks).
    void SetCaption(std::string caption) override;

    bool isURL() const { return isURL_; }
    void SetIsURL(bool v);
    // Static text, or a link whose press opens it as a click does.
    void Describe(AccessibleDescription& d) override;

    // The measured text height (0 until a non-empty caption is set) and the width it was
    // measured at.
    int TextHeight() const { return textHeight_; }
    int TextWidth() const { return textWidth_; }

    // What a link opens: the caption when it is a web address (http or https, or a bare host
    // name, which gets "http://"), else nothing (empty).
    static std::string LinkTarget(std::string_view caption);

protected:
    void Paint(Canvas& canvas) override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
    // A link opens with Enter, as with a click.
    void KeyDown(int& key, ShiftState shift) override;

private:
    // Draws the caption at three times its measured size into scaled, which holds the piece of
    // the enlarged text area that covers `part` of the text area (3 x its size, white).
    void DrawScaledText(Bitmap& scaled, const Rect& part) const;

    bool isURL_ = false;
    int textWidth_ = 0;
    int textHeight_ = 0;
    Font measuredFont_;     // the font the caption was last measured with
    std::string lastText_;  // the last non-empty caption, line breaks converted
    Bitmap background_;     // the parent's pixels under the label, then the blended text
};

// Replaces, in a caption longer than 5 characters (bytes), every backslash followed by "n" whose
// backslash stands at 1-based position 1 .. length - 4 with a carriage return and line feed.
// A "\n" nearer the end stays as typed.
std::string ConvertLineBreaks(std::string_view caption);

}  // namespace veskel
