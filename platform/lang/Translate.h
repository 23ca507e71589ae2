#pragma once
// The language the window speaks, and the one call through which every text it shows passes.
//
// The texts in the code and in the stored layouts are the message ids: the window's labels,
// headings and hints are written in Russian (as a Russian desktop shows them), our own causes
// of errors in English. GNU gettext (the C library's libintl) looks each one up in the catalog
// of the chosen language, built from po/<language>.po: "en" turns the Russian texts into
// English, "ru" the English messages into Russian; a text a catalog does not hold is shown as
// written (button captions, tab names and list entries stay English in both).
//
// Until UseLanguage runs, Tr returns its text unchanged: the command line, the tests and
// anything else that never chose a language see the texts as written, whatever the
// environment says. Only the language is chosen from the environment: numbers, dates and the
// character classes of the C library stay as they were.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace veskel {

enum class Language { English, Russian };

// "ru" or "en".
const char* LanguageCode(Language language);

// The language of one locale name or LANGUAGE entry ("ru", "ru_RU.UTF-8", "en_GB@euro"): Russian
// for "ru", English for "en", nullopt for any other language, "C", "POSIX" and "".
std::optional<Language> LanguageOfLocaleName(std::string_view name);

// The desktop's language from these variables, read as the C library reads them: LANGUAGE (a
// list such as "de:ru", its first entry we have a catalog for) unless the locale is C or POSIX,
// then the first set of LC_ALL, LC_MESSAGES and LANG. English when none names Russian.
// `getenv` stands in for the environment in tests.
Language DesktopLanguage(const char* (*getenv)(const char*) = nullptr);

// Makes `language` the one every later Tr speaks, its catalog taken from
// `catalogDir`/<code>/LC_MESSAGES/veskel.mo, whether or not the machine has a locale of that
// language. Also points the C library's own messages (strerror) at that language, so that a
// system's reason inside one of our messages speaks it too. Leaves the numeric, time and
// collation categories at "C", whatever the window system set them to.
void UseLanguage(Language language, const std::string& catalogDir);

// Undoes UseLanguage: Tr returns its texts as written again, and LANGUAGE and the messages' and
// characters' locales are as before (tests that speak one language after another).
void UseTextsAsWritten();

// While one lives, LANGUAGE is as the desktop set it: a program started meanwhile (the browser
// a link opens) speaks the desktop's language, not the one chosen here.
class DesktopLanguageScope {
public:
    DesktopLanguageScope();
    ~DesktopLanguageScope();
    DesktopLanguageScope(const DesktopLanguageScope&) = delete;
    DesktopLanguageScope& operator=(const DesktopLanguageScope&) = delete;
};

// The language UseLanguage chose; nullopt before.
std::optional<Language> ChosenLanguage();

// The folder of the catalogs: share/locale beside the running program's bin/ when it holds
// ours (an installed program), else the build tree's, else "" (the system's folder).
std::string FindCatalogDir();

// The text in the chosen language.
const char* Tr(const char* text);
std::string Tr(const std::string& text);
// The same with "{1}", "{2}" ... replaced by `values` after the lookup, so that a translation may
// put them in its own order.
std::string Tr(const char* text, std::initializer_list<std::string> values);

// Marks a text kept in a constant for the catalogs; the code that shows it calls Tr.
constexpr const char* TrLater(const char* text) { return text; }

}  // namespace veskel
