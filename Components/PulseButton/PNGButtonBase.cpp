#include "Components/PulseButton/PNGButtonBase.h"

#include <stdexcept>

#include "Components/PulseButton/PulseImage.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/ChangeNotice.h"
#include "platform/ui/StoredLayout.h"
#include "platform/ui/StoredPng.h"
#include "platform/ui/NoCase.h"

namespace veskel {

namespace {

constexpr int kMaxItems = 65535;

int CheckedCount(int v, const char* what) {
    if (v < 0 || v > kMaxItems)
        throw LayoutError(std::string(what) + " must lie between 0 and 65535, not " + std::to_string(v));
    return v;
}

// A line of a string list; a missing line is the list's index error.
const std::string& Line(const std::vector<std::string>& lines, int index, const char* list) {
    if (index < 0 || std::size_t(index) >= lines.size())
        throw std::out_of_range(std::string(list) + ": list index out of bounds (" + std::to_string(index) + ")");
    return lines[std::size_t(index)];
}

constexpr NamedValue kBrushStyles[] = {{"bsSolid", int(BrushStyle::Solid)}, {"bsClear", int(BrushStyle::Clear)}};
constexpr NamedValue kPenStyles[] = {{"psSolid", int(PenStyle::Solid)}, {"psClear", int(PenStyle::Clear)}};

bool SubName(std::string_view name, std::string_view group, std::string_view member) {
    return detail::EqualsNoCase(name.substr(std::min(name.size(), group.size())), member);
}

}  // namespace

TPNGButtonBase::TPNGButtonBase() {
    SetShowHint(true);
    SetBounds(0, 0, 41, 25);
}

const PropertyTable& TPNGButtonBase::StoredProperties() const {
    static const PropertyTable table = [](const PropertyTable& base) {
        using B = TPNGButtonBase;
        PropertyTable t(base);
        t.Add("Descriptions.Strings", &B::Descriptions, &B::SetDescriptions, std::vector<std::string>{})
            .Add("Files.Strings", &B::Files, &B::SetFiles, std::vector<std::string>{})
            .Add("ItemsCount", &B::ItemsCount, &B::SetItemsCount, 0)
            .Add("CurrentItem", &B::CurrentItem, &B::SetCurrentItem, 0)
            .Add("AutoCenter", &B::AutoCenter, &B::SetAutoCenter, true)
            .Add("Selected", &B::Selected, &B::SetSelected, false)
            .Add("Xoffset", &B::Xoffset, &B::SetXoffset, 0)
            .Add("Yoffset", &B::Yoffset, &B::SetYoffset, 0)
            .Add({"BackColor.",
                  [](Control& c, std::string_view name, const LayoutValue& v) {
                      auto& b = static_cast<B&>(c);
                      Brush brush = b.BackColor();
                      if (SubName(name, "BackColor.", "Color")) brush.color = ColorFromValue(v);
                      else if (SubName(name, "BackColor.", "Style")) brush.style = BrushStyle(ValueFromName(v, kBrushStyles, "brush style"));
                      else return false;
                      b.SetBackColor(brush);
                      return true;
                  },
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      const Brush& brush = static_cast<const B&>(c).BackColor();
                      if (brush.color != kWhite) out.push_back({"BackColor.Color", ColorToValue(brush.color)});
                      if (brush.style != BrushStyle::Solid)
                          out.push_back({"BackColor.Style", NameFromValue(int(brush.style), kBrushStyles)});
                  },
                  {}})
            .Add({"BackPen.",
                  [](Control& c, std::string_view name, const LayoutValue& v) {
                      auto& b = static_cast<B&>(c);
                      Pen pen = b.BackPen();
                      if (SubName(name, "BackPen.", "Color")) pen.color = ColorFromValue(v);
                      else if (SubName(name, "BackPen.", "Style")) pen.style = PenStyle(ValueFromName(v, kPenStyles, "pen style"));
                      else if (SubName(name, "BackPen.", "Width")) {
                          const int w = v.AsInt32();
                          if (w < 0 || w > 1000) throw LayoutError("pen width must lie between 0 and 1000, not " + std::to_string(w));
                          b.backPenWidth_ = w;
                      } else return false;
                      b.SetBackPen(pen);
                      return true;
                  },
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      const auto& b = static_cast<const B&>(c);
                      if (b.BackPen().color != kBlack) out.push_back({"BackPen.Color", ColorToValue(b.BackPen().color)});
                      if (b.BackPen().style != PenStyle::Solid)
                          out.push_back({"BackPen.Style", NameFromValue(int(b.BackPen().style), kPenStyles)});
                      if (b.backPenWidth_ != 1) out.push_back({"BackPen.Width", LayoutValue::Int(b.backPenWidth_)});
                  },
                  {}})
            .Add("Round", &B::RoundSize, &B::SetRound, 0)
            .Add({"ItemsFont.",
                  [](Control& c, std::string_view name, const LayoutValue& v) {
                      auto& b = static_cast<B&>(c);
                      Font f = b.ItemsFont();
                      if (!SetFontProperty(f, name.substr(10), v)) return false;
                      b.SetItemsFont(f);
                      return true;
                  },
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      const Font& f = static_cast<const B&>(c).ItemsFont();
                      if (!(f == Font{})) GetFontProperties(f, "ItemsFont.", out);
                  },
                  {}})
            // The images, one numbered block per item, after every published property, so that
            // ItemsCount is known when the first image arrives.
            .Add({kImageBlocksEntry,
                  [](Control& c, std::string_view, const LayoutValue& v) {
                      if (v.kind != LayoutValue::Kind::Binary) throw LayoutError("a binary value (a PNG block) was expected");
                      CheckPngPayload(v.binary);
                      static_cast<B&>(c).ReadImageValue(v.binary);
                      return true;
                  },
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      const auto& b = static_cast<const B&>(c);
                      for (int i = 1; i <= b.ItemsCount(); ++i) {
                          // A buffer the list does not hold (the count was raised later) writes as empty.
                          const bool held = std::size_t(i) <= b.items_.size();
                          out.push_back({PngBlockName(i), LayoutValue::Bytes(held ? b.items_[std::size_t(i - 1)]
                                                                                  : std::vector<std::uint8_t>{})});
                      }
                  },
                  [](std::string_view name) { return PngBlockIndex(name).has_value(); }})
            .Event("OnSendHint", &B::OnSendHint);
        return t;
    }(ButtonControl::StoredProperties());
    return table;
}

// ---------------------------------------------------------------- properties

void TPNGButtonBase::SetItemsCount(int v) { itemsCount_ = CheckedCount(v, "ItemsCount"); }

void TPNGButtonBase::SetCurrentItem(int v) {
    currentItem_ = CheckedCount(v, "CurrentItem");
    // No image, no description: 0 clears the hint rather than asking for line -1.
    SetHint(currentItem_ == 0 ? std::string() : Line(descriptions_, currentItem_ - 1, "Descriptions"));
}

void TPNGButtonBase::SetAutoCenter(bool v) {
    autoCenter_ = v;
    Repaint();
}

void TPNGButtonBase::SetSelected(bool v) {
    selected_ = v;
    Repaint();
}

void TPNGButtonBase::SetXoffset(int v) {
    xOffset_ = v;
    Repaint();
}

void TPNGButtonBase::SetYoffset(int v) {
    yOffset_ = v;
    Repaint();
}

void TPNGButtonBase::SetBackColor(const Brush& b) {
    backColor_ = b;
    Repaint();
}

void TPNGButtonBase::SetBackPen(const Pen& p) {
    backPen_ = p;
    Repaint();
}

void TPNGButtonBase::SetRound(int v) {
    round_ = v;
    Repaint();
}

// ---------------------------------------------------------------- the image list

void TPNGButtonBase::UpdatePNGList() {
    readIndex_ = 1;
    items_.assign(std::size_t(itemsCount_), {});
    shownItem_ = 0;
    for (int i = 1; i <= itemsCount_; ++i)
        items_[std::size_t(i - 1)] = ReadFileBytes(Line(files_, i - 1, "Files"));
    Repaint();
}

void TPNGButtonBase::ReadImageValue(std::vector<std::uint8_t> bytes) {
    if (itemsCount_ == 0)
        throw LayoutError("an image was stored while ItemsCount is 0 (ItemsCount must come first)");
    if (readIndex_ > unsigned(itemsCount_)) readIndex_ = 1;
    if (items_.size() != std::size_t(itemsCount_)) {
        items_.assign(std::size_t(itemsCount_), {});
        readIndex_ = 1;
    }
    if (readIndex_ == 0) readIndex_ = 1;
    items_[readIndex_ - 1] = std::move(bytes);
    shownItem_ = 0;
    ++readIndex_;
}

// ---------------------------------------------------------------- painting

void TPNGButtonBase::Paint(Canvas& canvas) {
    const int w = Width(), h = Height();
    if (selected_ || IsHovered()) {
        canvas.pen = backPen_;
        canvas.brush = backColor_;
        canvas.RoundRect({0, 0, w, h}, round_, round_);
    } else {
        canvas.pen.style = PenStyle::Clear;
        canvas.brush.style = BrushStyle::Clear;
    }

    if (currentItem_ != 0 && itemsCount_ != 0 && std::size_t(currentItem_) <= items_.size()) {
        const Picture& image = ShownImage();
        if (!image.IsEmpty()) {
            int x = xOffset_, y = yOffset_;
            if (autoCenter_) {
                x = int(w / 2.0 - image.Width() / 2.0);  // truncation toward zero
                y = int(h / 2.0 - image.Height() / 2.0);
            }
            canvas.Draw(x, y, image);
        }
    }

    if (itemsCount_ >= 2) {
        // The corner triangle says a right-click offers more images; it keeps step 1's pen.
        canvas.brush.style = BrushStyle::Solid;
        canvas.brush.color = kBlack;
        canvas.Polygon({{w - 6, h - 1}, {w - 1, h - 1}, {w - 1, h - 6}});
    }
}

const Picture& TPNGButtonBase::ShownImage() {
    const int key = RecolourKey(), rounding = int(CurrentRoundingMode());
    if (shownItem_ == currentItem_ && shownKey_ == key && shownRounding_ == rounding) return shown_;
    try {
        shown_ = DecodePng(items_[std::size_t(currentItem_ - 1)]);
    } catch (const CodecError&) {
        // Bytes that are no image (UpdatePNGList read whatever the file held) show nothing
        // rather than failing on every paint.
        shown_ = Picture();
    }
    if (!shown_.IsEmpty()) Recolour(shown_);
    shownItem_ = currentItem_;
    shownKey_ = key;
    shownRounding_ = rounding;
    return shown_;
}

// ---------------------------------------------------------------- pointer

void TPNGButtonBase::MouseEnter() {
    if (!Enabled()) return;
    ButtonControl::MouseEnter();
    HoverChanged(true);
    if (!selected_) Repaint();
    SendChangeNotice(*this);
    if (OnSendHint) OnSendHint(*this);
}

void TPNGButtonBase::MouseLeave() {
    ButtonControl::MouseLeave();
    HoverChanged(false);
    if (!selected_) Repaint();
}

void TPNGButtonBase::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
    ButtonControl::MouseUp(button, shift, x, y);
    if (itemsCount_ <= 1) return;
    if (button == MouseButton::Right) RunImageMenu();
    Repaint();
}

void TPNGButtonBase::KeyDown(int& key, ShiftState shift) {
    const ShiftState mods = shift & (kShift | kCtrl | kAlt);
    const bool menuKey = (key == kKeyApps && mods == 0) || (key == kKeyF1 + 9 && mods == kShift);
    if (!menuKey || itemsCount_ <= 1) {
        ButtonControl::KeyDown(key, shift);
        return;
    }
    key = 0;
    RunImageMenu(ClientToScreen({0, Height()}));
    Repaint();
}

void TPNGButtonBase::RunImageMenu(std::optional<Point> where) {
    Application* app = Application::Current();
    if (!app) return;
    const Point at = where ? *where : app->GetBackend().PointerPosition();
    std::vector<MenuItem> menu;
    for (int i = 1; i <= itemsCount_; ++i) {
        const std::vector<std::uint8_t>& bytes =
            std::size_t(i) <= items_.size() ? items_[std::size_t(i - 1)] : std::vector<std::uint8_t>{};
        Picture image;
        try {
            image = DecodePng(bytes);
        } catch (const CodecError& e) {
            throw std::runtime_error(Name() + ": image " + std::to_string(i) + " cannot be shown in the menu: " + e.what());
        }
        MenuItem item;
        item.command = i;
        item.text = Line(descriptions_, i - 1, "Descriptions");
        item.bitmap = ImageMenuItemBitmap(image, item.text, itemsFont_);
        menu.push_back(std::move(item));
    }
    const int chosen = app->GetBackend().PopupMenu(menu, at);
    if (chosen != 0) SetCurrentItem(chosen);
}

}  // namespace veskel
