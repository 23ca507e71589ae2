#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include "../components/GoldenCheck.h"
#include "Components/ColorBox/ColorBox.h"
#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassHeader/GlassHeader.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "Components/TestPanel/TestPanel.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Application.h"
#include "platform/ui/StockControls.h"

namespace veskel {
namespace {

struct MainWindowTest : ::testing::Test {
    ScopedRoundingModeForTesting rounding{RoundingMode::NearestEven};
    HeadlessBackend backend;
    Application app{backend};
    TForm1* form = nullptr;
    void SetUp() override {
        form = StartDesigner();
        form->PaintAll();
    }
};

TEST_F(MainWindowTest, Screenshot) {
    HeadlessBackend::SavePng(*form, "/tmp/mainwindow.png");
}

}  // namespace
}  // namespace veskel
namespace veskel { namespace {
TEST_F(MainWindowTest, Widths) {
    for (const char* n : {"AALabel1", "AALabel2", "AALabel4", "AALabel5"}) {
        Bitmap b(1, 1); Canvas c(b); c.font = form->FindComponent(n)->GetFont();
        printf("%s %d\n", n, c.TextWidth(form->FindComponent(n)->Caption()));
    }
}
}}
