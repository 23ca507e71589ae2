// The window in each language it speaks: every page against its reviewed image, no Russian
// left in an English window (texts of the controls, the palette pop-up and the messages), and the
// messages of one run in one language down to the system's reason.
#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <map>

#include "../components/GoldenCheck.h"
#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "app/DesignerActions.h"
#include "platform/lang/MoCatalog.h"
#include "platform/lang/Translate.h"
#include "platform/ui/LayoutTexts.h"
#include "platform/ui/StoredLayout.h"
#include "tests/app/DesignerFixture.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

bool HasCyrillic(const std::string& utf8) {
    for (std::size_t i = 0; i + 1 < utf8.size(); ++i)
        if (utf8[i] == '\xD0' || utf8[i] == '\xD1') return true;  // lead bytes of U+0400..U+047F
    return false;
}

// Every text a control tree shows through its stored properties, with where it comes from.
void CollectShownTexts(const LayoutObject& o, std::vector<std::string>& out) {
    for (const LayoutProperty& p : o.properties) {
        if (!IsShownTextProperty(p.name)) continue;
        if (p.value.kind == LayoutValue::Kind::String) out.push_back(o.name + "." + p.name + ": " + p.value.text);
        for (const LayoutValue& line : p.value.list) out.push_back(o.name + "." + p.name + ": " + line.text);
    }
    for (const LayoutObject& child : o.children) CollectShownTexts(child, out);
}

struct LanguageTest : testing::DesignerFixture, ::testing::WithParamInterface<Language> {
    void SetUp() override {
        // As the window system leaves it: every category, numbers included, from the environment.
        std::setlocale(LC_NUMERIC, "C.UTF-8");
        UseLanguage(GetParam(), FindCatalogDir());
        DesignerFixture::SetUp();
    }
    void TearDown() override { UseTextsAsWritten(); }
    bool English() const { return GetParam() == Language::English; }
};

// The Russian window is the reviewed one of every other test; the English one has its own images.
// Numbers are written the C way in either.
TEST_P(LanguageTest, EveryPageAndPopUpShowsItsLanguage) {
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    ExpectEveryPage(English() ? "mainwindow-en" : "mainwindow");
    form->ClrBox1->OpenPalette();
    ASSERT_NE(form->ClrBox1->Palette(), nullptr);
    std::vector<std::string> texts;
    CollectShownTexts(SaveLayout(*form), texts);
    CollectShownTexts(SaveLayout(*form->ClrBox1->Palette()), texts);
    texts.push_back("title: " + form->Caption());
    if (English()) {
        for (const std::string& t : texts) EXPECT_FALSE(HasCyrillic(t)) << t;
    }
}

// The desktop's language as the C library reads the variables: LANGUAGE first (its first entry
// with a catalog) unless the locale is plain C, then LC_ALL, LC_MESSAGES, LANG; English otherwise.
TEST(DesktopLanguage, FollowsTheVariablesInTheirOrder) {
    struct Case {
        std::map<std::string, std::string> environment;
        Language expected;
    };
    static const std::map<std::string, std::string>* environment = nullptr;
    const Case cases[] = {
        {{}, Language::English},
        {{{"LANG", "ru_RU.UTF-8"}}, Language::Russian},
        {{{"LC_ALL", "ru_RU.UTF-8"}, {"LANG", "en_US.UTF-8"}}, Language::Russian},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "en_GB.UTF-8"}, {"LANG", "ru_RU.UTF-8"}}, Language::English},
        {{{"LANGUAGE", "de:ru:en"}, {"LANG", "en_US.UTF-8@euro"}}, Language::Russian},
        {{{"LANGUAGE", "en"}, {"LANG", "ru_RU.UTF-8"}}, Language::English},
        {{{"LANGUAGE", "ru"}, {"LANG", "C.UTF-8"}}, Language::Russian},
        {{{"LANGUAGE", "ru"}, {"LANG", "C"}}, Language::English},
        {{{"LANGUAGE", "ru"}}, Language::English},
    };
    for (const Case& c : cases) {
        environment = &c.environment;
        const Language got = DesktopLanguage([](const char* name) -> const char* {
            const auto it = environment->find(name);
            return it == environment->end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(got, c.expected) << ::testing::PrintToString(c.environment);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTest, ::testing::Values(Language::Russian, Language::English),
                         [](const auto& info) { return std::string(LanguageCode(info.param)); });

// Each message of the window in the run's language: our own texts and causes from the catalogs,
// the system's reason as the C library words it.
TEST_P(LanguageTest, MessagesSpeakOneLanguage) {
    testing::ScratchDir dir;
    const std::string shortProject = dir / "short.vzk", notPng = dir / "fake.png", missing = dir / "gone.vzk";
    const std::string noProject = dir / "photo.vzk";
    testing::WriteAll(shortProject, std::vector<std::uint8_t>(10, 0));
    testing::WriteAll(noProject, std::vector<std::uint8_t>(700, 0xA7));
    testing::WriteAll(notPng, std::vector<std::uint8_t>(64, 'x'));
    struct Case {
        std::function<void()> act;
        std::string russian, english;
    };
    const Case cases[] = {
        {[&] { form->Actions().OpenFile(shortProject); },
         "Не удается открыть файл \"" + shortProject +
             "\". Файл слишком короток для проекта (10 байт; в проекте не меньше 593)",
         "Cannot open the file \"" + shortProject +
             "\". The file is too short to be a project (10 bytes; a project holds at least 593)"},
        {[&] { form->Actions().OpenFile(noProject); },
         "Не удается открыть файл \"" + noProject +
             "\". Файл не является проектом Veskel (номер узора -1482184793 вне 0..5)",
         "Cannot open the file \"" + noProject +
             "\". The file is not a Veskel project (its pattern number -1482184793 is outside 0..5)"},
        {[&] { form->Actions().OpenFile(missing); },
         "Не удается открыть файл \"" + missing + "\". Нет такого файла или каталога",
         "Cannot open the file \"" + missing + "\". No such file or directory"},
        {[&] { form->Actions().OpenFile(notPng); },
         "Не удается загрузить изображение \"" + notPng + "\": PNG: это не файл PNG",
         "Cannot load the picture \"" + notPng + "\": PNG: not a PNG file"},
        {[&] { form->Actions().DropFiles({notPng, missing}); },
         "Перетаскивайте по одному файлу: проект (.vzk) или изображение (.png, .jpg, .gif, .bmp). "
         "Перетащено файлов: 2.",
         "Drop one file at a time: a project (.vzk) or a picture (.png, .jpg, .gif, .bmp). 2 files were dropped."},
    };
    for (const Case& c : cases) {
        errors.clear();
        try {
            c.act();
        } catch (const std::exception& e) {
            app.ShowException(e);
        }
        ASSERT_EQ(errors.size(), 1u) << c.english;
        EXPECT_EQ(errors[0], English() ? c.english : c.russian);
    }
    // The question before a design is let go.
    form->GlassEdit1->Edit->SetText("changed");
    backend.messageBoxAnswers.push_back(kIdCancel);
    form->Actions().NewDesign();
    ASSERT_EQ(backend.messageBoxes.size(), 1u);
    EXPECT_EQ(backend.messageBoxes[0].text,
              English() ? "Save the changes to the project?" : "Сохранить изменения в проекте?");
}

// The English catalog gives English only; the Russian window shows its quoted texts (captions,
// headings, hints, file filters, messages) exactly as the Russian desktop knows them.
TEST(Catalogs, EnglishHasNoRussianAndRussianKeepsItsTexts) {
    const MoCatalog english(FindCatalogDir() + "/en/LC_MESSAGES/veskel.mo");
    ASSERT_GT(english.Texts().size(), 50u);
    for (const auto& [text, translation] : english.Texts()) EXPECT_FALSE(HasCyrillic(translation)) << text;
    UseLanguage(Language::Russian, FindCatalogDir());
    for (const std::string text : {"Бесплатный хостинг изображений:", "Выберите цвет:", "Добавить изображение",
             "Добавить рамку:", "Добавить эффект свечения", "Зеркальный узор:", "Нажмите на цвет, чтобы изменить его.",
             "Не удается открыть файл \"{1}\". {2}", "Не удается создать файл \"{1}\". {2}", "Образец узора:",
             "Оверлей изображения :", "Открыть существующий проект.", "Передний план и цвет фона по умолчанию",
             "Переключить передний план и цвет фона", "По горизонтали", "Подробная информация и обновления:",
             "Позиция изображения:", "Позиция текста X =", "Позиция текста Y =", "Позиция:", "Проект :",
             "Проект Veskel (*.vzk)|*.vzk", "Прозрачность:", "Просмотр:", "Размер изображения:",
             "Создать новый проект.", "Сохранить изображение.", "Сохранить текущий проект.", "Текст:", "Фоновый цвет:",
             "Цвет 1:", "Цвет 2:"})
        EXPECT_EQ(Tr(text), text);
    UseTextsAsWritten();
}

// A program the window starts (the browser of a link) gets the desktop's LANGUAGE.
TEST_P(LanguageTest, OtherProgramsKeepTheDesktopsLanguage) {
    UseTextsAsWritten();
    const char* original = std::getenv("LANGUAGE");
    const bool wasSet = original != nullptr;
    const std::string restore = wasSet ? original : "";
    setenv("LANGUAGE", "de:fr", 1);
    UseLanguage(GetParam(), FindCatalogDir());
    {
        const DesktopLanguageScope desktop;
        EXPECT_STREQ(std::getenv("LANGUAGE"), "de:fr");
    }
    EXPECT_STREQ(std::getenv("LANGUAGE"), LanguageCode(GetParam()));
    UseTextsAsWritten();
    if (wasSet) setenv("LANGUAGE", restore.c_str(), 1);
    else unsetenv("LANGUAGE");
}

}  // namespace
}  // namespace veskel
