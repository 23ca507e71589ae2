#include "platform/ui/PropertyTable.h"

#include <algorithm>
#include <stdexcept>

#include "platform/ui/NoCase.h"

namespace veskel {

using detail::EqualsNoCase;
using detail::StartsWithNoCase;

int ValueFromName(const LayoutValue& v, std::span<const NamedValue> names, const char* what) {
    if (v.kind == LayoutValue::Kind::Integer) return v.AsInt32();
    const std::string& id = v.AsIdent();
    for (const NamedValue& n : names)
        if (EqualsNoCase(id, n.name)) return n.value;
    throw LayoutError(std::string("unknown ") + what + " '" + id + "'");
}

LayoutValue NameFromValue(int value, std::span<const NamedValue> names) {
    for (const NamedValue& n : names)
        if (n.value == value) return LayoutValue::Ident(n.name);
    return LayoutValue::Int(value);
}

LayoutValue StoredValue<std::vector<std::string>>::Write(const std::vector<std::string>& v) {
    std::vector<LayoutValue> items;
    items.reserve(v.size());
    for (const std::string& s : v) items.push_back(LayoutValue::Str(s));
    return LayoutValue::ListOf(std::move(items));
}

Color StoredValue<Color>::Read(const LayoutValue& v) { return ColorFromValue(v); }
LayoutValue StoredValue<Color>::Write(Color v) { return ColorToValue(v); }

namespace {

bool Takes(const PropertyTable::Entry& e, std::string_view name) {
    if (EqualsNoCase(name, e.name)) return true;
    if (e.matches) return e.matches(name);
    if (!e.name.empty() && e.name.back() == '.') return StartsWithNoCase(name, e.name) && name.size() > e.name.size();
    return EqualsNoCase(name, e.name);
}

}  // namespace

PropertyTable& PropertyTable::Add(Entry entry) {
    for (Entry& e : entries_) {
        if (EqualsNoCase(e.name, entry.name)) {
            e = std::move(entry);
            return *this;
        }
    }
    entries_.push_back(std::move(entry));
    return *this;
}

PropertyTable& PropertyTable::AddFrom(const PropertyTable& other, std::initializer_list<std::string_view> names) {
    for (std::string_view n : names) {
        auto it = std::find_if(other.entries_.begin(), other.entries_.end(),
                               [&](const Entry& e) { return EqualsNoCase(e.name, n); });
        if (it == other.entries_.end()) throw std::logic_error("no stored property '" + std::string(n) + "' to copy");
        Add(*it);
    }
    return *this;
}

PropertyTable& PropertyTable::ReadOnly(std::string_view name) {
    for (Entry& e : entries_)
        if (EqualsNoCase(e.name, name)) e.write = nullptr;
    return *this;
}

PropertyTable& PropertyTable::Remove(std::string_view name) {
    std::erase_if(entries_, [&](const Entry& e) { return EqualsNoCase(e.name, name); });
    return *this;
}

const PropertyTable::Entry* PropertyTable::Find(std::string_view name) const {
    for (const Entry& e : entries_)
        if (Takes(e, name)) return &e;
    return nullptr;
}

bool PropertyTable::Apply(Control& control, std::string_view name, const LayoutValue& value) const {
    const Entry* e = Find(name);
    return e && e->read && e->read(control, name, value);
}

void PropertyTable::Write(const Control& control, std::vector<LayoutProperty>& out) const {
    for (const Entry& e : entries_)
        if (e.write) e.write(control, out);
}

PropertyTable& PropertyTable::AddEvent(std::string name, EventBinding bind) {
    for (EventEntry& e : events_) {
        if (EqualsNoCase(e.name, name)) {
            e.bind = std::move(bind);
            return *this;
        }
    }
    events_.push_back({std::move(name), std::move(bind)});
    return *this;
}

PropertyTable& PropertyTable::EventsFrom(const PropertyTable& other, std::initializer_list<std::string_view> names) {
    for (std::string_view n : names) {
        const EventEntry* e = other.FindEvent(n);
        if (!e) throw std::logic_error("no event '" + std::string(n) + "' to copy");
        AddEvent(e->name, e->bind);
    }
    return *this;
}

const PropertyTable::EventEntry* PropertyTable::FindEvent(std::string_view name) const {
    for (const EventEntry& e : events_)
        if (EqualsNoCase(e.name, name)) return &e;
    return nullptr;
}

bool PropertyTable::HasEvent(std::string_view name) const { return FindEvent(name) != nullptr; }

bool PropertyTable::BindEvent(Control& control, std::string_view name, NotifyEvent handler) const {
    const EventEntry* e = FindEvent(name);
    if (!e) return false;
    e->bind(control, std::move(handler));
    return true;
}

}  // namespace veskel
