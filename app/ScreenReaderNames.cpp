#include "app/ScreenReaderNames.h"

#include <utility>

#include "platform/lang/Translate.h"

namespace veskel {

void GiveScreenReaderNames(Form& window) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"PulseButton2", TrLater("Текст выше")},
        {"PulseButton1", TrLater("Текст левее")},
        {"PulseButton4", TrLater("Текст правее")},
        {"PulseButton3", TrLater("Текст ниже")},
        {"SmallGlassButton1", TrLater("Увеличить позицию текста X")},
        {"SmallGlassButton2", TrLater("Уменьшить позицию текста X")},
        {"SmallGlassButton3", TrLater("Увеличить позицию текста Y")},
        {"SmallGlassButton4", TrLater("Уменьшить позицию текста Y")},
        {"GlassButton4", TrLater("Позиция текста по умолчанию")},
        {"GlassButton1", TrLater("Случайный цвет 1")},
        {"GlassButton2", TrLater("Случайный цвет 2")},
        {"GlassButton3", TrLater("Поменять цвета местами")},
        {"GlassSlider1", TrLater("Сила узора")},
        {"GlassSlider2", TrLater("Сила зеркального узора")},
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
    for (const auto& [name, text] : kNames)
        if (Control* c = window.FindComponent(name)) c->SetSpokenName(Tr(text));
}

}  // namespace veskel
