#include "cli/DesignEdit.h"

#include "banner/BannerSettings.h"
#include "platform/text/CodePage.h"

namespace veskel::cli {
namespace {

// The ranges the window's controls produce: a value outside them is refused on the command line
// (a project holding one could not be opened again, or draws what the window never shows).
struct FieldRange {
    std::string_view name;
    std::int32_t min;
    std::int32_t max;
};
constexpr FieldRange kFieldRanges[] = {
    {"Pattern", 0, 5},         {"MirrorPattern", 0, 5},         {"PatternStrength", 0, 99},
    {"MirrorStrength", 0, 99}, {"OverlayOpacity", 0, 200},      {"OverlayWidth", 1, kMaxOverlaySide},
    {"OverlayHeight", 1, kMaxOverlaySide},
};

const FieldRange* FindRange(std::string_view name) {
    for (const FieldRange& r : kFieldRanges)
        if (r.name == name) return &r;
    return nullptr;
}

std::string RangeText(const FieldRange& r) { return std::to_string(r.min) + ".." + std::to_string(r.max); }

}  // namespace

std::string FieldNote(std::string_view name) {
    const FieldInfo* field = BannerSettings::FindField(name);
    if (const FieldRange* r = FindRange(name)) return ", " + RangeText(*r);
    if (name == "Text") return ", at most 255 characters, stored as given: --text checks the width";
    if (field && field->kind == FieldKind::String) return ", at most 255 characters";
    return "";
}

std::string SetValueProblem(std::string_view name, std::string_view value) {
    const FieldInfo* field = BannerSettings::FindField(name);
    if (!field) return "unknown field '" + std::string(name) + "'";
    BannerSettings scratch;
    try {
        scratch.SetFieldFromString(name, value);
    } catch (const FieldError& e) {
        return e.what();
    }
    if (field->kind == FieldKind::String) {
        const std::size_t length = TryUtf8ToCp1251(value).value_or(std::string()).size();
        if (length > std::size_t(kMaxStringChars))
            return std::string(name) + ": " + std::to_string(length) + " characters, at most " +
                   std::to_string(kMaxStringChars) + " fit";
    }
    if (const FieldRange* r = FindRange(name)) {
        const std::int32_t v = scratch.GetInt(field->offset);
        if (v < r->min || v > r->max) return std::string(name) + " must be " + RangeText(*r);
    }
    return "";
}

void ApplyEdit(BannerDocument& doc, const DocumentEdit& edit) {
    switch (edit.kind) {
        case DocumentEditKind::Set: {
            const std::size_t eq = edit.value.find('=');
            const std::string_view name = std::string_view(edit.value).substr(0, eq);
            try {
                doc.Settings().SetFieldFromString(name, std::string_view(edit.value).substr(eq + 1));
            } catch (const FieldError& e) {
                throw Failure{std::string("--set ") + e.what()};
            }
            if (name == "OverlayWidth" || name == "OverlayHeight") {
                // A size given with --set shows at once, as if the size buttons had been pressed
                // up to it (its range was checked when the command line was read); the position
                // and the Overlay flag stay as they are.
                doc.PreparePictureFromRecord();
            } else if (name == "OverlayOpacity") {
                doc.ApplyOverlayOpacity();
            }
            break;
        }
        case DocumentEditKind::Text: {
            std::string reason;
            if (!doc.SetText(edit.value, &reason)) throw Failure{"the text is refused: " + reason};
            break;
        }
        case DocumentEditKind::ResetPosition: doc.ResetTextPosition(); break;
        case DocumentEditKind::Overlay: doc.LoadOverlayPicture(edit.value); break;
    }
}

}  // namespace veskel::cli
