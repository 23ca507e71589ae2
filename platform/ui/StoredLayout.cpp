#include "platform/ui/StoredLayout.h"

#include <map>

#include "platform/ui/Control.h"
#include "platform/ui/LayoutTexts.h"
#include "platform/ui/NoCase.h"

namespace veskel {

// ---------------------------------------------------------------- registry

namespace {
std::map<std::string, ControlFactory, detail::NoCaseLess>& Registry() {
    static std::map<std::string, ControlFactory, detail::NoCaseLess> registry;
    return registry;
}
}  // namespace

void RegisterControlClass(const std::string& className, ControlFactory factory) {
    Registry()[className] = std::move(factory);
}

bool IsControlClassRegistered(std::string_view className) { return Registry().find(className) != Registry().end(); }

std::vector<std::string> RegisteredControlClasses() {
    std::vector<std::string> names;
    for (const auto& entry : Registry()) names.push_back(entry.first);
    return names;
}

std::unique_ptr<Control> CreateControl(std::string_view className) {
    auto it = Registry().find(className);
    if (it == Registry().end()) throw LayoutError("Class " + std::string(className) + " not found");
    std::unique_ptr<Control> c = it->second();
    if (!c) throw LayoutError("Class " + std::string(className) + " could not be created");
    return c;
}

// ---------------------------------------------------------------- loading and saving

namespace {

void ApplyProperties(Control& c, const LayoutObject& o, const LoadOptions& options) {
    for (const LayoutProperty& p : o.properties) {
        try {
            bool known;
            if (p.value.kind == LayoutValue::Kind::Binary) {
                std::vector<std::uint8_t> encoded = EncodeBinaryValue(p.value.binary);
                known = c.ReadBinaryProperty(p.name, encoded);
            } else {
                known = c.SetProperty(p.name, ShownLayoutValue(p.name, p.value));
            }
            if (!known && p.value.kind == LayoutValue::Kind::Identifier && detail::StartsWithNoCase(p.name, "On")) {
                c.StoredEvents().emplace_back(p.name, p.value.text);
                if (options.bindEvent) options.bindEvent(c, p.name, p.value.text);
                known = true;
            }
            if (!known && !options.ignoreUnknownProperties) throw LayoutError("Property does not exist");
        } catch (const std::exception& e) {
            std::string who = o.name.empty() ? o.className : o.name;
            throw LayoutError("Error reading " + who + "." + p.name + " (line " + std::to_string(o.line) +
                              "): " + e.what());
        }
    }
}

// `held` collects the controls whose alignment waits for the end of the load, parents first.
void LoadObject(Control& root, Control& c, const LayoutObject& o, const LoadOptions& options,
                std::vector<Control*>& loaded, std::vector<Control*>& held) {
    c.DisableAlign();
    held.push_back(&c);
    ApplyProperties(c, o, options);
    loaded.push_back(&c);
    for (const LayoutObject& child : o.children) {
        if (!c.IsWindowed()) {
            throw LayoutError("Error reading " + child.name + " (line " + std::to_string(child.line) + "): " +
                              (o.name.empty() ? o.className : o.name) + " cannot hold child controls");
        }
        std::unique_ptr<Control> made;
        try {
            made = CreateControl(child.className);
        } catch (const std::exception& e) {
            throw LayoutError("Error reading " + child.name + " (line " + std::to_string(child.line) + "): " +
                              e.what());
        }
        Control* k = root.Own(std::move(made));
        k->SetName(child.name);
        k->SetParent(&c);
        LoadObject(root, *k, child, options, loaded, held);
    }
}

LayoutObject SaveObject(const Control& root, const Control& c) {
    LayoutObject o;
    o.name = c.Name();
    o.className = c.ClassName();
    c.GetProperties(o.properties);
    for (const auto& [event, handler] : c.StoredEvents()) o.properties.push_back({event, LayoutValue::Ident(handler)});
    for (const Control* child : c.Children())
        if (child->Owner() == &root) o.children.push_back(SaveObject(root, *child));
    return o;
}

}  // namespace

void LoadLayout(Control& root, const LayoutObject& layout, const LoadOptions& options) {
    RegisterFrameworkClasses();
    if (root.Name().empty()) root.SetName(layout.name);
    std::vector<Control*> loaded;
    // Aligned controls are placed once everything is read, so that the result does not depend
    // on whether a control's bounds were stored before or after its Align: what loads is what
    // the alignment gives, and what is saved from it reads back the same. The root's parent
    // waits too, as the root may be aligned in it.
    std::vector<Control*> held;
    if (Control* outer = root.Parent()) {
        outer->DisableAlign();
        held.push_back(outer);
    }
    try {
        LoadObject(root, root, layout, options, loaded, held);
    } catch (...) {
        // Release what was held, but report the load's own error.
        for (Control* c : held) {
            try {
                c->EnableAlign();
            } catch (...) {
            }
        }
        throw;
    }
    for (Control* c : held) c->EnableAlign();
    for (Control* c : loaded) c->Loaded();
}

void LoadLayout(Control& root, std::string_view text, const LoadOptions& options) {
    LoadLayout(root, ParseLayout(text), options);
}

LayoutObject SaveLayout(const Control& root) { return SaveObject(root, root); }

}  // namespace veskel