#pragma once
// A shown headless form holding the colour picker's table and hue slider at the places the
// palette pop-up gives them, for the interaction and golden-image tests of both controls.
#include <gtest/gtest.h>

#include <string>

#include "Components/HLSColorTable/HLSColorTable.h"
#include "Components/HLSSlider/HLSSlider.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel::testing {

class ColourPickerTest : public ::testing::Test {
protected:
    ColourPickerTest() : rounding(RoundingMode::NearestEven), app(backend) {
        form = app.CreateForm<Form>();
        form->SetBounds(100, 100, 344, 332);
        form->SetColor(RGB(235, 235, 235));
        table = form->CreateOwned<THLSColorTable>();
        table->SetName("HLSColorTable1");
        table->SetBounds(72, 24, 257, 257);
        table->SetParent(form);
        slider = form->CreateOwned<THLSSlider>();
        slider->SetName("HLSSlider1");
        slider->SetBounds(68, 288, 266, 25);
        slider->SetParent(form);
        form->ShowForm();
    }

    // A control's pixels on the form.
    Bitmap Shot(const Control& c) const {
        Bitmap out(c.Width(), c.Height());
        const Point o = c.OffsetInForm();
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x) out.SetPixel(x, y, form->Surface().Pixel(o.x + x, o.y + y));
        return out;
    }
    // Pointer actions at control coordinates.
    void Press(const Control& c, int x, int y, MouseButton b = MouseButton::Left) {
        const Point o = c.OffsetInForm();
        backend.MouseMove(*form, o.x + x, o.y + y);
        backend.MouseDown(*form, o.x + x, o.y + y, b);
    }
    void MoveTo(const Control& c, int x, int y) {
        const Point o = c.OffsetInForm();
        backend.MouseMove(*form, o.x + x, o.y + y);
    }
    void Release(const Control& c, int x, int y, MouseButton b = MouseButton::Left) {
        const Point o = c.OffsetInForm();
        backend.MouseUp(*form, o.x + x, o.y + y, b);
    }

    ScopedRoundingModeForTesting rounding;
    HeadlessBackend backend;
    Application app;
    Form* form = nullptr;
    THLSColorTable* table = nullptr;
    THLSSlider* slider = nullptr;
};

// Compares pixels with a reviewed image in tests/golden/components; on a difference (or a missing
// image) writes this run's pixels to the temporary folder and fails, naming both files. A new or
// changed golden image is copied from there by hand after looking at it.
void ExpectGolden(const Bitmap& pixels, const std::string& name);

}  // namespace veskel::testing
