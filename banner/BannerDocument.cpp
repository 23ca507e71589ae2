#include "banner/BannerDocument.h"

#include <algorithm>
#include <chrono>

#include "banner/Renderer.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/codecs/ImageFormats.h"
#include "platform/graphics/Resample.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/lang/Translate.h"
#include "platform/text/CodePage.h"

namespace veskel {

namespace {

// 32-bit steps wrap at the ends instead of overflowing.
std::int32_t AddWrapping(std::int32_t v, int d) { return std::int32_t(std::uint32_t(v) + std::uint32_t(d)); }


bool SidesInRange(std::int64_t w, std::int64_t h) {
    return w >= 1 && h >= 1 && w <= kMaxOverlaySide && h <= kMaxOverlaySide;
}

void CheckSides(std::int64_t w, std::int64_t h) {
    if (!SidesInRange(w, h)) {
        throw BannerError(Tr("The picture cannot be resized to {1} x {2} pixels: each side must be 1 to {3}",
                             {std::to_string(w), std::to_string(h), std::to_string(kMaxOverlaySide)}));
    }
}

bool HeldWhole(Size size) { return std::int64_t(size.width) * size.height <= kWholeOverlayPixels; }

// The part of an overlay of `size` with its top-left corner at (x, y) that lies on the banner, in
// the overlay's own pixels; empty when none does.
Rect VisiblePart(Size size, std::int64_t x, std::int64_t y) {
    const std::int64_t left = std::max<std::int64_t>(0, -x), top = std::max<std::int64_t>(0, -y);
    const std::int64_t right = std::min<std::int64_t>(size.width, kBannerWidth - x);
    const std::int64_t bottom = std::min<std::int64_t>(size.height, kBannerHeight - y);
    if (left >= right || top >= bottom) return {};
    return {int(left), int(top), int(right), int(bottom)};
}

// A picture's fitted size: a source wider than half the banner shrinks to 175 x Round(H / W x 175)
// (at least one row), rounded in `mode`; a narrower one keeps its size.
Size FitSizeOf(const Picture& source, RoundingMode mode) {
    const int half = RoundIn(mode, kBannerWidth / 2.0);
    if (source.Width() <= half) return {source.Width(), source.Height()};
    // Round(H / W x 175) as one exact quotient.
    const int h = RoundIn(mode, double(std::int64_t(source.Height()) * half) / double(source.Width()));
    return {half, std::max(1, h)};
}

// The working picture with an alpha plane, each alpha + opacity - 200 clamped to 0..255.
std::shared_ptr<const Picture> WithOpacity(const Picture& working, std::int32_t opacity) {
    Picture p = working;
    p.EnsureAlpha(255);
    p.hasTransparency = true;
    const std::int64_t offset = std::int64_t(opacity) - 200;
    for (std::uint8_t& a : p.alpha) a = std::uint8_t(std::clamp<std::int64_t>(a + offset, 0, 255));
    return std::make_shared<const Picture>(std::move(p));
}

}  // namespace



BannerDocument::BannerDocument() : image_(kBannerWidth, kBannerHeight) {
    rng_.seed(std::uint32_t(std::chrono::system_clock::now().time_since_epoch().count()));
}

void BannerDocument::Changed() {
    imageStale_ = true;
    pending_ = true;
    if (scopeDepth_ == 0) Notify();
}

void BannerDocument::Notify() {
    // The listeners run inside a scope of their own: what they change in turn (a control whose
    // event sets the document again) makes one more round rather than a nested one.
    while (pending_) {
        pending_ = false;
        ++scopeDepth_;
        try {
            // A copy, so a listener may add or remove listeners; one removed meanwhile is skipped.
            const auto listeners = listeners_;
            for (const auto& [id, listener] : listeners) {
                const bool present = std::any_of(listeners_.begin(), listeners_.end(),
                                                 [id = id](const auto& l) { return l.first == id; });
                if (present && listener) listener();
            }
        } catch (...) {
            --scopeDepth_;
            pending_ = false;
            throw;
        }
        --scopeDepth_;
    }
}

BannerDocument::ChangeScope::ChangeScope(BannerDocument& document)
    : doc_(document), exceptions_(std::uncaught_exceptions()) {
    ++doc_.scopeDepth_;
}

BannerDocument::ChangeScope::~ChangeScope() noexcept(false) {
    if (--doc_.scopeDepth_ > 0) return;
    // An operation that throws half-way tells nobody, as it would without the scope.
    if (std::uncaught_exceptions() > exceptions_) {
        doc_.pending_ = false;
        return;
    }
    doc_.Notify();
}

int BannerDocument::AddChangeListener(ChangeListener listener) {
    const int id = nextListenerId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void BannerDocument::RemoveChangeListener(int id) {
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

void BannerDocument::NewDocument() {
    // In the table's order, so Text is in place before TextX is aligned to it.
    for (const FieldInfo& f : BannerSettings::Fields()) {
        switch (f.reset) {
            case FieldReset::Kept: break;
            case FieldReset::ToDefault:
                if (f.kind == FieldKind::String) settings_.SetString(f.offset, f.defaultText);
                else settings_.SetValue(f, f.defaultValue);
                break;
            case FieldReset::RightAlignText:
                settings_.SetValue(f, kTextRightEdge - MeasureText(settings_.Text()));
                break;
        }
    }
    Changed();
}

void BannerDocument::ResetTextPosition() {
    const BannerSettings before = settings_;
    settings_.SetTextY(kDefaultTextY);
    settings_.SetTextX(kTextRightEdge - MeasureText(settings_.Text()));
    if (settings_ != before) Changed();
}

bool BannerDocument::SetText(std::string_view utf8, std::string* reason) {
    std::string cp;
    try {
        cp = Utf8ToCp1251(utf8);
    } catch (const CodePageError& e) {
        if (reason) *reason = Tr("The banner font cannot show this text: {1}", {e.what()});
        return false;
    }
    // The same text again (a text field showing what was opened) changes nothing: a stored
    // position past the right edge stays where the design has it.
    if (cp.substr(0, kMaxStringChars) == settings_.Text()) return true;
    const int w = MeasureText(cp);
    if (w >= kMaxTextWidth) {
        if (reason) {
            *reason = Tr("The text is too wide for the banner: {1} pixels, it must be under {2}.",
                         {std::to_string(w), std::to_string(kMaxTextWidth)});
        }
        return false;
    }
    const BannerSettings before = settings_;
    // Pull the text back once its right end would pass x = 354.
    if (std::int64_t(settings_.TextX()) + w - kTextRightMargin > kBannerWidth) {
        settings_.SetTextX(kTextRightEdge - w);
    }
    settings_.SetText(cp);  // keeps the first 255 characters
    if (settings_ != before) Changed();
    return true;
}

void BannerDocument::NudgeText(int dx, int dy) {
    settings_.SetTextX(AddWrapping(settings_.TextX(), std::clamp(dx, -1, 1)));
    settings_.SetTextY(AddWrapping(settings_.TextY(), std::clamp(dy, -1, 1)));
    Changed();
}

namespace {
Color RandomColor(std::mt19937& rng) {
    // Blue first, then green, then red; the top 8 bits of each draw.
    const std::uint8_t b = std::uint8_t(rng() >> 24);
    const std::uint8_t g = std::uint8_t(rng() >> 24);
    const std::uint8_t r = std::uint8_t(rng() >> 24);
    return RGB(r, g, b);
}
}  // namespace

void BannerDocument::RandomColor1() {
    settings_.SetColor1(RandomColor(rng_));
    Changed();
}

void BannerDocument::RandomColor2() {
    settings_.SetColor2(RandomColor(rng_));
    Changed();
}

void BannerDocument::SwapColors() {
    const Color c1 = settings_.Color1();
    if (c1 == settings_.Color2()) return;
    settings_.SetColor1(settings_.Color2());
    settings_.SetColor2(c1);
    Changed();
}

bool BannerDocument::Set(const FieldInfo& field, std::int64_t value) {
    if (field.needsOverlay && !settings_.Overlay()) return false;
    BannerSettings next = settings_;
    next.SetValue(field, value);
    if (next == settings_) return false;
    ChangeScope scope(*this);  // the after-set action and the assignment are one change
    settings_ = next;
    RunAfterSet(field);
    Changed();
    return true;
}

void BannerDocument::SetFromText(std::string_view name, std::string_view value) {
    ChangeScope scope(*this);
    settings_.SetFieldFromString(name, value);
    RunAfterSet(*BannerSettings::FindField(name));
    Changed();
}

void BannerDocument::RunAfterSet(const FieldInfo& field) {
    switch (field.afterSet) {
        case AfterSet::None: break;
        case AfterSet::Reshape:
            // Shown at once, as if the size buttons had been pressed up to it; the position and
            // the Overlay flag stay as they are.
            PreparePictureFromRecord();
            break;
        case AfterSet::Refade: ApplyOverlayOpacity(); break;
    }
}

// ---- overlay picture

void BannerDocument::LoadOverlayPicture(const std::string& path) {
    std::vector<std::uint8_t> data;
    try {
        // A file whose name names no picture format is looked at only as far as its first bytes.
        if (!ImageFormatOfExtension(LowerExtension(path))) {
            if (const std::optional<std::vector<std::uint8_t>> head = ReadFileHead(path, kSignatureBytes))
                if (!SniffImageFormat(*head)) (void)DecodeImage(path, *head);  // throws "not supported"
        }
        data = ReadFileBytes(path, kMaxReadBytes, [](auto head) { return PictureBytesNeeded(head); });
    } catch (const FileError& e) {
        throw BannerError(Tr("Cannot load the picture \"{1}\": {2}", {path, e.what()}));
    } catch (const CodecError& e) {
        throw BannerError(Tr("Cannot load the picture \"{1}\": {2}", {path, e.what()}));
    }
    LoadOverlayPictureFromBytes(path, data);
}

void BannerDocument::LoadOverlayPictureFromBytes(const std::string& name, std::span<const std::uint8_t> data) {
    Picture decoded;
    try {
        decoded = DecodeImage(name, data);  // the bytes choose the decoder; only a PNG keeps its alpha
    } catch (const CodecError& e) {
        throw BannerError(Tr("Cannot load the picture \"{1}\": {2}", {name, e.what()}));
    }
    if (decoded.IsEmpty()) throw BannerError(Tr("Cannot load the picture \"{1}\": the image is empty", {name}));
    LoadDecoded(std::move(decoded));
}

void BannerDocument::TakeOverlayPicture(Picture picture) {
    if (picture.IsEmpty()) throw BannerError(Tr("The picture is empty"));
    LoadDecoded(std::move(picture));
}

void BannerDocument::LoadDecoded(Picture picture) {
    // All or nothing: the new pictures are made before anything is replaced.
    PictureScaler scaler(std::make_shared<const Picture>(std::move(picture)));
    const Size size = FitSizeOf(*scaler.Source(), rounding_);
    OverlayPictures shaped =
        Shaped(scaler, size, settings_.OverlayX(), settings_.OverlayY(), settings_.OverlayOpacity());
    settings_.SetOverlay(true);
    settings_.SetOverlayWidth(size.width);
    settings_.SetOverlayHeight(size.height);
    scaler_ = std::move(scaler);
    Take(std::move(shaped));
    Changed();
}

void BannerDocument::AdoptProjectPicture(Picture picture) {
    PictureScaler scaler(std::make_shared<const Picture>(std::move(picture)));
    const Size size{scaler.Source()->Width(), scaler.Source()->Height()};
    OverlayPictures shaped =
        Shaped(scaler, size, settings_.OverlayX(), settings_.OverlayY(), settings_.OverlayOpacity());
    scaler_ = std::move(scaler);
    Take(std::move(shaped));
}

void BannerDocument::TakeProject(const BannerSettings& settings, std::shared_ptr<const Picture> picture) {
    if (picture && !picture->IsEmpty()) {
        PictureScaler scaler(std::move(picture));
        // The picture as it was shown when saved; a damaged stored size shows it unscaled.
        Size size{settings.OverlayWidth(), settings.OverlayHeight()};
        if (!SidesInRange(size.width, size.height)) size = {scaler.Source()->Width(), scaler.Source()->Height()};
        OverlayPictures shaped =
            Shaped(scaler, size, settings.OverlayX(), settings.OverlayY(), settings.OverlayOpacity());
        settings_ = settings;
        scaler_ = std::move(scaler);
        Take(std::move(shaped));
    } else {
        settings_ = settings;
    }
    Changed();
}

void BannerDocument::ClearPictures() {
    scaler_ = PictureScaler();
    Take(OverlayPictures());
}

void BannerDocument::RestorePictures(const OverlayPictures& pictures) {
    if (pictures.source != scaler_.Source()) scaler_ = PictureScaler(pictures.source);
    Take(pictures);
}

const Picture& BannerDocument::PictureOrNone(const std::shared_ptr<const Picture>& p) {
    static const Picture kNone;
    return p ? *p : kNone;
}

void BannerDocument::Take(OverlayPictures pictures) {
    pictures_ = std::move(pictures);
    ++pictureGeneration_;
}

OverlayPictures BannerDocument::Shaped(PictureScaler& scaler, Size size, std::int64_t x, std::int64_t y,
                                       std::int32_t opacity) const {
    OverlayPictures out;
    out.source = scaler.Source();
    out.size = size;
    out.opacity = opacity;
    if (!out.source || out.source->IsEmpty() || size.width < 1 || size.height < 1) return out;
    const Rect whole{0, 0, size.width, size.height};
    out.part = HeldWhole(size) ? whole : VisiblePart(size, x, y);
    if (out.part == whole && size == Size{out.source->Width(), out.source->Height()})
        out.working = out.source;  // unscaled: the source's own pixels
    else if (!out.part.IsEmpty())
        out.working = std::make_shared<const Picture>(scaler.Scale(size.width, size.height, out.part));
    if (out.working) out.prepared = WithOpacity(*out.working, opacity);
    return out;
}

void BannerDocument::FitOverlay() {
    if (SourcePicture().IsEmpty()) return;
    const Size size = FitSizeOf(SourcePicture(), rounding_);
    OverlayPictures shaped =
        Shaped(scaler_, size, settings_.OverlayX(), settings_.OverlayY(), settings_.OverlayOpacity());
    settings_.SetOverlayWidth(size.width);
    settings_.SetOverlayHeight(size.height);
    Take(std::move(shaped));
}

Picture BannerDocument::ResizeOverlay(int w, int h) {
    CheckSides(w, h);
    if (std::int64_t(w) * h > kMaxImagePixels) {
        throw BannerError(Tr("The picture cannot be resized to {1} x {2} pixels: it may hold at most {3} pixels",
                             {std::to_string(w), std::to_string(h), std::to_string(kMaxImagePixels)}));
    }
    return scaler_.Scale(w, h, {0, 0, w, h});
}

void BannerDocument::ApplyOverlayOpacity() {
    const Picture& working = WorkingPicture();
    // Nothing to prepare keeps the previous picture, except where an empty part of a large
    // overlay is all there is to show.
    if (working.IsEmpty() && pictures_.part == Rect{0, 0, pictures_.size.width, pictures_.size.height}) return;
    pictures_.prepared = working.IsEmpty() ? nullptr : WithOpacity(working, settings_.OverlayOpacity());
    pictures_.opacity = settings_.OverlayOpacity();
    ++pictureGeneration_;
}

void BannerDocument::MoveOverlayLeft() { settings_.SetOverlayX(AddWrapping(settings_.OverlayX(), -1)); Changed(); }
void BannerDocument::MoveOverlayRight() { settings_.SetOverlayX(AddWrapping(settings_.OverlayX(), 1)); Changed(); }
void BannerDocument::MoveOverlayUp() { settings_.SetOverlayY(AddWrapping(settings_.OverlayY(), -1)); Changed(); }
void BannerDocument::MoveOverlayDown() { settings_.SetOverlayY(AddWrapping(settings_.OverlayY(), 1)); Changed(); }

bool BannerDocument::ResetOverlayPosition() {
    if (!settings_.Overlay()) return false;
    // Without a picture there is nothing to resample (the size may still be the 0 x 0 of process
    // start when the check box was ticked first); the reset then only moves.
    if (!SourcePicture().IsEmpty()) {
        const std::int32_t w = settings_.OverlayWidth(), h = settings_.OverlayHeight();
        CheckSides(w, h);
        OverlayPictures shaped = Shaped(scaler_, {w, h}, 1, 1, settings_.OverlayOpacity());
        Take(std::move(shaped));
    } else {
        ApplyOverlayOpacity();
    }
    settings_.SetOverlayX(1);
    settings_.SetOverlayY(1);
    Changed();
    return true;
}

bool BannerDocument::ResizeBy(int dw, int dh, int dx, int dy) {
    if (!settings_.Overlay()) return false;
    const std::int64_t w = std::int64_t(settings_.OverlayWidth()) + dw;
    const std::int64_t h = std::int64_t(settings_.OverlayHeight()) + dh;
    if (!SidesInRange(w, h)) return false;  // refused: nothing changes
    const std::int32_t x = AddWrapping(settings_.OverlayX(), dx), y = AddWrapping(settings_.OverlayY(), dy);
    OverlayPictures shaped = Shaped(scaler_, {int(w), int(h)}, x, y, settings_.OverlayOpacity());
    settings_.SetOverlayWidth(std::int32_t(w));
    settings_.SetOverlayHeight(std::int32_t(h));
    settings_.SetOverlayX(x);
    settings_.SetOverlayY(y);
    if (shaped.source) Take(std::move(shaped));
    else ApplyOverlayOpacity();
    Changed();
    return true;
}

bool BannerDocument::WidenOverlay() { return ResizeBy(1, 0, 0, 0); }
bool BannerDocument::NarrowOverlay() { return ResizeBy(-1, 0, 0, 0); }
bool BannerDocument::ShortenOverlay() { return ResizeBy(0, -1, 0, 0); }
bool BannerDocument::HeightenOverlay() { return ResizeBy(0, 1, 0, 0); }
bool BannerDocument::GrowOverlayBottomRight() { return ResizeBy(1, 1, 0, 0); }
bool BannerDocument::GrowOverlayBottomLeft() { return ResizeBy(1, 1, -1, 0); }
bool BannerDocument::GrowOverlayTopRight() { return ResizeBy(1, 1, 0, -1); }
bool BannerDocument::GrowOverlayTopLeft() { return ResizeBy(1, 1, -1, -1); }

bool BannerDocument::ResetOverlaySize() {
    if (!settings_.Overlay()) return false;
    FitOverlay();  // prepares the picture too
    Changed();
    return true;
}

bool BannerDocument::PreparePictureFromRecord() {
    const std::int32_t w = settings_.OverlayWidth(), h = settings_.OverlayHeight();
    if (SourcePicture().IsEmpty() || w < 1 || h < 1) return false;
    CheckSides(w, h);  // throws, changing nothing, for a side out of range
    Take(Shaped(scaler_, {w, h}, settings_.OverlayX(), settings_.OverlayY(), settings_.OverlayOpacity()));
    Changed();
    return true;
}

// ---- rendering

const Bitmap& BannerDocument::RenderBanner() {
    // A large overlay is held only where the banner shows it: make the part it shows now.
    const OverlayPictures& p = pictures_;
    if (p.source && !HeldWhole(p.size) &&
        VisiblePart(p.size, settings_.OverlayX(), settings_.OverlayY()) != p.part)
        Take(Shaped(scaler_, p.size, settings_.OverlayX(), settings_.OverlayY(), p.opacity));
    ComposeBanner(image_, settings_, PreparedPicture(), {pictures_.part.left, pictures_.part.top}, rounding_);
    imageStale_ = false;
    return image_;
}

const Bitmap& BannerDocument::CurrentBanner() { return imageStale_ ? RenderBanner() : image_; }

void BannerDocument::SetRounding(RoundingMode mode) {
    if (mode == rounding_) return;
    rounding_ = mode;
    imageStale_ = true;
}

}  // namespace veskel
