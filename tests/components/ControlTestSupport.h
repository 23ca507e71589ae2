#pragma once
// Shared helpers for the tests of one glass control: a headless application with one shown
// form of a plain colour, and snapshots of a control's pixels as the form shows them.
//
//   ControlStage stage;                            // 140 x 50, grey 232
//   auto* b = stage.Add<TGlassButton>(10, 10);
//   Bitmap before = stage.Shot(*b);                // repaints the form, then cuts the control out
//   stage.backend.MouseMove(*stage.form, 20, 20);  // pointer in form coordinates
#include <memory>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel::testing {

// The control's rectangle of its form's surface as it stands (no repaint first).
inline Bitmap Snapshot(const Control& c) {
    const Form* form = c.GetForm();
    Bitmap out(c.Width(), c.Height());
    if (!form) return out;
    const Point o = c.OffsetInForm();
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) out.SetPixel(x, y, form->Surface().Pixel(o.x + x, o.y + y));
    return out;
}

// The middle of a control in form coordinates (where a test's pointer lands on it).
inline Point CentreInForm(const Control& c) {
    const Point o = c.OffsetInForm();
    return {o.x + c.Width() / 2, o.y + c.Height() / 2};
}

struct ControlStage {
    explicit ControlStage(Size size = {140, 50}, Color background = RGB(232, 232, 232)) : app(backend) {
        form = app.CreateForm<Form>();
        form->SetBounds(0, 0, size.width, size.height);
        form->SetColor(background);
        form->FinishCreate();
        form->ShowForm();
    }

    // A new control of class T owned by and shown on the form at (left, top), at its own size.
    template <class T, class... Args>
    T* Add(int left, int top, Args&&... args) {
        T* c = form->CreateOwned<T>(std::forward<Args>(args)...);
        c->SetParent(form);
        c->SetLeft(left);
        c->SetTop(top);
        return c;
    }

    // The control's pixels after a full repaint of the form.
    Bitmap Shot(const Control& c) {
        form->PaintAll();
        return Snapshot(c);
    }

    HeadlessBackend backend;
    Application app;
    Form* form = nullptr;
};

}  // namespace veskel::testing
