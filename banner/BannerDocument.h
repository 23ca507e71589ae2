#pragma once
// BannerDocument: one banner design at run time. It owns the record (BannerSettings), the
// rendered BannerImage (350 x 20, 24-bit) and the three forms of the overlay picture
// (SourcePicture as loaded, WorkingPicture as resized, PreparedPicture with opacity applied),
// and carries every operation that the designer window binds to its controls.
//
// Changes flow one way: an operation changes the document and then tells its change listeners
// (the window's controls and preview, for instance). The document never renders by itself:
// whoever shows or writes the banner renders it (RenderBanner, or CurrentBanner when only a
// change since the last render needs one). Listeners run once per outermost change: changes
// made inside a ChangeScope (an assignment with its after-set action, the control events that
// the listeners set off themselves) are told once, when the outermost scope ends. An operation
// that changes nothing (a value equal to the stored one) or refuses (a text too wide, a size step
// below 1, an overlay operation while Overlay is off) tells nobody; the refusals return false.
//
// One design has one banner: the banner, and what the document computes and stores (a picture's
// fitted size), round in the document's own mode, to nearest unless a caller asks otherwise,
// whatever the process-wide rounding mode is (platform/graphics/Rounding.h).
//
// Text crosses this interface in UTF-8; the record holds it in Windows-1251. Failures (a picture
// that cannot be read, an out-of-range pattern index) throw BannerError with a message fit to show
// the user.
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "banner/BannerSettings.h"
#include "platform/graphics/Rounding.h"
#include "banner/BannerText.h"
#include "banner/PictureScaler.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

namespace veskel {

// Where a position reset puts the text's top edge.
inline constexpr int kDefaultTextY = int(Field("TextY").defaultValue);

// An overlay of more pixels than this is held only as far as the banner shows it (see
// OverlayPictures); a smaller one is held whole.
inline constexpr std::int64_t kWholeOverlayPixels = std::int64_t(1) << 16;

// The overlay picture's three forms as a document holds them. The pictures are shared and never
// changed in place, so copies of a document and the undo history hold the same pixels.
//
// WorkingPicture and PreparedPicture show the overlay at `size`. An overlay of up to
// kWholeOverlayPixels is held whole (`part` is all of `size`); a larger one only as far as the
// banner shows it at the record's position, which `part` gives in the overlay's own pixels ((0, 0)
// is its top-left corner). However large a stored size, it costs no more than the banner's pixels;
// the document makes the part again when the picture moves.
struct OverlayPictures {
    std::shared_ptr<const Picture> source, working, prepared;
    Size size;                 // the overlay's whole size
    Rect part;                 // the part of it that working and prepared hold
    std::int32_t opacity = 0;  // the OverlayOpacity that prepared was made with
    friend bool operator==(const OverlayPictures&, const OverlayPictures&) = default;
};

class BannerDocument {
public:
    // The record all zero and every picture empty, as at process start; BannerImage is 350 x 20
    // and black. The random generator is seeded from the clock. Call NewDocument() next.
    BannerDocument();

    BannerSettings& Settings() { return settings_; }
    const BannerSettings& Settings() const { return settings_; }
    const Bitmap& BannerImage() const { return image_; }
    const Picture& SourcePicture() const { return PictureOrNone(pictures_.source); }
    // An unscaled WorkingPicture is SourcePicture itself rather than a copy of it.
    const Picture& WorkingPicture() const { return PictureOrNone(pictures_.working); }
    const Picture& PreparedPicture() const { return PictureOrNone(pictures_.prepared); }
    // Which part of the overlay WorkingPicture and PreparedPicture hold (all of it unless large).
    Rect OverlayPart() const { return pictures_.part; }
    const OverlayPictures& Pictures() const { return pictures_; }
    // Changes whenever any of the three pictures may have changed (the undo history skips
    // comparing pixels while it stays the same).
    std::uint64_t PictureGeneration() const { return pictureGeneration_; }

    // ---- change listeners
    // Tells the listeners that the document changed: at once, or when the outermost ChangeScope
    // ends. Callers that changed Settings() directly call it too.
    void Changed();
    // Holds the listeners back while it lives: however many changes are made inside it (and
    // inside the listeners it sets off), the listeners run once when the outermost scope ends,
    // and not at all when nothing changed or an exception leaves it.
    class ChangeScope {
    public:
        explicit ChangeScope(BannerDocument& document);
        ~ChangeScope() noexcept(false);
        ChangeScope(const ChangeScope&) = delete;
        ChangeScope& operator=(const ChangeScope&) = delete;

    private:
        BannerDocument& doc_;
        int exceptions_;
    };
    // Listeners run on every change, in the order they were added; any number may be added.
    // Returns an id for RemoveChangeListener (ids are never reused).
    using ChangeListener = std::function<void()>;
    int AddChangeListener(ChangeListener listener);
    // Removes a listener (also from inside a listener); unknown ids are ignored.
    void RemoveChangeListener(int id);

    // ---- record operations
    // Resets the fields whose row says so to their defaults (Overlay off); keeps the overlay's
    // position and size, PictureSize, Reserved2, Reserved3 and the pictures. Always tells the
    // listeners.
    void NewDocument();
    // TextY = 5, TextX = 346 - width of Text.
    void ResetTextPosition();
    // Accepts a text narrower than 340 px (first 255 characters kept), pulling TextX back when the
    // text's right end would pass x = 354. Returns false and changes nothing when the text is too
    // wide or holds a character outside Windows-1251; `reason` (if given) then says why.
    bool SetText(std::string_view utf8, std::string* reason = nullptr);
    // One pixel per press (dx, dy in -1..1); no bounds (wraps at the 32-bit ends).
    void NudgeText(int dx, int dy);
    // Three draws 0..255: blue, then green, then red.
    void RandomColor1();
    void RandomColor2();
    void SwapColors();
    // For tests and scripts: a repeatable colour sequence.
    void SeedRandom(std::uint32_t seed) { rng_.seed(seed); }

    // Assigns an Int, Color or Flag field as the window's controls do: Set(Field("Color1"), c).
    // Returns false, changing nothing, while the row needs Overlay and it is off, or when the
    // value is the one stored; otherwise stores it, runs the row's after-set action and tells
    // the listeners.
    bool Set(const FieldInfo& field, std::int64_t value);
    // Sets any field from its text form as scripts do (BannerSettings::SetFieldFromString, no
    // range check and no Overlay condition), then runs the row's after-set action and tells the
    // listeners. Throws FieldError, changing nothing, for an unknown name or a malformed value.
    void SetFromText(std::string_view name, std::string_view value);

    // ---- overlay picture
    // Decodes a PNG, JPEG, GIF or BMP file (told by its first bytes, or by its extension when they
    // tell nothing: DecodeImage) into SourcePicture, switches Overlay on, fits and prepares it.
    // OverlayX/OverlayY are kept. When the file cannot be read or is none of the four, throws
    // BannerError naming the file and the reason, and the document (pictures and record) stays
    // exactly as it was.
    void LoadOverlayPicture(const std::string& path);
    // The same from bytes already in memory; `name` gives the extension and the message.
    void LoadOverlayPictureFromBytes(const std::string& name, std::span<const std::uint8_t> data);
    // Takes a picture from elsewhere (the clipboard) exactly as a decoded file: SourcePicture =
    // picture, Overlay on, FitOverlay, ApplyOverlayOpacity, then the listeners. Throws BannerError for an
    // empty picture, changing nothing.
    void TakeOverlayPicture(Picture picture);
    // Takes a picture at its own size: SourcePicture = picture, WorkingPicture = an unscaled copy,
    // then ApplyOverlayOpacity. OverlayWidth/OverlayHeight are left for the next size step. Does
    // not tell the listeners. (Opening a project shows its picture at the stored size: TakeProject.)
    void AdoptProjectPicture(Picture picture);
    // Takes a whole opened project at once: the record, and the picture when `picture` is not
    // null, shown at the record's OverlayWidth x OverlayHeight (unscaled when a stored side is out
    // of range), as PreparePictureFromRecord would. Everything is made before anything is
    // replaced, so a failure (out of memory) leaves the document as it was. Then the listeners.
    void TakeProject(const BannerSettings& settings, std::shared_ptr<const Picture> picture);
    // Drops all three pictures (scripts; the window never does this).
    void ClearPictures();
    // Puts back the pictures as they were kept aside (the undo history). Does not tell the listeners;
    // the caller does once the record is back too.
    void RestorePictures(const OverlayPictures& pictures);

    // A source wider than 175 px is resampled to 175 x Round(H / W x 175); otherwise copied as is.
    // OverlayWidth/OverlayHeight take the result's size, and PreparedPicture is made from it as
    // ApplyOverlayOpacity does. With no source nothing changes.
    void FitOverlay();
    // SourcePicture resampled whole to w x h: colour by area averaging, alpha separately when the
    // source has any transparency. Throws BannerError when w or h is below 1 or above
    // kMaxOverlaySide, or the picture would exceed kMaxImagePixels.
    Picture ResizeOverlay(int w, int h);
    // PreparedPicture = WorkingPicture with an alpha plane, each alpha + OverlayOpacity - 200
    // clamped to 0..255. An empty WorkingPicture leaves PreparedPicture as it was (unless only the
    // part of a large overlay that the banner shows is held and that part is empty).
    void ApplyOverlayOpacity();

    // The third page's controls. Position steps work at any time; the rest return false and do
    // nothing while Overlay is off. Size steps that would take a side below 1 (or above
    // kMaxOverlaySide) are refused the same way.
    void MoveOverlayLeft();    // OverlayX - 1
    void MoveOverlayRight();   // OverlayX + 1
    void MoveOverlayUp();      // OverlayY - 1
    void MoveOverlayDown();    // OverlayY + 1
    // OverlayX = OverlayY = 1, then resample to the stored size (without a picture it only
    // moves). Throws BannerError (changing nothing) when there is a picture and the stored size is
    // out of range, as only a damaged project file can leave it.
    bool ResetOverlayPosition();
    bool WidenOverlay();       // OverlayWidth + 1
    bool NarrowOverlay();      // OverlayWidth - 1
    bool ShortenOverlay();     // OverlayHeight - 1 (the size group's up arrow)
    bool HeightenOverlay();    // OverlayHeight + 1 (the size group's down arrow)
    // The corner buttons enlarge by one in both directions and move the picture so that the
    // opposite corner stays put.
    bool GrowOverlayBottomRight();  // W + 1, H + 1
    bool GrowOverlayBottomLeft();   // W + 1, H + 1, X - 1
    bool GrowOverlayTopRight();     // W + 1, H + 1, Y - 1
    bool GrowOverlayTopLeft();      // W + 1, H + 1, X - 1, Y - 1
    bool ResetOverlaySize();        // FitOverlay, then ApplyOverlayOpacity
    // Shows the record's overlay size at once (a size written straight into the record, by a
    // script): WorkingPicture = SourcePicture resampled to OverlayWidth x OverlayHeight, then
    // ApplyOverlayOpacity and the listeners. Position and Overlay stay as they are. Returns false and
    // does nothing without a source picture or while a stored side is below 1; throws BannerError
    // (changing nothing) for a side above kMaxOverlaySide.
    bool PreparePictureFromRecord();

    // ---- rendering
    // Composes BannerImage from scratch and returns it (first making the part of a large overlay
    // that the banner now shows, when it moved). Throws BannerError when Pattern or MirrorPattern
    // is outside 0..5; BannerImage is then left as it was.
    const Bitmap& RenderBanner();
    // BannerImage as the design now stands: rendered first when the document changed since the
    // last render (export and the clipboard write what the preview shows).
    const Bitmap& CurrentBanner();
    // How the banner and the fitted sizes round: to nearest (the default), or downward for a
    // caller that asks for what the designer window showed once its effect lists had appeared.
    RoundingMode Rounding() const { return rounding_; }
    void SetRounding(RoundingMode mode);

private:
    static const Picture& PictureOrNone(const std::shared_ptr<const Picture>& p);
    bool ResizeBy(int dw, int dh, int dx, int dy);
    void LoadDecoded(Picture picture);
    // The pictures for SourcePicture shown at `size` with the overlay's top-left corner at (x, y):
    // the working picture (whole, or the part the banner shows) and the prepared one made from it
    // with `opacity`. Changes nothing in the document.
    OverlayPictures Shaped(PictureScaler& scaler, Size size, std::int64_t x, std::int64_t y,
                           std::int32_t opacity) const;
    void Take(OverlayPictures pictures);

    BannerSettings settings_;
    Bitmap image_;
    OverlayPictures pictures_;
    PictureScaler scaler_;  // the source with its reduced copies
    std::uint64_t pictureGeneration_ = 0;
    void RunAfterSet(const FieldInfo& field);
    void Notify();

    std::vector<std::pair<int, ChangeListener>> listeners_;
    int scopeDepth_ = 0;   // ChangeScopes alive
    bool pending_ = false; // changed inside a scope, listeners not yet told
    bool imageStale_ = true;
    RoundingMode rounding_ = RoundingMode::NearestEven;
    int nextListenerId_ = 1;
    std::mt19937 rng_;
};

}  // namespace veskel
