#include "platform/ui/Edit.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "platform/text/CodePage.h"
#include "platform/text/FontEngine.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Application.h"
#include "platform/ui/PropertyTable.h"
#include "platform/ui/StoredLayout.h"
#include "platform/ui/UiInternal.h"
#include "platform/text/CanvasText.h"

namespace veskel {

using detail::EqualsNoCase;

namespace {
// What a single-line box accepts: the text up to the first line break, without control characters.
std::u32string Sanitize(std::u32string_view in) {
    std::u32string out;
    for (char32_t c : in) {
        if (c == U'\r' || c == U'\n') break;
        if (c < 0x20 || c == 0x7F) continue;
        out.push_back(c);
    }
    return out;
}

bool IsWordChar(char32_t c) { return c != U' ' && c != U'\t'; }
}  // namespace

Edit::Edit() {
    SetFocusable(true);
    SetAcceptsDoubleClicks(true);  // a double click selects the word
    SetColor(kClWindow);
    SetCursor(kCrIBeam);
    SetBounds(0, 0, 121, 21);
}

int Edit::CharCount() const { return int(chars_.size()); }
int Edit::SelStart() const { return std::min(caret_, anchor_); }
int Edit::SelLength() const { return std::abs(caret_ - anchor_); }

void Edit::SetChars(std::u32string chars, int caret) {
    bool changed = chars != chars_;
    chars_ = std::move(chars);
    text_ = EncodeUtf8(chars_);
    caret_ = anchor_ = std::clamp(caret, 0, CharCount());
    ScrollToCaret();
    Invalidate();
    if (changed) Changed();
}

void Edit::Changed() {
    if (OnChange) OnChange(*this);
}

void Edit::SetText(std::string_view utf8) {
    if (utf8 == text_) return;
    auto decoded = DecodeUtf8(utf8);
    if (!decoded) throw std::invalid_argument("text is not valid UTF-8");
    scroll_ = 0;
    SetChars(std::move(*decoded), 0);
}

void Edit::SetSelection(int start, int length) {
    int n = CharCount();
    start = std::clamp(start, 0, n);
    anchor_ = start;
    caret_ = std::clamp(start + length, 0, n);
    ScrollToCaret();
    Invalidate();
}

std::string Edit::SelText() const {
    return EncodeUtf8(std::u32string_view(chars_).substr(std::size_t(SelStart()), std::size_t(SelLength())));
}

void Edit::ReplaceSelection(std::string_view utf8) {
    auto decoded = DecodeUtf8(utf8);
    if (!decoded) return;  // malformed input is dropped, never half-inserted
    std::u32string ins = Sanitize(*decoded);
    int s = SelStart(), l = SelLength();
    if (maxLength_ > 0) {
        int room = std::max(0, maxLength_ - (CharCount() - l));
        if (int(ins.size()) > room) ins.resize(std::size_t(room));
    }
    if (ins.empty() && l == 0) return;
    std::u32string next = chars_.substr(0, std::size_t(s)) + ins + chars_.substr(std::size_t(s + l));
    SetChars(std::move(next), s + int(ins.size()));
}

void Edit::SelectAll() { SetSelection(0, CharCount()); }

void Edit::CopyToClipboard() {
    if (SelLength() == 0) return;
    if (Application* app = Application::Current()) app->SetClipboardText(SelText());
}

void Edit::CutToClipboard() {
    if (readOnly_ || SelLength() == 0) return;
    CopyToClipboard();
    ReplaceSelection("");
}

void Edit::PasteFromClipboard() {
    if (readOnly_) return;
    if (Application* app = Application::Current()) ReplaceSelection(app->ClipboardText());
}

void Edit::MoveCaret(int pos, bool extend) {
    caret_ = std::clamp(pos, 0, CharCount());
    if (!extend) anchor_ = caret_;
    ScrollToCaret();
    Invalidate();
}

int Edit::XOfChar(int index) const {
    int x = 0;
    for (int i = 0; i < index && i < CharCount(); ++i) x += CharAdvance(GetFont(), chars_[std::size_t(i)]);
    return x;
}

int Edit::CharAt(int x) {
    int tx = x - TextMargin + scroll_;
    int pos = 0;
    for (int i = 0; i < CharCount(); ++i) {
        int adv = CharAdvance(GetFont(), chars_[std::size_t(i)]);
        if (tx < pos + adv / 2) return i;
        pos += adv;
    }
    return CharCount();
}

void Edit::ScrollToCaret() {
    int avail = Width() - 2 * TextMargin - 1;
    if (avail <= 0) return;
    int cx = XOfChar(caret_);
    if (cx - scroll_ > avail) scroll_ = cx - avail;
    if (cx < scroll_) scroll_ = cx;
    if (scroll_ < 0) scroll_ = 0;
}

void Edit::KeyDown(int& key, ShiftState shift) {
    Control::KeyDown(key, shift);
    if (key == 0) return;
    bool extend = shift & kShift;
    bool ctrl = shift & kCtrl;
    int n = CharCount();
    auto wordLeft = [&](int p) {
        while (p > 0 && !IsWordChar(chars_[std::size_t(p - 1)])) --p;
        while (p > 0 && IsWordChar(chars_[std::size_t(p - 1)])) --p;
        return p;
    };
    auto wordRight = [&](int p) {
        while (p < n && IsWordChar(chars_[std::size_t(p)])) ++p;
        while (p < n && !IsWordChar(chars_[std::size_t(p)])) ++p;
        return p;
    };
    switch (key) {
        case kKeyLeft:
            if (!extend && SelLength() > 0 && !ctrl) MoveCaret(SelStart(), false);
            else MoveCaret(ctrl ? wordLeft(caret_) : caret_ - 1, extend);
            break;
        case kKeyRight:
            if (!extend && SelLength() > 0 && !ctrl) MoveCaret(SelStart() + SelLength(), false);
            else MoveCaret(ctrl ? wordRight(caret_) : caret_ + 1, extend);
            break;
        case kKeyHome: MoveCaret(0, extend); break;
        case kKeyEnd: MoveCaret(n, extend); break;
        case kKeyBack:
            if (readOnly_) break;
            if (SelLength() == 0) {
                if (caret_ == 0) break;
                anchor_ = ctrl ? wordLeft(caret_) : caret_ - 1;
            }
            ReplaceSelection("");
            break;
        case kKeyDelete:
            if (shift & kShift) {
                CutToClipboard();
                break;
            }
            if (readOnly_) break;
            if (SelLength() == 0) {
                if (caret_ == n) break;
                anchor_ = ctrl ? wordRight(caret_) : caret_ + 1;
            }
            ReplaceSelection("");
            break;
        case kKeyInsert:
            if (ctrl) CopyToClipboard();
            else if (shift & kShift) PasteFromClipboard();
            break;
        default:
            if (ctrl && !(shift & kAlt)) {
                if (key == 'A') SelectAll();
                else if (key == 'C') CopyToClipboard();
                else if (key == 'X') CutToClipboard();
                else if (key == 'V') PasteFromClipboard();
            }
    }
}

void Edit::TextInput(std::string_view utf8) {
    if (readOnly_) return;
    ReplaceSelection(utf8);
}

void Edit::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    Control::MouseDown(button, shift, x, y);
    if (button != MouseButton::Left || (shift & kDoubleClick)) return;
    MoveCaret(CharAt(x), shift & kShift);
    selecting_ = true;
}

void Edit::MouseMove(ShiftState shift, int x, int y) {
    Control::MouseMove(shift, x, y);
    if (selecting_ && (shift & kLeftHeld)) MoveCaret(CharAt(x), true);
}

void Edit::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
    Control::MouseUp(button, shift, x, y);
    if (button == MouseButton::Left) selecting_ = false;
}

void Edit::DblClick() {
    Control::DblClick();
    int n = CharCount();
    int s = std::min(caret_, n), e = s;
    while (s > 0 && IsWordChar(chars_[std::size_t(s - 1)])) --s;
    while (e < n && IsWordChar(chars_[std::size_t(e)])) ++e;
    anchor_ = s;
    caret_ = e;
    Invalidate();
}

void Edit::FocusChanged(bool focused) {
    Control::FocusChanged(focused);
    Invalidate();
    if (!focused && OnExit) OnExit(*this);
}

void Edit::Paint(Canvas& canvas) {
    Font f = GetFont();
    if (!EffectivelyEnabled()) f.color = ResolveColor(kClGrayText);
    canvas.font = f;
    int x = TextMargin - scroll_;
    if (!text_.empty()) TextOut(canvas, x, 0, text_);
    if (Focused()) {
        int cx = x + XOfChar(caret_);
        canvas.brush.style = BrushStyle::Solid;
        canvas.brush.color = f.color;
        canvas.FillRect({cx, 0, cx + 1, Height()});
    }
    // As the classic edit box: the selection shows only while the box has the focus.
    if (SelLength() > 0 && Focused()) {
        int x0 = x + XOfChar(SelStart());
        int x1 = x + XOfChar(SelStart() + SelLength());
        Rect sel{x0, 0, x1, Height()};
        canvas.brush.style = BrushStyle::Solid;
        canvas.brush.color = ResolveColor(kClHighlight);
        canvas.FillRect(sel);
        canvas.IntersectClip(sel);
        canvas.font.color = ResolveColor(kClHighlightText);
        TextOut(canvas, x, 0, text_);
    }
}

const PropertyTable& Edit::StoredProperties() const {
    static const PropertyTable table = PropertyTable(CustomControl::StoredProperties())
        .Add("MaxLength", &Edit::MaxLength, &Edit::SetMaxLength, 0)
        .Add("ReadOnly", &Edit::ReadOnly, &Edit::SetReadOnly, false)
        .Add("Text", &Edit::Text, &Edit::SetText)
        .Event("OnChange", &Edit::OnChange)
        .Event("OnExit", &Edit::OnExit);
    return table;
}

void Edit::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::EditableText;
    d.labelledByNeighbour = true;
    d.value = text_;
    d.caret = caret_;
    d.anchor = anchor_;
    d.readOnly = readOnly_;
    d.replaceText = [this](int start, int end, const std::string& text) {
        SetSelection(start, end - start);
        TextInput(text);
    };
    d.select = [this](int anchor, int caret) { SetSelection(anchor, caret - anchor); };
}

}  // namespace veskel
