#pragma once
// TForm1, the designer's main window: a frameless 462 x 480 window built from its stored layout
// (app/res/MainWindow.layout), with the glass title bar, four pages of controls that edit the
// banner design, the live preview and two link labels.
//
// The window owns the BannerDocument (settings, BannerImage, overlay pictures). Each control
// event runs one document operation: the controls that edit one field each do it through the
// binding table (MainWindow.cpp), the buttons through their own handlers. The window listens to
// the document: once per change it copies every setting back into the controls (SyncControls)
// and renders the banner into the preview. Errors of file and
// codec operations propagate out of the handlers to the Application, which shows them in a
// message box while the window goes on.
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/DesignerActions.h"
#include "banner/BannerDocument.h"
#include "banner/History.h"
#include "platform/text/FontEngine.h"
#include "platform/ui/Form.h"
#include "platform/ui/Timer.h"

namespace veskel {

class HintWindow;

class TAALabel;
class TClrBox;
class TDialogComponent;
class TGlassCheckBox;
class TGlassEdit;
class TGlassHeader;
class TGlassListBox;
class TGlassSlider;
class TImage;
class TTestPanel;

class TForm1 : public Form {
public:
    // Builds the window from its stored layout and runs its create event.
    TForm1();
    ~TForm1() override;
    std::string ClassName() const override { return "TForm1"; }

    BannerDocument& Document() { return document_; }
    // Every design change made through the window's controls is a step of this history (a slider
    // drag, a run of typing into one field and a palette session of one colour box each one
    // step); undo, redo, the clipboard and dropped files go through the actions.
    DocumentHistory& History() { return history_; }
    DesignerActions& Actions() { return *actions_; }

    // Copies every setting into its control, in a fixed order; raises no control events except
    // an edit field's OnChange when its text really changes.
    void SyncControls();
    // Renders the banner and shows it in the preview.
    void RenderBanner();

    // The font registration held from creation to destruction (0 when none).
    FontHandle BannerFontHandle() const { return fontHandle_; }

    // Controls the window talks to (owned by the window, found by their stored names).
    TGlassHeader* GlassHeader1 = nullptr;
    TTestPanel* TestPanel1 = nullptr;
    TImage* Image1 = nullptr;
    TGlassEdit *GlassEdit1 = nullptr, *GlassEdit2 = nullptr, *GlassEdit3 = nullptr;
    TClrBox *ClrBox1 = nullptr, *ClrBox2 = nullptr, *ClrBox3 = nullptr;
    TGlassCheckBox *GlassCheckBox1 = nullptr, *GlassCheckBox2 = nullptr, *GlassCheckBox3 = nullptr,
                   *GlassCheckBox4 = nullptr;
    TGlassListBox *GlassListBox1 = nullptr, *GlassListBox2 = nullptr;
    TGlassSlider *GlassSlider1 = nullptr, *GlassSlider2 = nullptr, *GlassSlider4 = nullptr;
    TDialogComponent *OpenDialog1 = nullptr, *SaveDialog1 = nullptr, *OpenPictureDialog1 = nullptr,
                     *SavePictureDialog1 = nullptr;

private:
    using Handler = std::function<void(Control& sender)>;
    // A control of the binding table with the field it edits.
    struct BoundControl {
        std::variant<TClrBox*, TGlassCheckBox*, TGlassListBox*, TGlassSlider*, TGlassEdit*> control;
        const FieldInfo* field;
        std::int64_t Value() const;
        void Show(const BannerSettings& settings) const;
    };
    void BoundControlChanged(const BoundControl& bound);
    // Says below the text field why what was typed was not taken, for a few seconds.
    void ShowTextRefusal(const std::string& reason);
    void DefineHandlers();
    bool BindEvent(Control& control, const std::string& event, const std::string& handler);
    template <class T>
    T* Need(const char* name);
    void FindControls();
    void FormCreate();
    void FormDestroy();

    BannerDocument document_;
    DocumentHistory history_{document_};
    std::unique_ptr<DesignerActions> actions_;
    FontHandle fontHandle_ = 0;
    bool fontRegistered_ = false;
    std::map<std::string, Handler> handlers_;
    std::vector<BoundControl> bound_;  // in the binding table's order
    HintWindow* textRefusal_ = nullptr;
    Timer textRefusalShown_;
};

// Starts the designer in the running Application: the main window from its stored layout, then
// the hidden secondary form. Returns the main window, shown.
TForm1* StartDesigner();

}  // namespace veskel
