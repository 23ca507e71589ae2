#include "app/ScreenReaderNames.h"

#include <utility>

#include "Components/PulseButton/PNGButtonBase.h"
#include "platform/lang/Translate.h"

namespace veskel {

void GiveScreenReaderNames(Form& window) {
    static const std::pair<const char*, const char*> kHints[] = {
        {"PulseButton2", TrLater("Текст выше")},
        {"PulseButton1", TrLater("Текст левее")},
        {"PulseButton4", TrLater("Текст правее")},
        {"PulseButton3", TrLater("Текст ниже")},
        {"SmallGlassButton1", TrLater("Текст правее")},
        {"SmallGlassButton2", TrLater("Текст левее")},
        {"SmallGlassButton3", TrLater("Текст ниже")},
        {"SmallGlassButton4", TrLater("Текст выше")},
        {"GlassButton4", TrLater("Позиция текста по умолчанию")},
        {"GlassButton1", TrLater("Случайный цвет 1")},
        {"GlassButton2", TrLater("Случайный цвет 2")},
        {"GlassButton3", TrLater("Поменять цвета местами")},
        {"ClrBox3", TrLater("Цвет рамки")},
        {"GlassButton8", TrLater("Выбрать изображение")},
        {"PulseButton5", TrLater("Изображение выше")},
        {"PulseButton6", TrLater("Изображение левее")},
        {"PulseButton8", TrLater("Изображение правее")},
        {"PulseButton7", TrLater("Изображение ниже")},
        {"GlassButton11", TrLater("Позиция изображения по умолчанию")},
        {"PulseButton9", TrLater("Уменьшить высоту изображения")},
        {"PulseButton11", TrLater("Увеличить высоту изображения")},
        {"PulseButton10", TrLater("Уменьшить ширину изображения")},
        {"PulseButton12", TrLater("Увеличить ширину изображения")},
        {"PulseButton15", TrLater("Растянуть изображение влево и вверх")},
        {"PulseButton13", TrLater("Растянуть изображение вправо и вверх")},
        {"PulseButton16", TrLater("Растянуть изображение влево и вниз")},
        {"PulseButton14", TrLater("Растянуть изображение вправо и вниз")},
        {"GlassButton9", TrLater("Размер изображения по умолчанию")},
        {"GlassButton5", TrLater("Создать новый проект")},
        {"GlassButton6", TrLater("Открыть существующий проект")},
        {"GlassButton7", TrLater("Сохранить текущий проект")},
        {"GlassButton10", TrLater("Сохранить изображение")},
    };
    for (const auto& [name, text] : kHints) {
        Control* c = window.FindComponent(name);
        if (auto* imageButton = dynamic_cast<TPNGButtonBase*>(c)) imageButton->SetSpokenName(Tr(text));
        else if (c) c->SetHint(Tr(text));
    }
}

}  // namespace veskel
