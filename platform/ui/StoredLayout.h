#pragma once
// The stored layout of a window: a readable text form of a control tree, as the classic stored
// form has it:
//
//   object Form1: TForm1
//     Left = 192
//     Caption = 'Brannock '#1042'eskel'
//     Font.Style = [fsBold]
//     Lines.Strings = (
//       'one'
//       'two')
//     object GlassButton1: TGlassButton
//       QORPNGData1 = {
//         89504E470D0A1A0A...}
//       OnClick = GlassButton1Click
//     end
//   end
//
// Values: integers, floats, 'quoted' strings (a doubled quote is a quote; #nnn is the character
// with that code point; pieces join with + across lines), identifiers (True/False for booleans),
// sets [a, b], lists ( ... ) and binary values { hex } holding the payload bytes. Properties keep
// their stored order. The reader creates controls by class name through a registry and applies
// each property through the control's SetProperty, in stored order; a binary value reaches the
// control's ReadBinaryProperty in the stored-form binary encoding (type byte 10, 4-byte
// little-endian length, payload).
//
// The pieces: LayoutValue.h (values, binary encoding, fonts and colours), LayoutText.h (the text
// form) and, here, the class registry with loading and saving of control trees.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/LayoutText.h"
#include "platform/ui/LayoutValue.h"

namespace veskel {

class Control;

// ---- the class registry
using ControlFactory = std::function<std::unique_ptr<Control>()>;
// Registers (or replaces) the factory for a stored class name.
void RegisterControlClass(const std::string& className, ControlFactory factory);
// The usual case: RegisterControlClass<TGlassButton>("TGlassButton").
template <class T>
void RegisterControlClass(const std::string& className) {
    RegisterControlClass(className, [] { return std::make_unique<T>(); });
}
bool IsControlClassRegistered(std::string_view className);
// Every registered class name, sorted without regard to case.
std::vector<std::string> RegisteredControlClasses();
// A new control of a registered class; throws LayoutError for an unknown class.
std::unique_ptr<Control> CreateControl(std::string_view className);

// Registers the framework's own classes (TEdit), one line each in platform/ui/FrameworkClasses.cpp.
// The glass controls register through RegisterComponentClasses (Components/Registration). The
// program calls both once at start; LoadLayout calls this one too, and calling again is harmless.
void RegisterFrameworkClasses();

// Connects a stored event binding ("OnClick" = "GlassButton1Click") to code. Return false when
// the handler is unknown (the binding is kept on the control either way).
using EventBinder = std::function<bool(Control& control, const std::string& event, const std::string& handler)>;

struct LoadOptions {
    EventBinder bindEvent;
    // When false (the default) an unknown property is an error, as the classic reader has it.
    bool ignoreUnknownProperties = false;
};

// Applies a parsed layout to an existing root control (usually a form): the root's properties,
// then each child object, created through the registry, owned by the root and parented to its
// enclosing object, with its properties applied in stored order. Aligned controls are placed
// once all is read (so an Align stored before a control's bounds still decides where it sits);
// then Loaded() runs on every control. Errors name the object and property:
// "Error reading GlassButton1.HUE: ...".
void LoadLayout(Control& root, const LayoutObject& layout, const LoadOptions& options = {});
void LoadLayout(Control& root, std::string_view text, const LoadOptions& options = {});

// The layout of a control tree: the control's properties (GetProperties) and its children in
// z-order, recursively.
LayoutObject SaveLayout(const Control& root);

}  // namespace veskel
