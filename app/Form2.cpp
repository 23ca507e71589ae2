#include "app/Form2.h"

#include "platform/Resources.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

namespace {
constexpr const char* kLayout = "app/res/Form2.layout";
constexpr int kSidePerCell = 19;
constexpr int kGridPitch = 15;
}  // namespace

TForm2::TForm2() {
    RegisterFrameworkClasses();
    const auto text = Resource(kLayout);
    LoadOptions options;
    options.bindEvent = [this](Control& c, const std::string& event, const std::string& handler) {
        if (handler == "SpinEdit1Change") {
            if (auto* spin = dynamic_cast<TSpinEdit*>(&c)) spin->OnChange = [this](Control& s) { SpinEdit1Change(s); };
            return true;
        }
        // The picture's press and release handlers do nothing visible.
        return (handler == "Image1MouseDown" && event == "OnMouseDown") ||
               (handler == "Image1MouseUp" && event == "OnMouseUp");
    };
    LoadLayout(*this, std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), options);
    SpinEdit1 = Find<TSpinEdit>("SpinEdit1");
    Image1 = Find<TImage>("Image1");
    if (!SpinEdit1 || !Image1) throw LayoutError(std::string(kLayout) + " lacks SpinEdit1 or Image1");
}

void TForm2::SpinEdit1Change(Control&) {
    const int n = SpinEdit1->Value();
    const int side = kSidePerCell * n;
    Image1->SetBounds(Image1->Left(), Image1->Top(), side, side);
    Bitmap& bitmap = Image1->PictureBitmap();
    ResizeKeeping(bitmap, side, side, kWhite);
    Canvas canvas(bitmap);
    canvas.pen.color = kBlack;
    for (int a = 0; a < n; ++a) {
        canvas.MoveTo(kGridPitch * a, 0);
        canvas.LineTo(kGridPitch * a, kGridPitch * n);
        canvas.MoveTo(0, kGridPitch * a);
        canvas.LineTo(kGridPitch * n, kGridPitch * a);
    }
    Image1->Invalidate();
}

}  // namespace veskel
