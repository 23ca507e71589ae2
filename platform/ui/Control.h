#pragma once
// The control tree. Two kinds of control exist, as on the classic desktop platform:
//  - GraphicControl (windowless): paints inside its rectangle on its parent's surface, after the
//    parent and after earlier siblings, clipped to its rectangle. During Paint it can read back
//    what lies beneath it with Canvas::Pixel, because everything below it is already painted.
//  - CustomControl (windowed): has a window handle, can hold children, fills itself with its
//    Color before Paint and covers every windowless sibling.
// A Form (Form.h) is the windowed control at the top of a tree.
//
// Coordinates: Left/Top are in the parent's client coordinates; everything a control receives
// (pointer positions, the Canvas in Paint) is in its own coordinates, (0, 0) at its top-left.
//
// Lifetime: a control may own other controls (CreateOwned / Own); owned controls are destroyed
// with their owner, and a destroyed control removes itself from its owner, its parent and the
// Application's pointer, capture and focus records. Parent (where it shows) and owner (who
// deletes it) are separate, as a form owns every control of its stored layout whatever panel
// they sit on.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Input.h"
#include "platform/ui/Signal.h"
#include "platform/ui/SystemColors.h"

namespace veskel {

class Form;
class PropertyTable;
struct AccessibleDescription;
struct LayoutValue;
struct LayoutProperty;

using WindowHandle = std::uintptr_t;  // 0 = no window

// Where a control docks in its parent's client area (None: it keeps its own bounds).
enum class Align { None, Top, Bottom, Left, Right, Client };

// ---- events (raised after the control has updated its own state)

class Control;
using NotifyEvent = std::function<void(Control& sender)>;
using MouseEvent = std::function<void(Control& sender, MouseButton button, ShiftState shift, int x, int y)>;
using MouseMoveEvent = std::function<void(Control& sender, ShiftState shift, int x, int y)>;
// delta: 120 per notch of the wheel, positive when turned away from the user. The handler sets
// handled to stop the turn from going on to the parent.
using MouseWheelEvent = std::function<void(Control& sender, ShiftState shift, int delta, int x, int y, bool& handled)>;
// The handler may set key to 0 to swallow it.
using KeyEvent = std::function<void(Control& sender, int& key, ShiftState shift)>;

class Control {
public:
    Control();
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The class name as stored layouts spell it ("TGlassButton"). Subclasses override.
    virtual std::string ClassName() const { return "TControl"; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    // ---- kind
    // True for CustomControl and Form: own handle, can hold children.
    bool IsWindowed() const { return windowed_; }
    WindowHandle Handle() const { return handle_; }

    // ---- tree (parent = where the control shows; z-order = order in Children(), last on top)
    Control* Parent() const { return parent_; }
    // Moves the control into parent's children, on top of its siblings. nullptr detaches.
    // Only windowed controls hold children (std::logic_error otherwise).
    void SetParent(Control* parent);
    const std::vector<Control*>& Children() const { return children_; }
    void BringToFront();
    void SendToBack();
    // The form at the top of the parent chain (this, for a form), or nullptr when detached.
    Form* GetForm() const;
    // The nearest windowed control: this one if windowed, else the parent.
    Control* WindowedAncestor();
    // Position of this control's (0, 0) in its form's surface.
    Point OffsetInForm() const;
    Point ClientToScreen(Point p) const;
    Point ScreenToClient(Point p) const;

    // ---- ownership
    template <class T, class... Args>
    T* CreateOwned(Args&&... args) {
        auto c = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = c.get();
        Own(std::move(c));
        return raw;
    }
    Control* Own(std::unique_ptr<Control> control);
    Control* Owner() const { return owner_; }
    const std::vector<Control*>& Owned() const { return owned_; }
    // An owned control by name, searched depth-first through owned controls; nullptr if none.
    Control* FindComponent(std::string_view name) const;
    template <class T>
    T* Find(std::string_view name) const { return dynamic_cast<T*>(FindComponent(name)); }

    // ---- geometry
    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    Rect BoundsRect() const { return bounds_; }
    Rect ClientRect() const { return {0, 0, Width(), Height()}; }
    // Sets position and size, repaints what the control covered and covers, realigns children.
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    Align GetAlign() const { return align_; }
    void SetAlign(Align a);
    // Holds back the placing of this control's aligned children until the matching EnableAlign,
    // which places them at once. The stored-layout reader holds every control it fills, since
    // properties arrive in stored order and an aligned control's Left, Top, Width and Height may
    // come after its Align. Pairs nest.
    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();

    // ---- state
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible itself and every ancestor up to its form.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool e);
    // Enabled itself and every ancestor.
    bool EffectivelyEnabled() const;

    const std::string& Caption() const { return caption_; }
    virtual void SetCaption(std::string caption);
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string h) { hint_ = std::move(h); }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }
    // What a screen reader calls the control when its caption does not say what it does (a "+",
    // a picture, one of several "Reset" buttons). Empty: its own description names it.
    const std::string& SpokenName() const { return spokenName_; }
    void SetSpokenName(std::string name) { spokenName_ = std::move(name); }
    // Read after the name when the control cannot tell it itself (the colour that a picker's
    // square stands for, which its window converts).
    const std::string& SpokenDescription() const { return spokenDescription_; }
    void SetSpokenDescription(std::string text) { spokenDescription_ = std::move(text); }
    std::intptr_t Tag() const { return tag_; }
    void SetTag(std::intptr_t t) { tag_ = t; }

    // The control's font; with ParentFont on, it follows the parent's font until set.
    const Font& GetFont() const { return font_; }
    Font& MutableFont();
    void SetFont(const Font& f);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    Color GetColor() const { return color_; }
    void SetColor(Color c);

    CursorId Cursor() const { return cursor_; }
    void SetCursor(CursorId c);

    // ---- painting
    // Marks the whole control (or part of it, in its own coordinates) for repainting. Requests are
    // coalesced per form and painted at the next idle or Update().
    void Invalidate();
    void InvalidateRect(const Rect& r);
    // Paints the form's pending area now.
    void Update();
    // Invalidate + Update: what a property setter does to show a new value at once.
    void Repaint();

    // ---- input and focus
    // Keyboard focus: this control receives key-down and text input of its form.
    bool Focused() const;
    bool CanFocus() const;
    void SetFocus();
    // Pointer capture: every pointer event goes to the capturing control until release.
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const;

    // Style flags.
    // Press and release of every button are the control's own business: the framework raises no
    // OnMouseDown/OnMouseUp events for it (the control's MouseDown/MouseUp overrides see every button).
    void SetHandlesPressRelease(bool v) { handlesPressRelease_ = v; }
    bool HandlesPressRelease() const { return handlesPressRelease_; }
    // A second left press within the double-click time counts as a double click (DblClick, a
    // press marked kDoubleClick, and no click on its release) only for a control that uses double
    // clicks: one with an OnDblClick handler, unless it says otherwise here, or one that says so
    // here (the edit box selects a word). For every other control it is an ordinary press with
    // its own click, so quick presses on a button are all presses.
    void SetAcceptsDoubleClicks(bool v) { acceptsDoubleClicks_ = v; }
    bool AcceptsDoubleClicks() const { return acceptsDoubleClicks_.value_or(bool(OnDblClick)); }
    // Focusable controls take the keyboard focus when pressed (an edit box is).
    void SetFocusable(bool v) { focusable_ = v; }
    bool Focusable() const { return focusable_; }
    // Keyboard stops take the focus from Tab and Shift+Tab (FocusChain.h) without taking it on a
    // press: a button keeps the text field's focus when clicked, and still answers Space once
    // tabbed to. Focusable controls are stops as well.
    void SetKeyboardStop(bool v) { keyboardStop_ = v; }
    bool KeyboardStop() const { return keyboardStop_; }
    // Where the focus ring goes round the control, in its own coordinates; it may reach past the
    // control (a field's inner edit box rings the whole field).
    virtual Rect FocusRingBounds() const { return ClientRect(); }

    // ---- events
    NotifyEvent OnClick;
    NotifyEvent OnDblClick;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseUp;
    MouseMoveEvent OnMouseMove;
    MouseWheelEvent OnMouseWheel;
    NotifyEvent OnMouseEnter;
    NotifyEvent OnMouseLeave;
    KeyEvent OnKeyDown;
    NotifyEvent OnResize;

    // ---- screen readers (Accessibility.h)
    // Fills in what a screen reader is told about the control: its role, value, states and
    // actions (the name arrives as the caption). The default leaves the role None: the control is
    // decoration and its children stand in its place.
    virtual void Describe(AccessibleDescription& description);

    // A child told this (windowed) control that something about it changed (the check box after
    // a press has toggled it, the image buttons when the pointer enters); the child is the
    // argument. Raised synchronously, after the child's own event.
    Signal<Control&> ChildChanged;
    // Handles a key as if pressed while this control had the keyboard focus (an edit field passes
    // Enter and Escape on to the window around it). The modifiers are those of the key being
    // dispatched, if any.
    void PressKey(int key);

    // ---- stored layout (StoredLayout.h)
    // The class's stored properties, declared once (PropertyTable.h). A class with properties of
    // its own overrides this with a table that starts as a copy of its base class's table.
    virtual const PropertyTable& StoredProperties() const;
    // Applies one stored property through the table; returns false for a name the class does not
    // know. Dotted names address sub-objects ("Font.Name"). Values of the wrong kind throw
    // LayoutError. Override only for names no table can list in advance.
    virtual bool SetProperty(std::string_view name, const LayoutValue& value);
    // Receives a binary property in the stored-form binary encoding: type byte 10, 4-byte
    // little-endian length, payload (see DecodeBinaryValue). The default hands the payload, as a
    // binary LayoutValue, to the table entry of that name. Returns false for unknown names.
    virtual bool ReadBinaryProperty(std::string_view name, std::span<const std::uint8_t> encoded);
    // Appends the stored properties in table order (binary ones as binary values).
    virtual void GetProperties(std::vector<LayoutProperty>& out) const;
    // Called once every property and child of a loaded layout is in place.
    virtual void Loaded() {}
    // Event bindings read from a stored layout ("OnClick" -> "GlassButton1Click"), kept so the
    // layout can be written back; the reader hands them to its event binder.
    std::vector<std::pair<std::string, std::string>>& StoredEvents() { return storedEvents_; }
    const std::vector<std::pair<std::string, std::string>>& StoredEvents() const { return storedEvents_; }

protected:
    // Called by the kind constructors.
    void SetWindowed();

    // Paints the whole control through the canvas (origin at the control's top-left, clipped to
    // the control and to the area being repainted). Windowless controls see their parent's and
    // earlier siblings' pixels beneath them; windowed ones see their own Color fill.
    virtual void Paint(Canvas& canvas);

    // Pointer and keys, in control coordinates. The defaults raise the matching events.
    virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
    virtual void MouseMove(ShiftState shift, int x, int y);
    virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
    // The wheel turned over the control (delta as for MouseWheelEvent). Returns true when the
    // control used the turn; otherwise it goes on to the parent. The default raises OnMouseWheel.
    virtual bool MouseWheel(ShiftState shift, int delta, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void Click();
    virtual void DblClick();
    virtual void KeyDown(int& key, ShiftState shift);
    // A key let go while the control has the focus (a button pressed by Space clicks now).
    virtual void KeyUp(int key, ShiftState shift);
    // Text typed while focused (UTF-8, may be several characters, any script).
    virtual void TextInput(std::string_view utf8);
    virtual void FocusChanged(bool focused);
    // After the size changed (before children are realigned).
    virtual void Resized();
    // The area that aligned children share out (a panel with a border keeps them inside it).
    virtual Rect AlignArea() const { return ClientRect(); }
    // The enabled state, font or caption changed.
    virtual void EnabledChanged() {}
    virtual void FontChanged() {}

private:
    friend class InputRouter;  // raises the pointer, key and click handlers
    friend class Form;
    friend class FormPainter;

    void RemoveChild(Control* child);
    void Realign();
    void ParentFontChanged();
    void InvalidateInParent();

    std::string name_;
    bool windowed_ = false;
    bool isForm_ = false;
    WindowHandle handle_ = 0;
    Control* parent_ = nullptr;
    std::vector<Control*> children_;
    Control* owner_ = nullptr;
    std::vector<Control*> owned_;
    Rect bounds_{};
    Align align_ = Align::None;
    int alignDisabled_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    std::string hint_;
    std::string spokenName_;
    std::string spokenDescription_;
    bool showHint_ = false;
    std::intptr_t tag_ = 0;
    Font font_{};
    bool parentFont_ = true;
    Color color_ = kClBtnFace;
    CursorId cursor_ = kCrDefault;
    bool handlesPressRelease_ = false;
    std::optional<bool> acceptsDoubleClicks_;  // unset: when there is an OnDblClick handler
    bool focusable_ = false;
    bool keyboardStop_ = false;
    std::vector<std::pair<std::string, std::string>> storedEvents_;
    std::vector<LayoutProperty> keptProperties_;  // framework properties kept only for writing back
};

// The windowless kind (paints on its parent's surface).
class GraphicControl : public Control {
public:
    GraphicControl();
    std::string ClassName() const override { return "TGraphicControl"; }
};

// The windowed kind (own window, children, covers windowless siblings).
class CustomControl : public Control {
public:
    CustomControl();
    std::string ClassName() const override { return "TCustomControl"; }
};

}  // namespace veskel
