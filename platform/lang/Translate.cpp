#include "platform/lang/Translate.h"

#include <libintl.h>
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "platform/lang/MoCatalog.h"

namespace veskel {
namespace {

constexpr const char* kDomain = "veskel";

std::optional<Language> g_language;

// What UseLanguage changed, for UseTextsAsWritten.
struct Before {
    std::optional<std::string> language;  // LANGUAGE; nullopt when unset
    std::string messages, characters;     // LC_MESSAGES, LC_CTYPE
};
std::optional<Before> g_before;

#ifndef __GLIBC__
// The browser build's C library (musl in Emscripten) ignores LANGUAGE, and its lookup faults
// (memory access out of bounds) on the catalogs it maps; they are read here instead.
const MoCatalog* g_catalog = nullptr;

const MoCatalog& LoadedCatalog(const std::string& file) {
    static std::map<std::string, MoCatalog> loaded;  // never dropped: texts Tr returned stay valid
    return loaded.try_emplace(file, file).first->second;
}
#endif

const char* Environment(const char* name) { return std::getenv(name); }

void SetLanguageVariable(const std::optional<std::string>& value) {
    if (value) setenv("LANGUAGE", value->c_str(), 1);
    else unsetenv("LANGUAGE");
}

}  // namespace

const char* LanguageCode(Language language) { return language == Language::Russian ? "ru" : "en"; }

std::optional<Language> LanguageOfLocaleName(std::string_view name) {
    const std::string_view code = name.substr(0, name.find_first_of("_.@"));
    if (code == "ru") return Language::Russian;
    if (code == "en") return Language::English;
    return std::nullopt;
}

Language DesktopLanguage(const char* (*getenv)(const char*)) {
    if (!getenv) getenv = Environment;
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    // The C library reads LANGUAGE only when the messages' locale is not the plain C one.
    const bool plainC = locale.empty() || locale == "C" || locale == "POSIX";
    if (const char* list = getenv("LANGUAGE"); list && !plainC) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            if (const auto language = LanguageOfLocaleName(rest.substr(0, colon))) return *language;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    return LanguageOfLocaleName(locale).value_or(Language::English);
}

void UseLanguage(Language language, const std::string& catalogDir) {
    if (!g_before) {
        const char* list = std::getenv("LANGUAGE");
        g_before = Before{list ? std::optional<std::string>(list) : std::nullopt, std::setlocale(LC_MESSAGES, nullptr),
                          std::setlocale(LC_CTYPE, nullptr)};
    }
    // The window system may have set every category from the environment; numbers, times and
    // sorting are written the same way in every language (files and exports must not differ).
    for (int category : {LC_NUMERIC, LC_TIME, LC_COLLATE, LC_MONETARY}) std::setlocale(category, "C");
    // gettext ignores LANGUAGE under the plain C locale, and a fresh machine may have no locale
    // of the language at all: C.UTF-8 is always there and lets LANGUAGE choose the catalog. The
    // C library's own messages are converted to the character set of LC_CTYPE, which must be
    // UTF-8 for Russian ones to survive.
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (!messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0)
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
    setenv("LANGUAGE", LanguageCode(language), 1);
    if (!catalogDir.empty()) bindtextdomain(kDomain, catalogDir.c_str());  // else the system's folder
    bind_textdomain_codeset(kDomain, "UTF-8");
#ifndef __GLIBC__
    g_catalog = &LoadedCatalog((catalogDir.empty() ? std::string("/usr/share/locale") : catalogDir) + "/" +
                               LanguageCode(language) + "/LC_MESSAGES/" + kDomain + ".mo");
#endif
    // Setting a locale category tells gettext to forget what it looked up in another language.
    std::setlocale(LC_MESSAGES, std::setlocale(LC_MESSAGES, nullptr));
    g_language = language;
}

void UseTextsAsWritten() {
    g_language.reset();
    if (!g_before) return;
    SetLanguageVariable(g_before->language);
    std::setlocale(LC_CTYPE, g_before->characters.c_str());
    std::setlocale(LC_MESSAGES, g_before->messages.c_str());
    g_before.reset();
}

DesktopLanguageScope::DesktopLanguageScope() {
    if (g_before && g_language) SetLanguageVariable(g_before->language);
}

DesktopLanguageScope::~DesktopLanguageScope() {
    if (g_before && g_language) setenv("LANGUAGE", LanguageCode(*g_language), 1);
}

std::optional<Language> ChosenLanguage() { return g_language; }

std::string FindCatalogDir() {
#ifdef __EMSCRIPTEN__
    return "/veskel/locale";  // where the page preloads the site's data
#else
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string installed = error ? "" : (program.parent_path().parent_path() / "share/locale").string();
    const auto holdsOurs = [&error](const std::string& dir) {
        return !dir.empty() && std::filesystem::exists(dir + "/en/LC_MESSAGES/" + kDomain + ".mo", error);
    };
    if (holdsOurs(installed)) return installed;
#ifdef VESKEL_BUILD_CATALOG_DIR
    if (holdsOurs(VESKEL_BUILD_CATALOG_DIR)) return VESKEL_BUILD_CATALOG_DIR;
#endif
    return "";
#endif
}

const char* Tr(const char* text) {
    if (!g_language || !text || !*text) return text;  // "" is the catalog's header, never a text
#ifdef __GLIBC__
    return dgettext(kDomain, text);
#else
    const char* translated = g_catalog ? g_catalog->Find(text) : nullptr;
    return translated ? translated : text;
#endif
}

std::string Tr(const std::string& text) { return Tr(text.c_str()); }

std::string Tr(const char* text, std::initializer_list<std::string> values) {
    const std::string pattern = Tr(text);
    std::string out;
    out.reserve(pattern.size() + 64);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' && pattern[i + 1] >= '1' &&
            std::size_t(pattern[i + 1] - '1') < values.size()) {
            out += values.begin()[pattern[i + 1] - '1'];
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace veskel
