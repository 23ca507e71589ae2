#include "cli/DesignEdit.h"

#include "banner/BannerSettings.h"
#include "platform/text/CodePage.h"

namespace veskel::cli {
namespace {

std::string RangeText(const FieldInfo& f) { return std::to_string(f.min) + ".." + std::to_string(f.max); }

}  // namespace

std::string FieldNote(std::string_view name) {
    const FieldInfo* field = BannerSettings::FindField(name);
    if (field && field->HasRange()) return ", " + RangeText(*field);
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
    // The range the window's controls produce: a value outside it is refused (a project holding
    // one could not be opened again, or draws what the window never shows).
    if (field->HasRange() && !field->InRange(scratch.GetInt(field->offset)))
        return std::string(name) + " must be " + RangeText(*field);
    return "";
}

void ApplyEdit(BannerDocument& doc, const DocumentEdit& edit) {
    switch (edit.kind) {
        case DocumentEditKind::Set: {
            const std::size_t eq = edit.value.find('=');
            try {
                doc.SetFromText(std::string_view(edit.value).substr(0, eq), std::string_view(edit.value).substr(eq + 1));
            } catch (const FieldError& e) {
                throw Failure{std::string("--set ") + e.what()};
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
