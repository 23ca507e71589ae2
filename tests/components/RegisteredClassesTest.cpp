// Every class the program registers: it is created by its stored name, and its stored layout
// reads back to the very same text. Every class named in a stored layout the program embeds
// (resources ending in ".layout") is registered.
#include <gtest/gtest.h>

#include "Components/Registration/Registration.h"
#include "platform/Resources.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/Form.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {
namespace {

struct RegisteredClasses : ::testing::Test {
    RegisteredClasses() {
        RegisterFrameworkClasses();
        RegisterComponentClasses();
    }
    HeadlessBackend backend;
    Application app{backend};
};

// One control of the class on a form, the form's layout written as text.
std::string SavedWith(const std::string& className) {
    Form form;
    Control* c = form.Own(CreateControl(className));
    c->SetName("Probe1");
    c->SetParent(&form);
    return WriteLayout(SaveLayout(form));
}

TEST_F(RegisteredClasses, EveryClassIsMadeUnderItsStoredName) {
    const std::vector<std::string> names = RegisteredControlClasses();
    EXPECT_GE(names.size(), 2u);
    for (const std::string& name : names) EXPECT_EQ(CreateControl(name)->ClassName(), name);
}

TEST_F(RegisteredClasses, SaveReadSaveGivesTheSameText) {
    for (const std::string& name : RegisteredControlClasses()) {
        SCOPED_TRACE(name);
        const std::string first = SavedWith(name);
        Form again;
        LoadLayout(again, std::string_view(first));
        EXPECT_EQ(WriteLayout(SaveLayout(again)), first);
    }
}

TEST_F(RegisteredClasses, EveryClassOfAnEmbeddedLayoutResolves) {
    std::function<void(const LayoutObject&, const std::string&)> check = [&](const LayoutObject& o,
                                                                          const std::string& file) {
        for (const LayoutObject& child : o.children) {
            EXPECT_TRUE(IsControlClassRegistered(child.className)) << file << ": " << child.name << ": " << child.className;
            check(child, file);
        }
    };
    for (const std::string& name : ResourceNames()) {
        if (!name.ends_with(".layout")) continue;
        const auto bytes = Resource(name);
        check(ParseLayout(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())), name);
    }
}

}  // namespace
}  // namespace veskel
