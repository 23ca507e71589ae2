#pragma once
// TPForm: the palette pop-up of the colour box. A borderless top-most window, 380 x 368, built
// from its own stored layout (res/PaletteForm.layout): a shadow frame filling the window, and on
// a light striped panel inside it the fore and back colour swatches, the swap and default-colour
// buttons, the HLS table with its hue slider, and six fields showing R, G, B, H, L and S.
//
// The table and slider edit one of the two colours (the fore colour after opening; pressing a
// swatch chooses). Every change is converted on the 254 scale of the pop-up, shown in the fields,
// stored in the edited colour and handed to its listener's colour call, synchronously, so the box
// has raised its OnPreChange before the pop-up goes on. On opening, R, G and B show the box's
// colour exactly. A number typed into a field applies when Enter is pressed in it or the field is
// left: R, G and B set the edited colour as typed (the table and slider follow silently), H, L
// and S move the slider and the table as a pick there would. Text that is not a number in the
// field's range (0..255; 0..254 for L and S) is put back.
//
// The pop-up asks its listener to close it when it loses activation or when, at a 300 ms check,
// the pointer lies outside both the pop-up and OwnerRect.
//
// Keyboard: every control is a Tab stop (the swatches choose their colour with Space or Enter);
// Escape puts back the colours the pop-up opened with and closes it; Enter closes it where it
// presses nothing and applies nothing (in a field, a first Enter applies the number typed). Opened from the
// keyboard (TakeKeyboard), the R field takes the focus, as the six fields are the window's first
// stops, and the pointer watch stays off: the pointer is wherever the user left it.
#include <array>
#include <functional>
#include <string>

#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel {

class Label;
class Panel;
class Shape;
class TGlassEdit;
class THLSColorTable;
class THLSSlider;
class TStaticShadow;

// Whom a palette pop-up tells of its colours and of its end; both calls run synchronously, and
// an empty call goes nowhere.
struct PaletteListener {
    // A colour was delivered: the pop-up's fore and back colours now.
    std::function<void(Color fore, Color back)> colour;
    // The pop-up is done (it lost activation, or the pointer left it and its box); may come twice.
    std::function<void()> close;
};

class TPForm : public Form {
public:
    TPForm();
    ~TPForm() override;
    std::string ClassName() const override { return "TPForm"; }

    // The two colours. Each setter stores the colour and fills its swatch; neither notifies.
    Color ForeColour() const { return foreColour_; }
    void SetForeColour(Color c);
    Color BackColour() const { return backColour_; }
    void SetBackColour(Color c);

    // The listener of the colour and close calls (none until set; ClearListener: none again).
    bool HasListener() const { return bool(listener_.colour) || bool(listener_.close); }
    void SetListener(PaletteListener listener) { listener_ = std::move(listener); }
    void ClearListener() { listener_ = {}; }

    // Puts a colour into the table and the slider (which raises the slider's change, and so the
    // colour notice of the round trip RGB -> HLS -> RGB on the 254 scale).
    void LoadColor(Color c);
    void TakeHlsOfRgb();
    // What the box does on opening: both colours, the fore colour loaded as the one edited, the
    // fields showing it exactly; Escape later puts these colours back. Notifies nothing.
    void StartEditing(Color fore, Color back);
    // Readies the shadow frame for the window's final size and place, before the first show.
    void PrepareShadow();
    // The pop-up was opened from the keyboard: the R field takes the focus, the pointer watch stops.
    void TakeKeyboard();

    // Shared by every pop-up of the process: which colour is being edited, the working values of
    // the last conversion, and the screen rectangle of the box that opened the pop-up.
    struct Working {
        bool editingFore = true;
        int h = 0, l = 0, s = 0;  // 0..254
        int r = 0, g = 0, b = 0;  // 0..255
        Rect ownerRect{};
    };
    static Working& Shared();
    static void SetOwnerRect(const Rect& r) { Shared().ownerRect = r; }

    // The controls of the stored layout.
    TStaticShadow* StaticShadow1 = nullptr;
    Panel* Panel1 = nullptr;
    Shape* Shape1 = nullptr;  // fore colour, over Shape2
    Shape* Shape2 = nullptr;  // back colour
    Label* Label7 = nullptr;
    std::array<TGlassEdit*, 6> GlassEdits{};  // GlassEdit1 .. GlassEdit6: R, G, B, H, L, S
    THLSColorTable* HLSColorTable1 = nullptr;
    THLSSlider* HLSSlider1 = nullptr;
    Control* GroupPNGButtons13 = nullptr;  // swap
    Control* GroupPNGButtons1 = nullptr;   // defaults
    Timer Timer1;                          // the 300 ms pointer watch
    // Opened without the pointer (a screen reader's action): the pointer watch closes it only
    // once the pointer has been over it or the box, and not while the pointer is elsewhere.
    void WaitForPointer() { pointerSeen_ = false; }

private:
    bool BindEvent(Control& control, const std::string& event, const std::string& handler);

    // Handlers named as the stored layout names them.
    void FormCreate();
    void FormDeactivate();
    void FormShow() {}
    void Timer1Timer();
    void HLSSlider1Change();
    void HLSColorTable1Change();
    void Shape1MouseDown();
    void Shape2MouseDown();
    void GroupPNGButtons13Click();
    void GroupPNGButtons1Click();
    void GlassEdit1Change() {}
    // Applies the number typed into field i (0..5: R, G, B, H, L, S), or puts the shown value back.
    // Returns whether the field held anything other than the value it showed.
    bool ApplyField(int i);

    void ConvertCurrent();
    void WriteFields();
    void DeliverEdited();
    bool PaletteKey(int key, ShiftState shift);
    // Closes the pop-up from its keyboard and gives the keyboard back to the box's window.
    void CloseByKeyboard();
    void NotifyColour();
    void NotifyClose();

    bool ready_ = false;  // every control of the layout found; handlers wait for it
    bool loading_ = false;  // the slider follows a typed colour: no conversion, no notice
    bool done_ = false;     // closed from the keyboard: a field left now applies nothing
    Color openedFore_ = RGB(0, 0, 0);
    Color openedBack_ = RGB(0, 0, 0);
    bool pointerSeen_ = true;
    Color foreColour_ = RGB(0, 0, 0);
    Color backColour_ = RGB(0, 0, 0);
    PaletteListener listener_;
};

// The pop-up's stored layout, as embedded in the program.
std::string_view PaletteFormLayout();

}  // namespace veskel
