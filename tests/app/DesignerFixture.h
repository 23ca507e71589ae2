#pragma once
// The designer's main window on the headless backend, started as the program starts it, with the
// pointer helpers the window tests share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../components/GoldenCheck.h"
#include "app/MainWindow.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Application.h"

namespace veskel::testing {

struct DesignerFixture : ::testing::Test {
    ScopedRoundingModeForTesting rounding{RoundingMode::NearestEven};
    HeadlessBackend backend;
    Application app{backend};
    TForm1* form = nullptr;
    std::vector<std::string> errors;

    void SetUp() override {
        app.OnException = [this](const std::string& m) { errors.push_back(m); };
        form = StartDesigner();
        form->PaintAll();
    }
    // A point of the named control in form coordinates: (dx, dy) inside it, its centre by default.
    Point At(const char* name, int dx = -1, int dy = -1) {
        const Control* c = form->FindComponent(name);
        const Point o = c->OffsetInForm();
        return {o.x + (dx < 0 ? c->Width() / 2 : dx), o.y + (dy < 0 ? c->Height() / 2 : dy)};
    }
    // A click, well apart from the previous one (two quick clicks make a double click).
    void ClickOn(const char* name) {
        backend.AdvanceClock(600);
        const Point p = At(name);
        backend.Click(*form, p.x, p.y);
    }
    // A click on tab i (0..3) of the paged container.
    void ShowPage(int i) {
        const int centres[] = {38, 103, 177, 266};
        backend.Click(*form, 28 + centres[i], 62);
    }
    // Every page against its reviewed image in goldenDir, the first page twice: the list boxes of
    // the second page switch every later rounding to downward, which changes the smooth edges of
    // its labels and the tint of its skins.
    void ExpectEveryPage(const char* goldenDir) {
        const char* names[] = {"page1-text-colors", "page2-effects", "page3-overlay", "page4-save-open",
                               "page1-after-effects"};
        for (int i = 0; i < 5; ++i) {
            ShowPage(i % 4);
            backend.MouseMove(*form, 5, 470);  // off every control
            backend.AdvanceClock(500);
            form->PaintAll();
            ExpectGolden(form->Surface(), goldenDir, names[i]);
        }
    }
};

}  // namespace veskel::testing
