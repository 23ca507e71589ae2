#pragma once
// Probe controls and a fixture shared by the framework tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel::testing {

using Log = std::vector<std::string>;

// A windowless control that fills itself, or blends half over what lies beneath (so repeated
// painting over its own earlier result would drift), and records what it saw beneath it.
class Probe : public GraphicControl {
public:
    Probe(Log* log, Color color, bool blend = false) : log_(log), color_(color), blend_(blend) {}
    Color seenBeneath = 0;
    int paints = 0;

protected:
    void Paint(Canvas& c) override {
        ++paints;
        if (log_) log_->push_back(Name());
        seenBeneath = c.Pixel(0, 0);
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) {
                Color d = c.Pixel(x, y);
                Color out = blend_ ? RGB((GetR(d) + GetR(color_)) / 2, (GetG(d) + GetG(color_)) / 2,
                                         (GetB(d) + GetB(color_)) / 2)
                                   : color_;
                c.SetPixel(x, y, out);
            }
        // Deliberately paint outside the rectangle: the clip must keep it in.
        c.SetPixel(-1, -1, RGB(255, 0, 255));
        c.SetPixel(Width(), Height(), RGB(255, 0, 255));
    }

private:
    Log* log_;
    Color color_;
    bool blend_;
};

class WinProbe : public CustomControl {
public:
    explicit WinProbe(Log* log, Color color) : log_(log) { SetColor(color); }

protected:
    void Paint(Canvas&) override {
        if (log_) log_->push_back(Name());
    }

private:
    Log* log_;
};

class TestForm : public Form {
public:
    explicit TestForm(Log* log = nullptr) : log_(log) {
        SetName("Form");
        SetColor(RGB(10, 20, 30));
        SetBounds(100, 50, 200, 100);
    }

protected:
    void Paint(Canvas&) override {
        if (log_) log_->push_back("Form");
    }

private:
    Log* log_;
};

struct UiTest : ::testing::Test {
    HeadlessBackend backend;
    Application app{backend};
};

template <class T, class... Args>
T* Add(Control& parent, const char* name, Rect r, Args&&... args) {
    T* c = parent.CreateOwned<T>(std::forward<Args>(args)...);
    c->SetName(name);
    c->SetBounds(r.left, r.top, r.Width(), r.Height());
    c->SetParent(&parent);
    return c;
}

}  // namespace veskel::testing
