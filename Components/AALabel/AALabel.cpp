#include "Components/AALabel/AALabel.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/DirectedFloat.h"
#include "platform/text/CodePage.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Application.h"
#include "platform/ui/PropertyTable.h"
#include "platform/text/CanvasText.h"

namespace veskel {

namespace {

// Three times v, held within int for a label wider than a third of the int range.
int Triple(int v) { return int(std::clamp<long long>(3LL * v, INT32_MIN, INT32_MAX)); }

}  // namespace

std::string ConvertLineBreaks(std::string_view caption) {
    std::u32string s = DecodeUtf8Lossy(caption);
    const std::size_t n = s.size();
    if (n <= 5) return std::string(caption);
    bool changed = false;
    // 0-based i from 0 to n - 5: the backslash has at least three characters after its "n".
    for (std::size_t i = 0; i + 4 < n; ++i) {
        if (s[i] == U'\\' && s[i + 1] == U'n') {
            s[i] = U'\r';
            s[i + 1] = U'\n';
            changed = true;
        }
    }
    return changed ? EncodeUtf8(s) : std::string(caption);
}

std::string TAALabel::LinkTarget(std::string_view caption) {
    // Trim the blanks a caption may carry around the address.
    while (!caption.empty() && std::isspace(static_cast<unsigned char>(caption.front()))) caption.remove_prefix(1);
    while (!caption.empty() && std::isspace(static_cast<unsigned char>(caption.back()))) caption.remove_suffix(1);
    if (caption.empty()) return {};
    for (char c : caption) {
        // Control characters and spaces never belong in an address.
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return {};
    }
    std::string lower(caption);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (lower.starts_with("http://") || lower.starts_with("https://")) {
        return lower.size() > (lower[4] == ':' ? 7u : 8u) ? std::string(caption) : std::string();
    }
    // Any other scheme ("file:", "javascript:" ...) or a path is not opened.
    const std::size_t colon = lower.find(':');
    const std::size_t slash = lower.find('/');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) return {};
    if (lower.front() == '/' || lower.front() == '.' || lower.front() == '\\' || lower.front() == '~') return {};
    const std::string host = lower.substr(0, std::min(slash, lower.find_first_of("?#")));
    if (host.find('.') == std::string::npos || host.find('\\') != std::string::npos) return {};
    return "http://" + std::string(caption);
}

TAALabel::TAALabel() {
    textWidth_ = Width();
}

const PropertyTable& TAALabel::StoredProperties() const {
    static const PropertyTable table =
        PropertyTable(GraphicControl::StoredProperties()).Add("isURL", &TAALabel::isURL, &TAALabel::SetIsURL, false);
    return table;
}

void TAALabel::SetIsURL(bool v) {
    isURL_ = v;
    SetCursor(v ? kCrHandPoint : kCrDefault);
    SetKeyboardStop(v);
    Repaint();
}

void TAALabel::SetCaption(std::string caption) {
    textWidth_ = Width();
    if (!caption.empty()) {
        Font f = GetFont();
        f.underline = f.underline || isURL_;
        lastText_ = ConvertLineBreaks(caption);
        Bitmap scratch(1, 1);
        Canvas c(scratch);
        c.font = f;
        Rect r{0, 0, Width(), 0};
        DrawText(c, lastText_, r, kDtCalcRect | kDtWordBreak);
        textHeight_ = r.Height();
        measuredFont_ = f;
    }
    GraphicControl::SetCaption(lastText_);
    SetHeight(textHeight_);
    Repaint();
}

void TAALabel::Paint(Canvas& canvas) {
    if (textWidth_ <= 0 || textHeight_ <= 0) return;
    // Only the part of the text area that the canvas can draw on is prepared: a label may be far
    // wider than any window, and its enlarged rendering is nine times its area.
    const Rect part = Rect{0, 0, textWidth_, textHeight_}.Intersect(canvas.VisibleRect());
    if (part.IsEmpty()) return;
    const int pw = part.Width(), ph = part.Height();

    // The parent's pixels under the label.
    background_.Reset(pw, ph);
    for (int y = 0; y < ph; ++y) {
        std::uint8_t* row = background_.Row(y);
        for (int x = 0; x < pw; ++x) {
            const Color c = canvas.Pixel(part.left + x, part.top + y);
            row[3 * x] = GetB(c);
            row[3 * x + 1] = GetG(c);
            row[3 * x + 2] = GetR(c);
        }
    }

    // The text at three times the size the caption was measured at, in the current face, colour
    // and style, on white.
    Bitmap scaled(3 * pw, 3 * ph);
    scaled.Fill(kWhite);
    DrawScaledText(scaled, part);

    // Coverage from the red bytes of each 3 x 3 block; full coverage turns the pixel black.
    FloatRoundingScope mode;
    for (int y = 0; y < ph; ++y) {
        std::uint8_t* row = background_.Row(y);
        for (int x = 0; x < pw; ++x) {
            int sum = 0;
            for (int sy = 0; sy < 3; ++sy) {
                const std::uint8_t* src = scaled.Row(3 * y + sy) + 3 * std::size_t(3 * x);
                sum += src[2] + src[5] + src[8];
            }
            const int c = sum / 9;
            if (c == 255) continue;  // no ink: the background stays as it is
            for (int k = 0; k < 3; ++k) row[3 * x + k] = std::uint8_t(Round(row[3 * x + k] * ModeDouble(c) / 255.0));
        }
    }
    canvas.Draw(part.left, part.top, background_);
}

void TAALabel::DrawScaledText(Bitmap& scaled, const Rect& part) const {
    const std::string text = ConvertLineBreaks(Caption());
    Font small = GetFont();
    small.underline = small.underline || isURL_;
    small.size = measuredFont_.size;
    small.pixelHeight = measuredFont_.pixelHeight;
    Font big = small;
    if (small.pixelHeight > 0) {
        big.pixelHeight = 3 * small.pixelHeight;
    } else {
        big.size = 3 * small.size;
    }
    Canvas sc(scaled);
    sc.font = small;
    const int smallLine = veskel::TextHeight(sc, "Ag");
    sc.font = big;
    const int bigLine = veskel::TextHeight(sc, "Ag");
    if (4 * bigLine >= 3 * 3 * smallLine) {
        // Laid out over the whole enlarged text area; the scratch image holds the part's piece.
        sc.SetOrigin({Triple(-part.left), Triple(-part.top)});
        Rect r{0, 0, Triple(textWidth_), Triple(textHeight_)};
        DrawText(sc, text, r, kDtWordBreak);
        return;
    }
    // A bitmap-only face has no strike three times as large (it would fall back to a much
    // smaller one and the caption would shrink). Such a face is enlarged by whole multiples, as
    // the classic platform enlarges raster fonts: the text is drawn at its own size and every
    // pixel becomes a 3 x 3 block, which the filter turns back into the crisp original.
    Bitmap plain(part.Width(), part.Height());
    plain.Fill(kWhite);
    {
        Canvas pc(plain);
        pc.font = small;
        pc.SetOrigin({-part.left, -part.top});
        Rect r{0, 0, textWidth_, textHeight_};
        DrawText(pc, text, r, kDtWordBreak);
    }
    for (int y = 0; y < scaled.Height(); ++y) {
        const std::uint8_t* src = plain.Row(y / 3);
        std::uint8_t* dst = scaled.Row(y);
        for (int x = 0; x < scaled.Width(); ++x) {
            const std::uint8_t* p = src + 3 * std::size_t(x / 3);
            dst[3 * x] = p[0];
            dst[3 * x + 1] = p[1];
            dst[3 * x + 2] = p[2];
        }
    }
}

void TAALabel::KeyDown(int& key, ShiftState shift) {
    GraphicControl::KeyDown(key, shift);
    if (key != kKeyReturn || !isURL_ || (shift & (kCtrl | kAlt | kShift))) return;
    key = 0;
    MouseUp(MouseButton::Left, 0, 0, 0);
}

void TAALabel::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
    GraphicControl::MouseUp(button, shift, x, y);
    if (!isURL_) return;
    const std::string target = LinkTarget(Caption());
    if (target.empty()) return;
    if (Application* app = Application::Current()) app->GetBackend().OpenUrl(target);
}

void TAALabel::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::StaticText;
    if (!isURL_ || LinkTarget(Caption()).empty()) return;
    // A link is named by what it leads to, the label on its left; its address is read after.
    d.role = AccessibleRole::Link;
    d.name.clear();
    d.labelledByNeighbour = true;
    d.description = LinkTarget(Caption());
    d.actions.push_back({AccessibleActionKind::Press, [this] { MouseUp(MouseButton::Left, {}, 0, 0); }});
}

}  // namespace veskel
