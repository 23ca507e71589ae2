// The stored properties of the framework's base control: one table, read and written by the
// stored layout (StoredLayout.h), and the default SetProperty / GetProperties that walk it.
#include <algorithm>

#include "platform/ui/Control.h"
#include "platform/ui/PropertyTable.h"
#include "platform/ui/StoredLayout.h"
#include "platform/ui/UiInternal.h"

namespace veskel {

using detail::EqualsNoCase;
using detail::StartsWithNoCase;

namespace {

constexpr NamedValue kCursorNames[] = {
    {"crDefault", 0},      {"crNone", -1},     {"crArrow", -2},   {"crCross", -3},      {"crIBeam", -4},
    {"crSizeNESW", -6},    {"crSizeNS", -7},   {"crSizeNWSE", -8}, {"crSizeWE", -9},    {"crUpArrow", -10},
    {"crHourGlass", -11},  {"crDrag", -12},    {"crNoDrop", -13}, {"crHSplit", -14},    {"crVSplit", -15},
    {"crMultiDrag", -16},  {"crSQLWait", -17}, {"crNo", -18},     {"crAppStart", -19},  {"crHelp", -20},
    {"crHandPoint", -21},  {"crSizeAll", -22},
};

constexpr NamedValue kAlignNames[] = {
    {"alNone", int(Align::None)}, {"alTop", int(Align::Top)},     {"alBottom", int(Align::Bottom)},
    {"alLeft", int(Align::Left)}, {"alRight", int(Align::Right)}, {"alClient", int(Align::Client)},
};

// Framework properties a control accepts and keeps for writing back but does not act on.
constexpr const char* kKeptProperties[] = {
    "ParentShowHint", "ParentBiDiMode", "BiDiMode", "TabOrder", "TabStop", "DoubleBuffered", "ParentColor",
    "ParentBackground", "DragCursor", "DragKind", "DragMode", "PopupMenu", "Anchors", "HelpContext",
    "PixelsPerInch", "TextHeight", "OldCreateOrder", "Scaled", "BorderIcons", "KeyPreview", "Ctl3D",
    "ParentCtl3D", "UseDockManager", "DockSite", "AutoScroll", "HorzScrollBar.Visible",
    "VertScrollBar.Visible", "DesignSize", "ExplicitLeft", "ExplicitTop", "ExplicitWidth", "ExplicitHeight",
};

bool IsKept(std::string_view name) {
    for (const char* kept : kKeptProperties)
        if (EqualsNoCase(name, kept)) return true;
    return StartsWithNoCase(name, "Constraints.");
}

}  // namespace

const PropertyTable& Control::StoredProperties() const {
    static const PropertyTable table = [] {
        PropertyTable t;
        t.Add("Left", &Control::Left, &Control::SetLeft)
            .Add("Top", &Control::Top, &Control::SetTop)
            .Add("Width", &Control::Width, &Control::SetWidth)
            .Add("Height", &Control::Height, &Control::SetHeight)
            .AddNamed("Align", &Control::GetAlign, &Control::SetAlign, kAlignNames, Align::None, "alignment")
            .Add("Caption", &Control::Caption, &Control::SetCaption, "")
            .Add({"Color",
                  [](Control& c, std::string_view, const LayoutValue& v) {
                      c.SetColor(ColorFromValue(v));
                      return true;
                  },
                  // Only windowed controls fill themselves with their colour.
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      if (c.IsWindowed()) out.push_back({"Color", ColorToValue(c.GetColor())});
                  },
                  {}})
            .AddNamed("Cursor", &Control::Cursor, &Control::SetCursor, kCursorNames, kCrDefault, "cursor")
            .Add("Enabled", &Control::Enabled, &Control::SetEnabled, true)
            .Add({"Font.",
                  [](Control& c, std::string_view name, const LayoutValue& v) {
                      Font f = c.GetFont();
                      if (!SetFontProperty(f, name.substr(5), v)) return false;
                      c.SetFont(f);
                      return true;
                  },
                  // A font that follows the parent's is the parent's business.
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      if (!c.ParentFont()) GetFontProperties(c.GetFont(), "Font.", out);
                  },
                  {}})
            .Add("Hint", &Control::Hint, &Control::SetHint, "")
            .Add("ParentFont", &Control::ParentFont, &Control::SetParentFont, true)
            .Add("ShowHint", &Control::ShowHint, &Control::SetShowHint, false)
            .Add("Tag", &Control::Tag, &Control::SetTag, 0)
            .Add({"Visible",
                  [](Control& c, std::string_view, const LayoutValue& v) {
                      c.SetVisible(v.AsBool());
                      return true;
                  },
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      if (!c.Visible() && !c.isForm_) out.push_back({"Visible", LayoutValue::Bool(false)});
                  },
                  {}})
            // Kept as read, so the layout writes back unchanged.
            .Add({"*Kept",
                  [](Control& c, std::string_view name, const LayoutValue& v) {
                      c.keptProperties_.push_back({std::string(name), v});
                      return true;
                  },
                  [](const Control& c, std::vector<LayoutProperty>& out) {
                      for (const LayoutProperty& p : c.keptProperties_) out.push_back(p);
                  },
                  IsKept})
            .Event("OnClick", &Control::OnClick)
            .Event("OnDblClick", &Control::OnDblClick)
            .Event("OnMouseDown", &Control::OnMouseDown)
            .Event("OnMouseUp", &Control::OnMouseUp)
            .Event("OnMouseMove", &Control::OnMouseMove)
            .Event("OnMouseWheel", &Control::OnMouseWheel)
            .Event("OnMouseEnter", &Control::OnMouseEnter)
            .Event("OnMouseLeave", &Control::OnMouseLeave)
            .Event("OnKeyDown", &Control::OnKeyDown)
            .Event("OnResize", &Control::OnResize);
        return t;
    }();
    return table;
}

bool Control::SetProperty(std::string_view name, const LayoutValue& value) {
    return StoredProperties().Apply(*this, name, value);
}

bool Control::ReadBinaryProperty(std::string_view name, std::span<const std::uint8_t> encoded) {
    const PropertyTable::Entry* e = StoredProperties().Find(name);
    if (!e || !e->read) return false;
    std::span<const std::uint8_t> payload = DecodeBinaryValue(encoded);
    return e->read(*this, name, LayoutValue::Bytes({payload.begin(), payload.end()}));
}

void Control::GetProperties(std::vector<LayoutProperty>& out) const { StoredProperties().Write(*this, out); }

}  // namespace veskel
