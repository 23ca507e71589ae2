#pragma once
// A single-line text box: UTF-8 text, a caret, a selection made with the mouse or with shifted
// arrow/Home/End keys, clipboard cut, copy, paste and select all (Ctrl+X/C/V/A, Shift+Delete,
// Ctrl+Insert, Shift+Insert), and text input in any script. OnChange is raised after every change
// of the text, typed or set from code (not when the new text equals the old one). Plain look:
// white field, black text, highlighted selection; the glass edit field draws its frame around it.
#include <string>
#include <string_view>

#include "platform/ui/Control.h"

namespace veskel {

class Edit : public CustomControl {
public:
    Edit();
    std::string ClassName() const override { return "TEdit"; }

    const std::string& Text() const { return text_; }
    // Replaces the text (valid UTF-8, else std::invalid_argument); the caret goes to the start
    // and the selection is cleared, as the classic edit box does. Raises OnChange when the text differs.
    void SetText(std::string_view utf8);

    // Positions count characters (code points), not bytes.
    int CharCount() const;
    int SelStart() const;
    int SelLength() const;
    // The caret goes to start + length (a negative length selects leftwards).
    void SetSelection(int start, int length);
    std::string SelText() const;
    // Replaces the selection (or inserts at the caret) with text.
    void ReplaceSelection(std::string_view utf8);
    void SelectAll();
    int CaretPosition() const { return caret_; }

    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    // 0 = no limit, else the most characters the user can type or paste.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n) { maxLength_ = n; }

    // Left margin of the text inside the box, pixels.
    int TextMargin = 1;

    NotifyEvent OnChange;
    NotifyEvent OnExit;  // the field lost the keyboard focus

    const PropertyTable& StoredProperties() const override;
    void Describe(AccessibleDescription& d) override;

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
    void DblClick() override;
    void KeyDown(int& key, ShiftState shift) override;
    void TextInput(std::string_view utf8) override;
    void FocusChanged(bool focused) override;

private:
    int CharAt(int x);
    int XOfChar(int index) const;
    void SetChars(std::u32string chars, int caret);
    void MoveCaret(int pos, bool extend);
    void Changed();
    void ScrollToCaret();

    std::string text_;      // UTF-8, what Text() returns
    std::u32string chars_;  // the same text as code points, what editing works on
    int caret_ = 0;
    int anchor_ = 0;  // the other end of the selection (== caret_ when nothing is selected)
    int scroll_ = 0;  // pixels of text scrolled out at the left
    bool readOnly_ = false;
    int maxLength_ = 0;
    bool selecting_ = false;
};

}  // namespace veskel
