#include "platform/ui/StockControls.h"

#include <algorithm>
#include <charconv>

#include "platform/codecs/Codecs.h"
#include "platform/codecs/ImageFormats.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/PropertyTable.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

void ResizeKeeping(Bitmap& bitmap, int width, int height, Color fill) {
    Bitmap out(width, height);
    out.Fill(fill);
    const int w = std::min(width, bitmap.Width()), h = std::min(height, bitmap.Height());
    for (int y = 0; y < h; ++y) std::copy_n(bitmap.Row(y), std::size_t(w) * 3, out.Row(y));
    bitmap = std::move(out);
}

// ---------------------------------------------------------------- TImage

TImage::TImage() { SetBounds(0, 0, 105, 105); }

const PropertyTable& TImage::StoredProperties() const {
    static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
        .Add("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
        .Add({"Picture.Data",
              [](Control& c, std::string_view, const LayoutValue& v) {
                  static_cast<TImage&>(c).ReadPictureData(v.binary);
                  return true;
              },
              [](const Control& c, std::vector<LayoutProperty>& out) {
                  const auto& image = static_cast<const TImage&>(c);
                  if (!image.GetPicture().IsEmpty()) out.push_back({"Picture.Data", LayoutValue::Bytes(image.PictureData())});
              },
              {}});
    return table;
}

void TImage::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    Invalidate();
}

void TImage::SetStretch(bool v) {
    stretch_ = v;
    Invalidate();
}

void TImage::ReadPictureData(std::span<const std::uint8_t> file) {
    const std::optional<ImageFormat> format = SniffImageFormat(file);
    try {
        if (format == ImageFormat::Png || format == ImageFormat::Bmp)
            SetPicture(InfoOf(*format).decode(file));
        else if (file.empty())
            SetPicture({});
        else
            throw LayoutError("the stored picture is neither a PNG nor a BMP file");
    } catch (const CodecError& e) {
        throw LayoutError(std::string("the stored picture cannot be read: ") + e.what());
    }
}

std::vector<std::uint8_t> TImage::PictureData() const {
    if (picture_.IsEmpty()) return {};
    return EncodePng(picture_);
}

void TImage::Paint(Canvas& canvas) {
    if (picture_.IsEmpty()) return;
    if (stretch_)
        canvas.StretchDraw(ClientRect(), picture_.color);
    else
        canvas.Draw(0, 0, picture_);
}

// ---------------------------------------------------------------- TBevel

TBevel::TBevel() { SetBounds(0, 0, 50, 50); }

namespace {
constexpr NamedValue kBevelShapes[] = {{"bsBox", TBevel::kBox},           {"bsFrame", TBevel::kFrame},
                                       {"bsTopLine", TBevel::kTopLine},   {"bsBottomLine", TBevel::kBottomLine},
                                       {"bsLeftLine", TBevel::kLeftLine}, {"bsRightLine", TBevel::kRightLine}};
constexpr NamedValue kBevelStyles[] = {{"bsLowered", 0}, {"bsRaised", 1}};
}  // namespace

const PropertyTable& TBevel::StoredProperties() const {
    static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
        .AddNamed("Shape", &TBevel::GetShape, &TBevel::SetShape, kBevelShapes, int(kBox), "bevel shape")
        .AddNamed("Style", &TBevel::Style, &TBevel::SetStyle, kBevelStyles, 0, "bevel style");
    return table;
}

void TBevel::SetShape(int v) {
    shape_ = v;
    Invalidate();
}

void TBevel::SetStyle(int v) {
    raised_ = v == 1;
    Invalidate();
}

void TBevel::Paint(Canvas& canvas) {
    const Color dark = RGB(128, 128, 128), light = kWhite;
    const Color first = raised_ ? light : dark, second = raised_ ? dark : light;
    const int w = Width(), h = Height();
    auto line = [&](Color c, int x0, int y0, int x1, int y1) {
        canvas.pen.color = c;
        canvas.MoveTo(x0, y0);
        canvas.LineTo(x1, y1);
    };
    switch (shape_) {
        case kTopLine:
            line(first, 0, 0, w, 0);
            line(second, 0, 1, w, 1);
            break;
        case kBottomLine:
            line(first, 0, h - 2, w, h - 2);
            line(second, 0, h - 1, w, h - 1);
            break;
        case kLeftLine:
            line(first, 0, 0, 0, h);
            line(second, 1, 0, 1, h);
            break;
        case kRightLine:
            line(first, w - 2, 0, w - 2, h);
            line(second, w - 1, 0, w - 1, h);
            break;
        case kFrame:
            canvas.FrameRect({1, 1, w, h}, second);
            canvas.FrameRect({0, 0, w - 1, h - 1}, first);
            break;
        default:
            line(first, 0, h - 1, 0, 0);
            line(first, 0, 0, w - 1, 0);
            line(second, w - 1, 0, w - 1, h - 1);
            line(second, w - 1, h - 1, -1, h - 1);
            break;
    }
}

// ---------------------------------------------------------------- TSpinEdit

namespace {
constexpr int kSpinButtonWidth = 15;
}

TSpinEdit::TSpinEdit() {
    SetBounds(0, 0, 121, 22);
    SetColor(kClWindow);
    SetText("0");
}

const PropertyTable& TSpinEdit::StoredProperties() const {
    static const PropertyTable table = PropertyTable(Edit::StoredProperties())
        .Add("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement, 1)
        .Add("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue, 100)
        .Add("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue, 0)
        .Add("Value", &TSpinEdit::Value, &TSpinEdit::SetValue, 0);
    return table;
}

int TSpinEdit::Clamp(long long v) const {
    return int(std::clamp<long long>(v, min_, std::max(min_, max_)));
}

int TSpinEdit::Value() const {
    long long v = 0;
    const std::string& t = Text();
    const char* begin = t.data();
    while (begin != t.data() + t.size() && *begin == ' ') ++begin;
    auto [end, ec] = std::from_chars(begin, t.data() + t.size(), v);
    if (ec != std::errc() || end == begin) return min_;
    return Clamp(v);
}

void TSpinEdit::SetValue(int v) { SetText(std::to_string(Clamp(v))); }

void TSpinEdit::Paint(Canvas& canvas) {
    Edit::Paint(canvas);
    const int w = Width(), h = Height();
    const Rect up{w - kSpinButtonWidth, 0, w, h / 2}, down{w - kSpinButtonWidth, h / 2, w, h};
    for (const Rect& r : {up, down}) {
        canvas.brush.style = BrushStyle::Solid;
        canvas.brush.color = ResolveColor(kClBtnFace);
        canvas.FillRect(r);
        canvas.FrameRect(r, RGB(128, 128, 128));
    }
    // Two small arrows, 5 pixels wide, 3 high.
    canvas.brush.color = kBlack;
    canvas.pen.color = kBlack;
    const int cx = w - kSpinButtonWidth / 2 - 1;
    for (int i = 0; i < 3; ++i) {
        const int upY = up.top + (up.Height() - 3) / 2 + i, downY = down.top + (down.Height() - 3) / 2 + (2 - i);
        canvas.MoveTo(cx - i, upY);
        canvas.LineTo(cx + i + 1, upY);
        canvas.MoveTo(cx - i, downY);
        canvas.LineTo(cx + i + 1, downY);
    }
}

void TSpinEdit::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    if (x >= Width() - kSpinButtonWidth && button == MouseButton::Left) {
        SetValue(Value() + (y < Height() / 2 ? increment_ : -increment_));
        return;
    }
    Edit::MouseDown(button, shift, x, y);
}

void TSpinEdit::KeyDown(int& key, ShiftState shift) {
    if (key == kKeyUp || key == kKeyDown) {
        SetValue(Value() + (key == kKeyUp ? increment_ : -increment_));
        key = 0;
        return;
    }
    Edit::KeyDown(key, shift);
}

// ---------------------------------------------------------------- dialogs

TDialogComponent::TDialogComponent(std::string className, bool save, bool picturePreview)
    : className_(std::move(className)), dialog_(save) {
    dialog_.PicturePreview = picturePreview;
    SetVisible(false);
    SetBounds(0, 0, 0, 0);
}

const PropertyTable& TDialogComponent::StoredProperties() const {
    using D = TDialogComponent;
    auto text = [](const char* name, std::string FileDialog::*field) {
        return PropertyTable::Entry{name,
                                    [field](Control& c, std::string_view, const LayoutValue& v) {
                                        static_cast<D&>(c).dialog_.*field = v.AsString();
                                        return true;
                                    },
                                    [field, name](const Control& c, std::vector<LayoutProperty>& out) {
                                        const std::string& s = static_cast<const D&>(c).dialog_.*field;
                                        if (!s.empty()) out.push_back({name, LayoutValue::Str(s)});
                                    },
                                    {}};
    };
    // A dialog has a design position and nothing else of a control.
    static const PropertyTable table =
        PropertyTable()
            .AddFrom(GraphicControl::StoredProperties(), {"Left", "Top", "Tag"})
            .Add(text("DefaultExt", &FileDialog::DefaultExt))
            .Add(text("Filter", &FileDialog::Filter))
            .Add({"FilterIndex",
                  [](Control& c, std::string_view, const LayoutValue& v) {
                      static_cast<D&>(c).dialog_.FilterIndex = v.AsInt32();
                      return true;
                  },
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      const int i = static_cast<const D&>(c).dialog_.FilterIndex;
                      if (i != 1) out.push_back({"FilterIndex", LayoutValue::Int(i)});
                  },
                  {}})
            .Add(text("InitialDir", &FileDialog::InitialDir))
            .Add({"Options",
                  [](Control& c, std::string_view, const LayoutValue& v) {
                      if (v.kind != LayoutValue::Kind::Set) throw LayoutError("a set of options is expected");
                      static_cast<D&>(c).SetOptions(v.set);
                      return true;
                  },
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      const auto& o = static_cast<const D&>(c).options_;
                      if (!o.empty()) out.push_back({"Options", LayoutValue::SetOf(o)});
                  },
                  {}})
            .Add(text("Title", &FileDialog::Title));
    return table;
}

void TDialogComponent::SetOptions(std::vector<std::string> options) {
    options_ = std::move(options);
    auto has = [&](std::string_view o) {
        return std::any_of(options_.begin(), options_.end(), [&](const std::string& s) { return s == o; });
    };
    dialog_.OverwritePrompt = has("ofOverwritePrompt");
    dialog_.HideReadOnly = has("ofHideReadOnly");
}

std::unique_ptr<Control> MakeOpenDialog() { return std::make_unique<TDialogComponent>("TOpenDialog", false, false); }
std::unique_ptr<Control> MakeSaveDialog() { return std::make_unique<TDialogComponent>("TSaveDialog", true, false); }
std::unique_ptr<Control> MakeOpenPictureDialog() {
    return std::make_unique<TDialogComponent>("TOpenPictureDialog", false, true);
}
std::unique_ptr<Control> MakeSavePictureDialog() {
    return std::make_unique<TDialogComponent>("TSavePictureDialog", true, true);
}

void TImage::Describe(AccessibleDescription& d) {
    if (Hint().empty()) return;
    d.role = AccessibleRole::Image;
    d.labelledByNeighbour = true;
}

}  // namespace veskel
