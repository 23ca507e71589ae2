// The stored layout: text form round trips, errors on bad input, and loading through the class
// registry with properties in stored order and binary values in the stored-form encoding.
#include <gtest/gtest.h>

#include "platform/ui/Control.h"
#include "platform/ui/Form.h"
#include "platform/ui/StoredLayout.h"
#include "platform/ui/UiInternal.h"

namespace veskel {
namespace {

constexpr const char* kSample = R"(object Form1: TForm1
  Left = 192
  Top = -7
  BorderStyle = bsNone
  Caption = 'It''s '#1058#1077#1082#1089#1090' ok'#13#10
  ClientHeight = 480
  ClientWidth = 462
  Font.Style = [fsBold, fsItalic]
  Scale = 1.5
  Lines = (
    'one'
    'two' +
    ' more')
  Empty = []
  OnCreate = FormCreate
  object Panel1: TProbePanel
    Left = 28
    Top = 52
    Width = 400
    Height = 300
    object Button1: TProbeButton
      Left = 8
      Top = 28
      Width = 91
      Height = 25
      QORPNGData2 = {
        0A0B0C}
      HUE = 100
      QORPNGData1 = {89504E47
        0D0A1A0A}
      OnClick = Button1Click
    end
  end
end
)";

TEST(StoredLayoutText, ParsesEveryValueKind) {
    LayoutObject o = ParseLayout(kSample);
    EXPECT_EQ(o.name, "Form1");
    EXPECT_EQ(o.className, "TForm1");
    EXPECT_EQ(o.FindProperty("Top")->value, LayoutValue::Int(-7));
    EXPECT_EQ(o.FindProperty("BorderStyle")->value, LayoutValue::Ident("bsNone"));
    EXPECT_EQ(o.FindProperty("Caption")->value.AsString(), "It's Текст ok\r\n");
    EXPECT_EQ(o.FindProperty("Font.Style")->value, LayoutValue::SetOf({"fsBold", "fsItalic"}));
    EXPECT_EQ(o.FindProperty("Scale")->value.AsReal(), 1.5);
    EXPECT_EQ(o.FindProperty("Lines")->value.AsStrings(), (std::vector<std::string>{"one", "two more"}));
    EXPECT_EQ(o.FindProperty("Empty")->value, LayoutValue::SetOf({}));
    ASSERT_EQ(o.children.size(), 1u);
    ASSERT_EQ(o.children[0].children.size(), 1u);
    const LayoutObject& b = o.children[0].children[0];
    EXPECT_EQ(b.properties[4].name, "QORPNGData2");
    EXPECT_EQ(b.properties[4].value.binary, (std::vector<std::uint8_t>{10, 11, 12}));
    EXPECT_EQ(b.properties[6].value.binary, (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', 13, 10, 26, 10}));
}

TEST(StoredLayoutText, WriteThenParseGivesTheSameTree) {
    LayoutObject o = ParseLayout(kSample);
    // A long binary value and awkward strings survive too.
    std::vector<std::uint8_t> big(1000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = std::uint8_t(i * 7);
    o.properties.push_back({"Blob", LayoutValue::Bytes(big)});
    o.properties.push_back({"Quote", LayoutValue::Str("'#''\t€ 😀")});
    o.properties.push_back({"EmptyText", LayoutValue::Str("")});
    o.properties.push_back({"Big", LayoutValue::Int(-9000000000LL)});
    std::string text = WriteLayout(o);
    EXPECT_EQ(ParseLayout(text), o);
    EXPECT_EQ(WriteLayout(ParseLayout(text)), text);
    EXPECT_NE(text.find("Caption = 'It''s '#1058#1077#1082#1089#1090' ok'#13#10"), std::string::npos) << text;
}

TEST(StoredLayoutText, BadInputGivesAnErrorWithItsLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"object A: TA\n  X = 1\n", "line 3: 'end' is missing"},
        {"object A: TA\n  X = {0A0}\nend", "line 2: binary value has an odd number"},
        {"object A: TA\n  X = {0G}\nend", "bad character in binary value"},
        {"object A: TA\n  X = 'abc\nend", "line 2: unterminated string"},
        {"object A: TA\n  X = #55296\nend", "surrogate"},
        {"object A: TA\n  X = 99999999999999999999\nend", "number out of range"},
        {"object A: TA\n  X = <\n  >\nend", "collections are not supported"},
        {"object A: TA\nend\nobject B: TB\nend", "unexpected text after the final 'end'"},
        {"thing A: TA\nend", "line 1: 'object' is expected"},
        {"object A: TA\n  X 1\nend", "'=' is expected"},
    };
    for (const Case& c : cases) {
        try {
            ParseLayout(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const LayoutError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    // Deep nesting is refused, not a stack overflow.
    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "object A: TA\n";
    EXPECT_THROW(ParseLayout(deep), LayoutError);
    std::string lists = "object A: TA\n X = " + std::string(10000, '(');
    EXPECT_THROW(ParseLayout(lists), LayoutError);
}

TEST(StoredLayoutBinary, EncodingIsTypeTenLengthAndPayload) {
    std::vector<std::uint8_t> payload{1, 2, 3};
    std::vector<std::uint8_t> enc = EncodeBinaryValue(payload);
    EXPECT_EQ(enc, (std::vector<std::uint8_t>{10, 3, 0, 0, 0, 1, 2, 3}));
    auto back = DecodeBinaryValue(enc);
    EXPECT_EQ(std::vector<std::uint8_t>(back.begin(), back.end()), payload);
    EXPECT_EQ(EncodeBinaryValue({}), (std::vector<std::uint8_t>{10, 0, 0, 0, 0}));
    std::vector<std::uint8_t> wrongType{9, 0, 0, 0, 0};
    std::vector<std::uint8_t> shortData{10, 4, 0, 0, 0, 1};
    EXPECT_THROW(DecodeBinaryValue(wrongType), LayoutError);
    EXPECT_THROW(DecodeBinaryValue(shortData), LayoutError);
}

// Controls that record how the reader applies their properties.
std::vector<std::string> g_applied;

class ProbePanel : public CustomControl {
public:
    std::string ClassName() const override { return "TProbePanel"; }
};

class ProbeButton : public GraphicControl {
public:
    std::string ClassName() const override { return "TProbeButton"; }
    int hue = 0;
    std::vector<std::vector<std::uint8_t>> images;  // in arrival order
    bool loaded = false;

    bool SetProperty(std::string_view name, const LayoutValue& v) override {
        g_applied.push_back(std::string(name));
        if (detail::EqualsNoCase(name, "HUE")) {
            hue = v.AsInt32();
            return true;
        }
        return GraphicControl::SetProperty(name, v);
    }
    bool ReadBinaryProperty(std::string_view name, std::span<const std::uint8_t> encoded) override {
        if (!detail::StartsWithNoCase(name, "QORPNGData")) return false;
        g_applied.push_back(std::string(name));
        EXPECT_EQ(encoded[0], kBinaryValueType);
        auto payload = DecodeBinaryValue(encoded);
        images.emplace_back(payload.begin(), payload.end());
        return true;
    }
    void GetProperties(std::vector<LayoutProperty>& out) const override {
        GraphicControl::GetProperties(out);
        out.push_back({"HUE", LayoutValue::Int(hue)});
        for (std::size_t i = 0; i < images.size(); ++i)
            out.push_back({"QORPNGData" + std::to_string(i + 1), LayoutValue::Bytes(images[i])});
    }
    void Loaded() override { loaded = true; }
};

class ProbeForm : public Form {
public:
    std::string ClassName() const override { return "TForm1"; }
};

struct StoredLayoutLoad : ::testing::Test {
    StoredLayoutLoad() {
        g_applied.clear();
        RegisterControlClass("TProbePanel", [] { return std::make_unique<ProbePanel>(); });
        RegisterControlClass("TProbeButton", [] { return std::make_unique<ProbeButton>(); });
    }
};

TEST_F(StoredLayoutLoad, CreatesControlsAndAppliesPropertiesInStoredOrder) {
    ProbeForm form;
    std::vector<std::string> bound;
    LoadOptions options;
    options.bindEvent = [&](Control& c, const std::string& ev, const std::string& handler) {
        bound.push_back(c.Name() + "." + ev + "=" + handler);
        return true;
    };
    options.ignoreUnknownProperties = true;  // the sample's Scale, Lines and Empty belong to nobody
    LoadLayout(form, std::string_view(kSample), options);
    EXPECT_EQ(form.Width(), 462);
    EXPECT_EQ(form.Height(), 480);
    EXPECT_TRUE(form.Frameless());
    EXPECT_TRUE(form.GetFont().bold);
    auto* panel = form.Find<ProbePanel>("Panel1");
    auto* button = form.Find<ProbeButton>("Button1");
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(panel->Parent(), &form);
    EXPECT_EQ(button->Parent(), panel);
    EXPECT_EQ(button->Owner(), &form);
    EXPECT_EQ(button->BoundsRect(), (Rect{8, 28, 99, 53}));
    EXPECT_EQ(button->hue, 100);
    EXPECT_TRUE(button->loaded);
    EXPECT_EQ(g_applied, (std::vector<std::string>{"Left", "Top", "Width", "Height", "QORPNGData2", "HUE",
                                                   "QORPNGData1", "OnClick"}));
    // Arrival order decides, not the number in the name.
    ASSERT_EQ(button->images.size(), 2u);
    EXPECT_EQ(button->images[0], (std::vector<std::uint8_t>{10, 11, 12}));
    EXPECT_EQ(bound, (std::vector<std::string>{"Form1.OnCreate=FormCreate", "Button1.OnClick=Button1Click"}));
}

TEST_F(StoredLayoutLoad, SavedLayoutLoadsBackTheSame) {
    ProbeForm form;
    LoadOptions options;
    options.ignoreUnknownProperties = true;
    LoadLayout(form, std::string_view(kSample), options);
    std::string saved = WriteLayout(SaveLayout(form));
    ProbeForm again;
    LoadLayout(again, std::string_view(saved));
    EXPECT_EQ(WriteLayout(SaveLayout(again)), saved);
    auto* button = again.Find<ProbeButton>("Button1");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->images.size(), 2u);
    EXPECT_EQ(button->StoredEvents().at(0), (std::pair<std::string, std::string>{"OnClick", "Button1Click"}));
    EXPECT_NE(saved.find("Caption = 'It''s '#1058"), std::string::npos) << saved;
}

// Stored bounds may claim any int: a size that would carry an edge past the int range is cut at
// it (in whichever order Left and Width come), nothing wraps round, and the layout saved from
// such controls reads back to the same text.
TEST_F(StoredLayoutLoad, BoundsReachingPastTheIntRangeAreCutAtIt) {
    ProbeForm form;
    LoadLayout(form, std::string_view("object Form1: TForm1\n"
                                      "  object A: TProbeButton\n    Left = 2000000000\n    Top = -5\n"
                                      "    Width = 2000000000\n    Height = 2147483647\n  end\n"
                                      "  object B: TProbeButton\n    Width = 2147483647\n    Left = 2147483000\n"
                                      "    Top = 2147483647\n    Height = 10\n  end\n"
                                      "  object P: TProbePanel\n    Left = 10\n    Top = 10\n    Width = 50\n    Height = 50\n"
                                      "    object D: TProbeButton\n      Left = 2147483640\n      Top = 2147483640\n    end\n  end\n"
                                      "  object C: TProbeButton\n    Left = -2147483648\n    Width = 2147483647\n    Height = 7\n  end\n"
                                      "end\n"));
    struct Want {
        const char* name;
        Rect bounds;
    };
    for (Want w : {Want{"A", {2000000000, -5, INT32_MAX, INT32_MAX - 5}}, Want{"B", {2147483000, INT32_MAX, INT32_MAX, INT32_MAX}},
                   Want{"C", {INT32_MIN, 0, -1, 7}}}) {
        auto* c = form.Find<ProbeButton>(w.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->BoundsRect(), w.bounds) << w.name;
        EXPECT_EQ(c->Width(), w.bounds.right - w.bounds.left) << w.name;
    }
    form.PaintAll();
    const std::string saved = WriteLayout(SaveLayout(form));
    ProbeForm again;
    LoadLayout(again, std::string_view(saved));
    EXPECT_EQ(WriteLayout(SaveLayout(again)), saved);
    // A control placed near the limit inside a panel: its place in the form and on the screen stay
    // at the limit instead of wrapping round to the other end.
    auto* d = form.Find<ProbeButton>("D");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->OffsetInForm(), (Point{INT32_MAX, INT32_MAX}));
    EXPECT_EQ(d->ClientToScreen({5, 5}), (Point{INT32_MAX, INT32_MAX}));
    EXPECT_EQ(d->ScreenToClient({0, 0}).x, -INT32_MAX);
    // A font height at the int range's low end has no positive counterpart: it is held at the top.
    Font font;
    EXPECT_TRUE(SetFontProperty(font, "Height", LayoutValue::Int(INT32_MIN)));
    EXPECT_EQ(font.pixelHeight, INT32_MAX);
}

// An aligned control sits where its alignment puts it, whether its bounds were stored before or
// after its Align, and the saved layout reads back to the same text.
TEST_F(StoredLayoutLoad, AlignDecidesPlacementWhateverTheStoredOrder) {
    const char* kText = R"(object Form1: TForm1
  ClientHeight = 120
  ClientWidth = 160
  object Fill: TProbePanel
    Align = alClient
    Left = 10
    Top = 80
    Width = 100
    Height = 3
    object Strip: TProbePanel
      Align = alTop
      Height = 7
      Width = 3
    end
  end
  object Hidden: TProbePanel
    Align = alClient
    Visible = False
    Left = 5
    Top = 6
    Width = 7
    Height = 8
  end
end
)";
    ProbeForm form;
    LoadLayout(form, std::string_view(kText));
    EXPECT_EQ(form.Find<ProbePanel>("Fill")->BoundsRect(), (Rect{0, 0, 160, 120}));
    EXPECT_EQ(form.Find<ProbePanel>("Strip")->BoundsRect(), (Rect{0, 0, 160, 7}));
    // A hidden control takes no place, so it keeps the bounds it was given.
    EXPECT_EQ(form.Find<ProbePanel>("Hidden")->BoundsRect(), (Rect{5, 6, 12, 14}));
    const std::string saved = WriteLayout(SaveLayout(form));
    ProbeForm again;
    LoadLayout(again, std::string_view(saved));
    EXPECT_EQ(WriteLayout(SaveLayout(again)), saved);

    // A layout read into a control hosted on a form: the root's own alignment decides too.
    ProbeForm host;
    host.SetBounds(0, 0, 200, 100);
    ProbePanel inner;
    inner.SetParent(&host);
    LoadLayout(inner, std::string_view("object P: TProbePanel\n  Align = alClient\n  Left = 10\n  Width = 20\nend\n"));
    EXPECT_EQ(inner.BoundsRect(), (Rect{0, 0, 200, 100}));
    inner.SetParent(nullptr);

    // A load that fails leaves alignment working.
    ProbeForm broken;
    EXPECT_THROW(LoadLayout(broken, std::string_view("object F: TForm1\n  object P: TProbePanel\n    Align = alClient\n"
                                                     "    Bogus = 1\n  end\nend\n")),
                 LayoutError);
    broken.SetBounds(0, 0, 50, 40);
    ASSERT_EQ(broken.Children().size(), 1u);
    EXPECT_EQ(broken.Children()[0]->BoundsRect(), (Rect{0, 0, 50, 40}));
}

TEST_F(StoredLayoutLoad, ErrorsNameTheObjectAndProperty) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"object F: TForm1\n  object B: TNoSuchThing\n  end\nend", "Error reading B (line 2): Class TNoSuchThing not found"},
        {"object F: TForm1\n  object B: TProbeButton\n    Bogus = 1\n  end\nend", "Error reading B.Bogus (line 2): Property does not exist"},
        {"object F: TForm1\n  object B: TProbeButton\n    HUE = 'x'\n  end\nend", "Error reading B.HUE (line 2): an integer value is expected"},
        {"object F: TForm1\n  object B: TProbeButton\n    Blob = {00}\n  end\nend", "Error reading B.Blob"},
        {"object F: TForm1\n  object B: TProbeButton\n    object C: TProbeButton\n    end\n  end\nend", "B cannot hold child controls"},
        {"object F: TForm1\n  Color = clPlaid\nend", "unknown colour 'clPlaid'"},
    };
    for (const Case& c : cases) {
        ProbeForm form;
        try {
            LoadLayout(form, std::string_view(c.text));
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const LayoutError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace veskel
