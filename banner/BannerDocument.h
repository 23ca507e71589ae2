#pragma once
// BannerDocument: one banner design at run time. It owns the record (BannerSettings), the
// rendered BannerImage (350 x 20, 24-bit) and the three forms of the overlay picture
// (SourcePicture as loaded, WorkingPicture as resized, PreparedPicture with opacity applied),
// and carries every operation that the designer window binds to its controls.
//
// Every operation that changes the record ends by calling the changed hook. By default the hook
// renders the banner; the window replaces it with "copy the settings into the controls, then
// render". Change listeners (the preview, an undo recorder) run after the hook. Operations that refuse (a text too wide, a size step below 1, an overlay operation
// while Overlay is off) change nothing and do not call the hook; they return false.
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
#include "banner/PictureScaler.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

namespace veskel {

class BannerError : public std::runtime_error {
public:
    explicit BannerError(const std::string& message) : std::runtime_error(message) {}
};

// Defaults of a new document.
inline constexpr const char* kDefaultBannerText = "Brannock veskel generator";
inline constexpr const char* kDefaultProjectName = "untitled";
inline constexpr int kDefaultTextY = 5;

// Largest overlay side a step or a stored size may reach (the decoders' limit).
inline constexpr int kMaxOverlaySide = 16384;
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

// The width in pixels of a Windows-1251 text in the banner font: the sum of the advances of its
// characters, each measured alone (no kerning). Registers the embedded font on first use.
int MeasureText(std::string_view cp1251);
int MeasureTextUtf8(std::string_view utf8);  // throws CodePageError for characters outside the page

// Reads a numeric field's text the way the position fields take it: leading blanks skipped, an
// optional sign, decimal digits or hexadecimal ones after "$", "x", "X", "0x" or "0X". A valid text
// gives its number; otherwise the digits before the first invalid character, without the sign
// ("12a" -> 12, "-12a" -> 12, "-" -> 0, "" -> 0). A digit that would overflow 32 bits counts as
// invalid; hexadecimal covers the full 32 bits ("$FFFFFFFF" -> -1).
std::int32_t ParseFieldNumber(std::string_view text);
// The same reading, saying also whether every character was part of the number: true for a valid
// number and for one still being typed ("", "-", "0x"), false for "12a" or "15 ".
struct FieldNumber {
    std::int32_t value = 0;
    bool whole = true;
};
FieldNumber ReadFieldNumber(std::string_view text);

// Registers the embedded banner font for this process (once; later calls do nothing).
void EnsureBannerFont();

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

    // ---- the changed hook
    using ChangedHook = std::function<void()>;
    // An empty hook restores the default (render the banner).
    void SetChangedHook(ChangedHook hook);
    // Runs the hook, then every change listener; callers that changed Settings() directly
    // (opening a project) call it too.
    void Changed();
    // Listeners run after the hook on every change, in the order they were added; any number
    // may be added. Returns an id for RemoveChangeListener (ids are never reused).
    using ChangeListener = std::function<void()>;
    int AddChangeListener(ChangeListener listener);
    // Removes a listener (also from inside a listener); unknown ids are ignored.
    void RemoveChangeListener(int id);

    // ---- record operations
    // Resets the document fields to their defaults (Overlay off); keeps the overlay's position,
    // size, PictureSize, the reserved fields and the pictures.
    void NewDocument();
    // TextY = 5, TextX = 346 - width of Text.
    void ResetTextPosition();
    // Accepts a text narrower than 340 px (first 255 characters kept), pulling TextX back when the
    // text's right end would pass x = 354. Returns false and changes nothing when the text is too
    // wide or holds a character outside Windows-1251; `reason` (if given) then says why.
    bool SetText(std::string_view utf8, std::string* reason = nullptr);
    // The position fields' text, read by ParseFieldNumber; the value is always stored.
    void SetTextX(std::string_view fieldText);
    void SetTextY(std::string_view fieldText);
    // One pixel per press (dx, dy in -1..1); no bounds (wraps at the 32-bit ends).
    void NudgeText(int dx, int dy);
    // Three draws 0..255: blue, then green, then red.
    void RandomColor1();
    void RandomColor2();
    void SwapColors();
    // For tests and scripts: a repeatable colour sequence.
    void SeedRandom(std::uint32_t seed) { rng_.seed(seed); }

    // Direct assignments from the controls.
    void SetColor1(Color c);
    void SetColor2(Color c);
    void SetBorderColor(Color c);
    void SetGlow(bool on);
    void SetBorder(bool on);
    void SetHorizontal(bool on);
    void SetOverlay(bool on);  // the pictures stay as they are
    void SetMirrorPattern(int index);
    void SetPattern(int index);
    void SetMirrorStrength(int value);
    void SetPatternStrength(int value);

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
    // picture, Overlay on, FitOverlay, ApplyOverlayOpacity, then the hook. Throws BannerError for an
    // empty picture, changing nothing.
    void TakeOverlayPicture(Picture picture);
    // Takes a picture at its own size: SourcePicture = picture, WorkingPicture = an unscaled copy,
    // then ApplyOverlayOpacity. OverlayWidth/OverlayHeight are left for the next size step. Does
    // not call the hook. (Opening a project shows its picture at the stored size: TakeProject.)
    void AdoptProjectPicture(Picture picture);
    // Takes a whole opened project at once: the record, and the picture when `picture` is not
    // null, shown at the record's OverlayWidth x OverlayHeight (unscaled when a stored side is out
    // of range), as PreparePictureFromRecord would. Everything is made before anything is
    // replaced, so a failure (out of memory) leaves the document as it was. Then the hook.
    void TakeProject(const BannerSettings& settings, std::shared_ptr<const Picture> picture);
    // Drops all three pictures (scripts; the window never does this).
    void ClearPictures();
    // Puts back the pictures as they were kept aside (the undo history). Does not call the hook;
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
    // ApplyOverlayOpacity and the hook. Position and Overlay stay as they are. Returns false and
    // does nothing without a source picture or while a stored side is below 1; throws BannerError
    // (changing nothing) for a side above kMaxOverlaySide.
    bool PreparePictureFromRecord();
    bool SetOverlayOpacity(int value);  // OverlayOpacity = value, then ApplyOverlayOpacity

    // ---- rendering
    // Composes BannerImage from scratch and returns it (first making the part of a large overlay
    // that the banner now shows, when it moved). Throws BannerError when Pattern or MirrorPattern
    // is outside 0..5; BannerImage is then left as it was.
    const Bitmap& RenderBanner();

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
    ChangedHook hook_;
    std::vector<std::pair<int, ChangeListener>> listeners_;
    int nextListenerId_ = 1;
    std::mt19937 rng_;
};

}  // namespace veskel
