#include "app/ScreenReaderNames.h"

#include <utility>

#include "Components/PulseButton/PNGButtonBase.h"

namespace veskel {

void GiveScreenReaderNames(Form& window) {
    static const std::pair<const char*, const char*> kHints[] = {
        {"PulseButton2", "Текст выше"},
        {"PulseButton1", "Текст левее"},
        {"PulseButton4", "Текст правее"},
        {"PulseButton3", "Текст ниже"},
        {"SmallGlassButton1", "Текст правее"},
        {"SmallGlassButton2", "Текст левее"},
        {"SmallGlassButton3", "Текст ниже"},
        {"SmallGlassButton4", "Текст выше"},
        {"GlassButton4", "Позиция текста по умолчанию"},
        {"GlassButton1", "Случайный цвет 1"},
        {"GlassButton2", "Случайный цвет 2"},
        {"GlassButton3", "Поменять цвета местами"},
        {"ClrBox3", "Цвет рамки"},
        {"GlassButton8", "Выбрать изображение"},
        {"PulseButton5", "Изображение выше"},
        {"PulseButton6", "Изображение левее"},
        {"PulseButton8", "Изображение правее"},
        {"PulseButton7", "Изображение ниже"},
        {"GlassButton11", "Позиция изображения по умолчанию"},
        {"PulseButton9", "Уменьшить высоту изображения"},
        {"PulseButton11", "Увеличить высоту изображения"},
        {"PulseButton10", "Уменьшить ширину изображения"},
        {"PulseButton12", "Увеличить ширину изображения"},
        {"PulseButton15", "Растянуть изображение влево и вверх"},
        {"PulseButton13", "Растянуть изображение вправо и вверх"},
        {"PulseButton16", "Растянуть изображение влево и вниз"},
        {"PulseButton14", "Растянуть изображение вправо и вниз"},
        {"GlassButton9", "Размер изображения по умолчанию"},
        {"GlassButton5", "Создать новый проект"},
        {"GlassButton6", "Открыть существующий проект"},
        {"GlassButton7", "Сохранить текущий проект"},
        {"GlassButton10", "Сохранить изображение"},
    };
    for (const auto& [name, text] : kHints) {
        Control* c = window.FindComponent(name);
        if (auto* imageButton = dynamic_cast<TPNGButtonBase*>(c)) imageButton->SetSpokenName(text);
        else if (c) c->SetHint(text);
    }
}

}  // namespace veskel
