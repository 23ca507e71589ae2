#pragma once
// The stored properties of a control class, declared once. A class fills one table with an entry
// per property (name, getter, setter, default) in the order it declares them; the stored-layout
// reader applies a property through the entry of its name and the writer walks the table in
// order. A value equal to the entry's default is not written; an entry without a default is
// always written.
//
//   const PropertyTable& TGlassButton::StoredProperties() const {
//       static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
//           .Add("BlueButton", &TGlassButton::BlueButton, &TGlassButton::SetBlueButton, false)
//           .Add("HUE", &TGlassButton::HUE, &TGlassButton::SetHUE);
//       return table;
//   }
//
// A table starts as a copy of its base class's table, so a class's own properties follow the
// inherited ones. Names match without regard to case, as stored layouts spell them freely.
// Value types: bool, int, std::intptr_t, std::string, std::vector<std::string> (a list of
// strings) and Color (an integer or a clXxx name); enumerations go through AddNamed; anything
// else (conditions, groups such as "Font.", binary blocks) through an Entry of its own.
//
// The table lists the class's events too, next to its properties:
//   .Event("OnPreChange", &TGlassSlider::OnPreChange)
// so the reader connects a stored binding ("OnPreChange = GlassSlider1PreChange") to a handler
// by the event's name, whatever the control's class. Events are never written as properties.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/ui/LayoutValue.h"
#include "platform/ui/Control.h"

namespace veskel {

class Control;

// An identifier that stands for an integer in a stored layout ("crHandPoint" = -21).
struct NamedValue {
    const char* name;
    int value;
};
// The value of a name in the table (integers are accepted as they are); LayoutError otherwise.
int ValueFromName(const LayoutValue& value, std::span<const NamedValue> names, const char* what);
// The name of a value, or the plain integer when the table has no name for it.
LayoutValue NameFromValue(int value, std::span<const NamedValue> names);

// Conversion between a C++ value and its stored form; one specialisation per value type.
template <class T>
struct StoredValue;
template <>
struct StoredValue<bool> {
    static bool Read(const LayoutValue& v) { return v.AsBool(); }
    static LayoutValue Write(bool v) { return LayoutValue::Bool(v); }
};
template <>
struct StoredValue<int> {
    static int Read(const LayoutValue& v) { return v.AsInt32(); }
    static LayoutValue Write(int v) { return LayoutValue::Int(v); }
};
template <>
struct StoredValue<long> {
    static long Read(const LayoutValue& v) { return long(v.AsInt()); }
    static LayoutValue Write(long v) { return LayoutValue::Int(v); }
};
template <>
struct StoredValue<std::string> {
    static std::string Read(const LayoutValue& v) { return v.AsString(); }
    static LayoutValue Write(const std::string& v) { return LayoutValue::Str(v); }
};
template <>
struct StoredValue<std::vector<std::string>> {
    static std::vector<std::string> Read(const LayoutValue& v) { return v.AsStrings(); }
    static LayoutValue Write(const std::vector<std::string>& v);
};
// Color is the one unsigned stored type: an integer or a clXxx identifier.
template <>
struct StoredValue<Color> {
    static Color Read(const LayoutValue& v);
    static LayoutValue Write(Color v);
};

class PropertyTable {
public:
    // Applies a stored value (name is the stored name, useful for groups); false when the entry
    // does not know the name after all (an unknown member of a group).
    using Reader = std::function<bool(Control& control, std::string_view name, const LayoutValue& value)>;
    // Appends what the control stores for this entry (nothing at the default).
    using Writer = std::function<void(const Control& control, std::vector<LayoutProperty>& out)>;
    // Which stored names an entry takes, when not simply its own name.
    using Matcher = std::function<bool(std::string_view name)>;

    struct Entry {
        std::string name;  // as written; a name ending in '.' takes every "name.Sub" ("Font.")
        Reader read;
        Writer write;      // empty: read only (an alias, or a value the class accepts but never writes)
        Matcher matches;   // empty: the name itself (and its members for a group)
    };

    PropertyTable() = default;

    // A property written unless it equals its default (or always, without a default). The getter
    // and setter are the control's own: Add("HUE", &TGlassButton::HUE, &TGlassButton::SetHUE, 0).
    template <class G, class R, class SetFn>
    PropertyTable& Add(std::string name, R (G::*get)() const, SetFn set) {
        using V = std::remove_cvref_t<R>;
        return AddTyped<V>(std::move(name), get, Setter<V>(set), std::nullopt);
    }
    template <class G, class R, class SetFn, class D>
    PropertyTable& Add(std::string name, R (G::*get)() const, SetFn set, D defaultValue) {
        using V = std::remove_cvref_t<R>;
        return AddTyped<V>(std::move(name), get, Setter<V>(set), std::optional<V>(V(defaultValue)));
    }
    // An enumeration stored by name ("alClient"); integers are read too. `kind` names the kind
    // in the error for an unknown name ("unknown alignment 'alMiddle'"); the property name serves
    // by default.
    template <class G, class R, class SetFn, class D>
    PropertyTable& AddNamed(std::string name, R (G::*get)() const, SetFn set, std::span<const NamedValue> names,
                            D defaultValue, const char* kind = nullptr) {
        using V = std::remove_cvref_t<R>;
        const int def = int(defaultValue);
        const std::string n = name;
        const std::string what = kind ? kind : name;
        auto apply = Setter<V>(set);
        return Add(Entry{n,
                         [apply, names, what](Control& c, std::string_view, const LayoutValue& v) {
                             apply(c, V(ValueFromName(v, names, what.c_str())));
                             return true;
                         },
                         [get, names, def, n](const Control& c, std::vector<LayoutProperty>& out) {
                             const int v = int((static_cast<const G&>(c).*get)());
                             if (v != def) out.push_back({n, NameFromValue(v, names)});
                         },
                         {}});
    }
    // Any other entry. An entry of a name already in the table replaces it where it stands.
    PropertyTable& Add(Entry entry);

    // An event the stored layout may bind by name. A handler bound to an event with more
    // arguments than the sender (a mouse event) receives only the sender.
    template <class C, class E>
    PropertyTable& Event(std::string name, E C::*member) {
        return AddEvent(std::move(name), [member](Control& c, NotifyEvent h) {
            E& slot = static_cast<C&>(c).*member;
            if constexpr (std::is_same_v<E, NotifyEvent>) {
                slot = std::move(h);
            } else {
                slot = [h = std::move(h)](Control& sender, auto&&...) {
                    if (h) h(sender);
                };
            }
        });
    }
    // The named events of another table, appended in the order given (std::logic_error for one
    // it lacks).
    PropertyTable& EventsFrom(const PropertyTable& other, std::initializer_list<std::string_view> names);
    // Connects a handler to the control's event of that name; false when the class has no such
    // event.
    bool BindEvent(Control& control, std::string_view name, NotifyEvent handler) const;
    bool HasEvent(std::string_view name) const;
    // Copies of the named entries of another table (usually the base class's), appended in the
    // order given; an entry that table does not have is a programming error (std::logic_error).
    PropertyTable& AddFrom(const PropertyTable& other, std::initializer_list<std::string_view> names);
    // The named entry, kept for reading but no longer written.
    PropertyTable& ReadOnly(std::string_view name);
    PropertyTable& Remove(std::string_view name);

    // The entry that takes a stored name, or nullptr.
    const Entry* Find(std::string_view name) const;
    const std::vector<Entry>& Entries() const { return entries_; }

    // Applies one stored value; false when no entry takes the name. Wrong kinds throw LayoutError.
    bool Apply(Control& control, std::string_view name, const LayoutValue& value) const;
    // Appends every stored value of the control in table order.
    void Write(const Control& control, std::vector<LayoutProperty>& out) const;

private:
    // The setter as a call on a Control.
    template <class V, class S, class A, class Ret>
    static auto Setter(Ret (S::*set)(A)) {
        return [set](Control& c, V v) { (static_cast<S&>(c).*set)(std::move(v)); };
    }

    template <class V, class G, class R, class Apply>
    PropertyTable& AddTyped(std::string name, R (G::*get)() const, Apply apply, std::optional<V> def) {
        const std::string n = name;
        return Add(Entry{n,
                         [apply](Control& c, std::string_view, const LayoutValue& v) {
                             apply(c, StoredValue<V>::Read(v));
                             return true;
                         },
                         [get, def, n](const Control& c, std::vector<LayoutProperty>& out) {
                             const V& v = (static_cast<const G&>(c).*get)();
                             if (!def || !(v == *def)) out.push_back({n, StoredValue<V>::Write(v)});
                         },
                         {}});
    }

    using EventBinding = std::function<void(Control& control, NotifyEvent handler)>;
    struct EventEntry {
        std::string name;
        EventBinding bind;
    };
    PropertyTable& AddEvent(std::string name, EventBinding bind);
    const EventEntry* FindEvent(std::string_view name) const;

    std::vector<Entry> entries_;
    std::vector<EventEntry> events_;
};

}  // namespace veskel
