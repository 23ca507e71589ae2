#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/StandardControls.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {
namespace {

struct StandardControls : ::testing::Test {
    StandardControls() : app(backend) {
        form = app.CreateForm<Form>();
        form->SetBounds(0, 0, 120, 80);
        form->SetColor(RGB(200, 200, 200));
        form->ShowForm();
    }
    Color At(int x, int y) {
        form->PaintAll();
        return form->Surface().Pixel(x, y);
    }
    HeadlessBackend backend;
    Application app;
    Form* form;
};

TEST_F(StandardControls, PanelBevels) {
    auto* p = form->CreateOwned<Panel>();
    p->SetParent(form);
    p->SetBounds(10, 10, 40, 30);
    p->SetColor(RGB(247, 247, 247));
    // Raised: light top and left edges, shadowed bottom and right edges, which own the top right
    // and bottom left corners.
    EXPECT_EQ(At(10, 10), RGB(255, 255, 255));
    EXPECT_EQ(At(30, 10), RGB(255, 255, 255));
    EXPECT_EQ(At(10, 25), RGB(255, 255, 255));
    EXPECT_EQ(At(49, 10), RGB(160, 160, 160));
    EXPECT_EQ(At(49, 25), RGB(160, 160, 160));
    EXPECT_EQ(At(10, 39), RGB(160, 160, 160));
    EXPECT_EQ(At(30, 20), RGB(247, 247, 247));
    p->SetBevelOuter(BevelCut::Lowered);
    EXPECT_EQ(At(30, 10), RGB(160, 160, 160));
    EXPECT_EQ(At(30, 39), RGB(255, 255, 255));
    p->SetBevelOuter(BevelCut::None);
    EXPECT_EQ(At(10, 10), RGB(247, 247, 247));
    EXPECT_EQ(At(49, 39), RGB(247, 247, 247));
}

TEST_F(StandardControls, ShapeOutlinesAndFillsItsRectangle) {
    auto* s = form->CreateOwned<Shape>();
    s->SetParent(form);
    s->SetBounds(5, 5, 28, 28);
    s->SetPenColor(RGB(150, 150, 150));
    s->SetBrushColor(RGB(10, 20, 30));
    EXPECT_EQ(At(5, 5), RGB(150, 150, 150));
    EXPECT_EQ(At(32, 32), RGB(150, 150, 150));
    EXPECT_EQ(At(6, 6), RGB(10, 20, 30));
    EXPECT_EQ(At(31, 31), RGB(10, 20, 30));
    EXPECT_EQ(At(33, 33), RGB(200, 200, 200));
}

TEST_F(StandardControls, TransparentLabelSizesToItsCaption) {
    auto* l = form->CreateOwned<Label>();
    l->SetParent(form);
    l->SetLeft(4);
    l->SetTop(4);
    l->SetTransparent(true);
    Font f;
    f.family = "Tahoma";
    f.pixelHeight = 11;
    f.color = RGB(126, 126, 126);
    l->SetFont(f);
    l->SetCaption("R:");
    const int narrow = l->Width();
    l->SetCaption("Select Background color:");
    EXPECT_GT(l->Width(), 4 * narrow);
    EXPECT_GT(l->Height(), 8);
    form->PaintAll();
    int ink = 0, background = 0;
    for (int y = l->Top(); y < l->Top() + l->Height(); ++y)
        for (int x = l->Left(); x < l->Left() + l->Width(); ++x) {
            const Color c = form->Surface().Pixel(x, y);
            ink += c == RGB(126, 126, 126);
            background += c == RGB(200, 200, 200);
        }
    EXPECT_GT(ink, 20);
    EXPECT_GT(background, ink);  // the form shows between the glyphs
}

TEST_F(StandardControls, StoredNamesRead) {
    RegisterFrameworkClasses();
    LoadLayout(*form, std::string_view(R"(object Form1: TForm
  object Panel1: TPanel
    Left = 2
    Top = 3
    BevelOuter = bvNone
    BorderWidth = 4
    object Shape1: TShape
      Brush.Color = 255
      Pen.Color = 9868950
      Shape = stRectangle
    end
    object Label1: TLabel
      Caption = 'S:'
      Transparent = True
    end
  end
end
)"));
    auto* panel = form->Find<Panel>("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->BevelOuter(), BevelCut::None);
    EXPECT_EQ(panel->BorderWidth(), 4);
    auto* shape = form->Find<Shape>("Shape1");
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->BrushColor(), RGB(255, 0, 0));
    EXPECT_EQ(shape->PenColor(), RGB(150, 150, 150));
    EXPECT_TRUE(form->Find<Label>("Label1")->Transparent());
}

}  // namespace
}  // namespace veskel
