// The stored-property table: one declaration serves reading and writing, defaults stay out of
// the written layout, and derived tables extend their base in order.
#include <gtest/gtest.h>

#include <functional>

#include "platform/ui/Control.h"
#include "platform/ui/PropertyTable.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {
namespace {

enum class Shape { Round, Square };
constexpr NamedValue kShapes[] = {{"shRound", int(Shape::Round)}, {"shSquare", int(Shape::Square)}};

class Sample : public GraphicControl {
public:
    std::string ClassName() const override { return "TSample"; }
    const PropertyTable& StoredProperties() const override {
        static const PropertyTable table =
            PropertyTable(GraphicControl::StoredProperties())
                .Add("Count", &Sample::Count, &Sample::SetCount, 3)
                .Add("Label", &Sample::Label, &Sample::SetLabel)
                .AddNamed("Shape", &Sample::GetShape, &Sample::SetShape, kShapes, Shape::Round)
                .Add("Ink", &Sample::Ink, &Sample::SetInk, kBlack)
                .Add("Level", &Sample::Level, &Sample::SetLevel, 0)
                .Add({"Data",
                      [](Control& c, std::string_view, const LayoutValue& v) {
                          static_cast<Sample&>(c).data = v.binary;
                          return true;
                      },
                      [](const Control& c, std::vector<LayoutProperty>& out) {
                          out.push_back({"Data", LayoutValue::Bytes(static_cast<const Sample&>(c).data)});
                      },
                      {}})
                .Event("OnChange", &Sample::OnChange);
        return table;
    }
    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    const std::string& Label() const { return label_; }
    void SetLabel(std::string v) { label_ = std::move(v); }
    Shape GetShape() const { return shape_; }
    void SetShape(Shape s) { shape_ = s; }
    Color Ink() const { return ink_; }
    void SetInk(Color c) { ink_ = c; }
    int Level() const { return level_; }
    void SetLevel(int v) { level_ = v; }
    NotifyEvent OnChange;
    std::vector<std::uint8_t> data;

private:
    int level_ = 0;
    int count_ = 3;
    std::string label_;
    Shape shape_ = Shape::Round;
    Color ink_ = kBlack;
};

std::vector<std::string> Names(const std::vector<LayoutProperty>& props) {
    std::vector<std::string> out;
    for (const LayoutProperty& p : props) out.push_back(p.name);
    return out;
}

TEST(PropertyTable, WritesInTableOrderAfterTheBaseAndLeavesDefaultsOut) {
    Sample s;
    std::vector<LayoutProperty> props;
    s.GetProperties(props);
    EXPECT_EQ(Names(props), (std::vector<std::string>{"Left", "Top", "Width", "Height", "Label", "Data"}));

    s.SetCount(0);
    s.SetShape(Shape::Square);
    s.SetInk(RGB(255, 0, 0));
    props.clear();
    s.GetProperties(props);
    EXPECT_EQ(Names(props), (std::vector<std::string>{"Left", "Top", "Width", "Height", "Count", "Label", "Shape",
                                                      "Ink", "Data"}));
    EXPECT_EQ(props[6].value, LayoutValue::Ident("shSquare"));
    EXPECT_EQ(props[7].value, ColorToValue(RGB(255, 0, 0)));
}

TEST(PropertyTable, ReadsByNameWithoutRegardToCase) {
    Sample s;
    EXPECT_TRUE(s.SetProperty("count", LayoutValue::Int(9)));
    EXPECT_TRUE(s.SetProperty("SHAPE", LayoutValue::Ident("SHSQUARE")));
    EXPECT_TRUE(s.SetProperty("Ink", LayoutValue::Ident("clRed")));
    EXPECT_TRUE(s.SetProperty("Left", LayoutValue::Int(5)));
    EXPECT_EQ(s.Count(), 9);
    EXPECT_EQ(s.GetShape(), Shape::Square);
    EXPECT_EQ(s.Ink(), 0x0000FFu);
    EXPECT_EQ(s.Left(), 5);
    EXPECT_FALSE(s.SetProperty("Nothing", LayoutValue::Int(1)));
    EXPECT_FALSE(s.SetProperty("Font.Nothing", LayoutValue::Int(1)));
    EXPECT_THROW(s.SetProperty("Count", LayoutValue::Str("x")), LayoutError);
    EXPECT_THROW(s.SetProperty("Shape", LayoutValue::Ident("shOval")), LayoutError);
}

// Events bind by name through the class's table (its own and its base's), a handler bound to a
// mouse or key event hears the sender, an event the class lacks binds nothing, and no event is
// ever written as a property.
TEST(PropertyTable, EventsBindByNameAndAreNeverWritten) {
    Sample s;
    std::vector<std::string> heard;
    const struct {
        const char* event;
        bool known;
        std::function<void()> raise;
    } cases[] = {
        {"OnChange", true, [&] { s.OnChange(s); }},
        {"onclick", true, [&] { s.OnClick(s); }},
        {"OnMouseDown", true, [&] { s.OnMouseDown(s, MouseButton::Right, 0, 3, 4); }},
        {"OnKeyDown", true, [&] { int key = 13; s.OnKeyDown(s, key, 0); }},
        {"OnPreChange", false, nullptr},
    };
    for (const auto& c : cases) {
        const bool bound = s.StoredProperties().BindEvent(s, c.event, [&, name = std::string(c.event)](Control& sender) {
            heard.push_back(&sender == &s ? name : name + " from a stranger");
        });
        EXPECT_EQ(bound, c.known) << c.event;
        if (c.raise) c.raise();
    }
    EXPECT_EQ(heard, (std::vector<std::string>{"OnChange", "onclick", "OnMouseDown", "OnKeyDown"}));
    std::vector<LayoutProperty> written;
    s.GetProperties(written);
    for (const LayoutProperty& p : written) EXPECT_NE(p.name.rfind("On", 0), 0u) << p.name;
}

TEST(PropertyTable, BinaryEntriesGetThePayload) {
    Sample s;
    const std::vector<std::uint8_t> payload{1, 2, 3};
    EXPECT_TRUE(s.ReadBinaryProperty("data", EncodeBinaryValue(payload)));
    EXPECT_EQ(s.data, payload);
    EXPECT_FALSE(s.ReadBinaryProperty("Other", EncodeBinaryValue(payload)));
}

TEST(PropertyTable, CopyingEntriesOfAnotherTable) {
    const Sample s;
    PropertyTable t;
    t.AddFrom(s.StoredProperties(), {"Label", "Left"});
    ASSERT_EQ(t.Entries().size(), 2u);
    EXPECT_EQ(t.Entries()[0].name, "Label");
    EXPECT_THROW(t.AddFrom(s.StoredProperties(), {"Missing"}), std::logic_error);
    t.ReadOnly("Left");
    std::vector<LayoutProperty> out;
    t.Write(s, out);
    EXPECT_EQ(Names(out), (std::vector<std::string>{"Label"}));
}

}  // namespace
}  // namespace veskel
