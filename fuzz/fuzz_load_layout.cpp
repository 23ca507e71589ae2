// Fuzzes the stored-layout reader with the glass controls registered: any text must load into a
// panel or fail with a LayoutError that says where; what loaded must paint, and must write a
// layout that reads back to the same text. The seeds carry image buttons with PNG blocks, check
// boxes, small buttons, striped backgrounds and a shadow panel.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Components/Registration/Registration.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/StoredLayout.h"

namespace {

struct World {
    World() : app(backend) {
        veskel::RegisterFrameworkClasses();
        veskel::RegisterComponentClasses();
        app.OnException = [](const std::string&) {};
    }
    veskel::HeadlessBackend backend;
    veskel::Application app;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World world;
    using namespace veskel;
    // The layout goes into a panel on a form of fixed size, so that no stored size can ask for a
    // surface of any size; the controls inside may claim any bounds, painting clips them.
    Form form;
    form.SetBounds(0, 0, 160, 120);
    auto* panel = form.CreateOwned<CustomControl>();
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 160, 120);
    form.FinishCreate();
    form.ShowForm();
    try {
        LoadLayout(*panel, std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const LayoutError&) {
        return 0;
    }
    form.PaintAll();
    // Hover everything once: the image buttons paint their frame and pulse on the clock.
    for (int y = 4; y < 120; y += 16)
        for (int x = 4; x < 160; x += 16) world.backend.MouseMove(form, x, y);
    world.backend.AdvanceClock(200);
    world.backend.MouseExit(form);
    const std::string text = WriteLayout(SaveLayout(*panel));
    // The copy loads into the same surroundings as the original: a panel aligned in its form
    // takes the form's size, which must be the same for the texts to match.
    Form again;
    again.SetBounds(0, 0, 160, 120);
    auto* copy = again.CreateOwned<CustomControl>();
    copy->SetParent(&again);
    copy->SetBounds(0, 0, 160, 120);
    try {
        LoadLayout(*copy, std::string_view(text));
    } catch (const LayoutError&) {
        std::abort();  // what we wrote must read back
    }
    if (WriteLayout(SaveLayout(*copy)) != text) std::abort();
    return 0;
}
