#include "platform/backends/qt/QtAccessibility.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAccessibleObject>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/backends/qt/QtBackendImpl.h"
#include "platform/backends/qt/QtConvert.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel::qt {

namespace {

QtBackend* g_backend = nullptr;

bool Contains(const Control& root, const Control* c) {
    if (&root == c) return true;
    return std::any_of(root.Children().begin(), root.Children().end(),
                       [c](const Control* child) { return Contains(*child, c); });
}

// Interfaces outlive nothing they point at: a control counts only while it is in a live form's tree.
bool IsLive(const Control* c) {
    Application* app = Application::Current();
    if (!app || !c) return false;
    return std::any_of(app->Forms().begin(), app->Forms().end(), [c](const Form* f) { return Contains(*f, c); });
}

QAccessible::Role ToQtRole(AccessibleRole role) {
    switch (role) {
        case AccessibleRole::None: return QAccessible::NoRole;
        case AccessibleRole::Window: return QAccessible::Window;
        case AccessibleRole::ToolTip: return QAccessible::ToolTip;
        // Qt hands a title bar on as plain text; a panel holding its buttons reads better.
        case AccessibleRole::TitleBar: return QAccessible::Grouping;
        case AccessibleRole::Grouping: return QAccessible::Grouping;
        case AccessibleRole::PushButton: return QAccessible::Button;
        case AccessibleRole::CheckBox: return QAccessible::CheckBox;
        case AccessibleRole::Slider: return QAccessible::Slider;
        case AccessibleRole::List: return QAccessible::List;
        case AccessibleRole::ListItem: return QAccessible::ListItem;
        case AccessibleRole::PageTabList: return QAccessible::PageTabList;
        case AccessibleRole::PageTab: return QAccessible::PageTab;
        case AccessibleRole::EditableText: return QAccessible::EditableText;
        case AccessibleRole::StaticText: return QAccessible::StaticText;
        case AccessibleRole::Link: return QAccessible::Link;
        case AccessibleRole::Image: return QAccessible::Graphic;
        case AccessibleRole::ColorChooser: return QAccessible::ColorChooser;
    }
    return QAccessible::NoRole;
}

const QString& ActionName(AccessibleActionKind kind) {
    switch (kind) {
        case AccessibleActionKind::Press: return QAccessibleActionInterface::pressAction();
        case AccessibleActionKind::Toggle: return QAccessibleActionInterface::toggleAction();
        case AccessibleActionKind::Increase: return QAccessibleActionInterface::increaseAction();
        case AccessibleActionKind::Decrease: return QAccessibleActionInterface::decreaseAction();
        case AccessibleActionKind::ShowMenu: return QAccessibleActionInterface::showMenuAction();
    }
    return QAccessibleActionInterface::pressAction();
}

QAccessible::State ToQtState(const AccessibleDescription& d) {
    QAccessible::State s;
    s.invisible = !d.showing;
    s.disabled = !d.enabled;
    s.focusable = d.focusable;
    s.focused = d.focused;
    s.checkable = d.checkable;
    s.checked = d.checked;
    s.selectable = d.selectable;
    s.selected = d.selected;
    s.readOnly = d.role == AccessibleRole::StaticText || d.readOnly;
    if (d.role == AccessibleRole::EditableText) {
        s.editable = !d.readOnly;
        s.selectableText = true;
    }
    return s;
}

// The description of a control, or of one of its parts (part >= 0); nullopt when it is gone.
std::optional<AccessibleDescription> DescribeLive(Control* c, int part) {
    if (!IsLive(c)) return std::nullopt;
    AccessibleDescription d = DescribeControl(*c);
    if (part < 0) return d;
    if (std::size_t(part) >= d.parts.size()) return std::nullopt;
    return std::move(d.parts[std::size_t(part)]);
}

QRect ScreenRect(Control& c, const std::optional<Rect>& bounds) {
    const Rect r = bounds.value_or(c.ClientRect());
    const Point at = c.OffsetInForm();
    QPoint topLeft(at.x + r.left, at.y + r.top);
    Form* form = c.GetForm();
    if (FormWindow* w = form && g_backend ? g_backend->WindowOf(*form) : nullptr) {
        topLeft = w->mapToGlobal(topLeft);
    } else {
        const Point s = c.ClientToScreen({r.left, r.top});
        topLeft = QPoint(s.x, s.y);
    }
    return QRect(topLeft, QSize(r.Width(), r.Height()));
}

QAccessibleInterface* InterfaceFor(Control* c, int part = -1);

QAccessibleInterface* WindowInterfaceOf(Form& form) {
    FormWindow* w = g_backend ? g_backend->WindowOf(form) : nullptr;
    return w ? QAccessible::queryAccessibleInterface(w) : nullptr;
}

QAccessibleInterface* InterfaceOfParent(Control& c) {
    Control* p = AccessibleParent(c);
    if (!p) return nullptr;
    if (auto* form = dynamic_cast<Form*>(p)) return WindowInterfaceOf(*form);
    return InterfaceFor(p);
}

// ---- what was last told of a few controls, to report what changes

// The lookups every interface with children answers alike, through its own child(i).
int IndexOfChild(const QAccessibleInterface& self, const QAccessibleInterface* child) {
    for (int i = 0, n = self.childCount(); i < n; ++i)
        if (self.child(i) == child) return i;
    return -1;
}

// The topmost shown child at a screen point (later children lie over earlier ones).
QAccessibleInterface* ChildAt(const QAccessibleInterface& self, int x, int y) {
    for (int i = self.childCount() - 1; i >= 0; --i) {
        QAccessibleInterface* c = self.child(i);
        if (c && !c->state().invisible && c->rect().contains(x, y)) return c;
    }
    return nullptr;
}

struct Told {
    Control* control = nullptr;
    AccessibleRole role = AccessibleRole::None;
    QString name, description, value;
    QAccessible::State state;
    int caret = -1, anchor = -1;         // a field's
    int selectedPart = -1;               // a list's selected entry
    Control* selectedChild = nullptr;    // a page tab list's selected tab
};
std::vector<Told> g_told;  // the focused controls, the latest ones acted on, their tab lists
constexpr std::size_t kToldKept = 12;

Told TellNow(Control* c, const AccessibleDescription& d) {
    Told t{c, d.role, QString::fromStdString(d.name), QString::fromStdString(d.description),
           QString::fromStdString(d.value), ToQtState(d), d.caret, d.anchor, -1, nullptr};
    for (std::size_t i = 0; i < d.parts.size(); ++i)
        if (d.parts[i].selected) t.selectedPart = int(i);
    if (d.role == AccessibleRole::PageTabList) {
        for (Control* tab : AccessibleChildren(*c))
            if (DescribeControl(*tab).selected) t.selectedChild = tab;
    }
    return t;
}

void WatchOne(Control* c) {
    g_told.erase(std::remove_if(g_told.begin(), g_told.end(), [c](const Told& t) { return t.control == c; }),
                 g_told.end());
    if (g_told.size() >= kToldKept) g_told.erase(g_told.begin());
    g_told.push_back(TellNow(c, DescribeControl(*c)));
}

// The control and the page tab lists round it: a switch of page is reported by the tab list.
void Watch(Control* c) {
    if (!IsLive(c)) return;
    for (Control* p = AccessibleParent(*c); p && p->Parent(); p = AccessibleParent(*p))
        if (DescribeControl(*p).role == AccessibleRole::PageTabList) WatchOne(p);
    WatchOne(c);
}

// The action (or value) is looked up again when it runs: the control may have changed or gone.
void RunLater(Control* c, int part, std::function<void(const AccessibleDescription&)> run) {
    QTimer::singleShot(0, QCoreApplication::instance(), [c, part, run = std::move(run)] {
        const std::optional<AccessibleDescription> d = DescribeLive(c, part);
        if (!d || !d->enabled) return;
        Application* app = Application::Current();
        Watch(c);  // as it was: the paint that follows reports what the action changed
        try {
            run(*d);
        } catch (const std::exception& e) {
            if (app) app->ShowException(e);
        } catch (...) {
            if (app) app->ShowException(std::runtime_error("Unknown error"));
        }
        if (app) app->ProcessMessages();
    });
}

// ---- one control, or one part of it

class ControlAccessible : public QAccessibleInterface,
                          public QAccessibleActionInterface,
                          public QAccessibleValueInterface,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    ControlAccessible(Control* control, int part) : control_(control), part_(part) {}

    bool isValid() const override { return DescribeLive(control_, part_).has_value(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        Form* form = IsLive(control_) ? control_->GetForm() : nullptr;
        return form ? g_backend->WindowOf(*form) : nullptr;
    }

    QAccessibleInterface* parent() const override {
        if (!IsLive(control_)) return nullptr;
        return part_ >= 0 ? InterfaceFor(control_) : InterfaceOfParent(*control_);
    }
    int childCount() const override {
        if (part_ >= 0 || !IsLive(control_)) return 0;
        return int(AccessibleChildren(*control_).size() + DescribeControl(*control_).parts.size());
    }
    QAccessibleInterface* child(int index) const override {
        if (part_ >= 0 || index < 0 || !IsLive(control_)) return nullptr;
        const std::vector<Control*> children = AccessibleChildren(*control_);
        if (std::size_t(index) < children.size()) return InterfaceFor(children[std::size_t(index)]);
        const std::size_t part = std::size_t(index) - children.size();
        return part < DescribeControl(*control_).parts.size() ? InterfaceFor(control_, int(part)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override { return IndexOfChild(*this, child); }
    QAccessibleInterface* childAt(int x, int y) const override { return ChildAt(*this, x, y); }

    QString text(QAccessible::Text t) const override {
        const auto d = DescribeLive(control_, part_);
        if (!d) return {};
        switch (t) {
            case QAccessible::Name: return QString::fromStdString(d->name);
            case QAccessible::Description: {
                // A value no interface of Qt's carries to the desktop (a colour box's colour, a
                // list's entry) is read with the description.
                std::string text = d->description;
                if (!d->value.empty() && !d->range && d->role != AccessibleRole::EditableText && d->value != d->name)
                    text += (text.empty() ? "" : ", ") + d->value;
                return QString::fromStdString(text);
            }
            case QAccessible::Value: return QString::fromStdString(d->value);
            default: return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const auto d = DescribeLive(control_, part_);
        return d ? ScreenRect(*control_, d->bounds) : QRect();
    }
    QAccessible::Role role() const override {
        const auto d = DescribeLive(control_, part_);
        return d ? ToQtRole(d->role) : QAccessible::NoRole;
    }
    QAccessible::State state() const override {
        const auto d = DescribeLive(control_, part_);
        QAccessible::State s;
        if (!d) {
            s.invisible = true;
            return s;
        }
        return ToQtState(*d);
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        const auto d = DescribeLive(control_, part_);
        if (!d) return nullptr;
        if (type == QAccessible::ActionInterface && (!d->actions.empty() || d->focusable))
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::ValueInterface && d->range) return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::TextInterface && d->role == AccessibleRole::EditableText)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface && d->role == AccessibleRole::EditableText && !d->readOnly &&
            d->replaceText)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return nullptr;
    }

    // A field names its label, a label the fields it names.
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override {
        QList<QPair<QAccessibleInterface*, QAccessible::Relation>> out;
        const auto d = DescribeLive(control_, part_);
        if (!d || part_ >= 0) return out;
        if ((match & QAccessible::Label) && d->labelledBy) out.append({InterfaceFor(d->labelledBy), QAccessible::Label});
        if ((match & QAccessible::Labelled) && d->role == AccessibleRole::StaticText)
            for (Control* named : LabelledControls(*control_)) out.append({InterfaceFor(named), QAccessible::Labelled});
        return out;
    }

    // ---- actions
    QStringList actionNames() const override {
        QStringList names;
        if (const auto d = DescribeLive(control_, part_)) {
            for (const AccessibleAction& a : d->actions) names << ActionName(a.kind);
            if (d->focusable && part_ < 0) names << setFocusAction();
        }
        return names;
    }
    void doAction(const QString& name) override {
        Control* c = control_;
        if (name == setFocusAction() && part_ < 0) {
            RunLater(c, -1, [c](const AccessibleDescription&) { c->SetFocus(); });
            return;
        }
        RunLater(c, part_, [name](const AccessibleDescription& d) {
            for (const AccessibleAction& a : d.actions) {
                if (ActionName(a.kind) == name) {
                    a.run();
                    return;
                }
            }
        });
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // ---- value
    QVariant currentValue() const override {
        const auto d = DescribeLive(control_, part_);
        return d && d->range ? QVariant(d->range->current) : QVariant();
    }
    void setCurrentValue(const QVariant& value) override {
        const int v = value.toInt();
        RunLater(control_, part_, [v](const AccessibleDescription& d) {
            if (d.range && d.range->set) d.range->set(std::clamp(v, d.range->minimum, d.range->maximum));
        });
    }
    QVariant maximumValue() const override {
        const auto d = DescribeLive(control_, part_);
        return d && d->range ? QVariant(d->range->maximum) : QVariant();
    }
    QVariant minimumValue() const override {
        const auto d = DescribeLive(control_, part_);
        return d && d->range ? QVariant(d->range->minimum) : QVariant();
    }
    QVariant minimumStepSize() const override { return QVariant(1); }

    // ---- text (a one-line field)
    QString Text() const {
        const auto d = DescribeLive(control_, part_);
        return d ? QString::fromStdString(d->value) : QString();
    }
    // Offsets count characters (code points) here and in the field; Qt's strings count UTF-16
    // units, the same for every character the fields take outside the supplementary planes.
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        const auto d = DescribeLive(control_, part_);
        if (!d || index != 0 || d->anchor < 0 || d->anchor == d->caret) return;
        *start = std::min(d->anchor, d->caret);
        *end = std::max(d->anchor, d->caret);
    }
    int selectionCount() const override {
        const auto d = DescribeLive(control_, part_);
        return d && d->anchor >= 0 && d->anchor != d->caret ? 1 : 0;
    }
    void addSelection(int start, int end) override { Select(start, end); }
    void removeSelection(int) override {
        const int caret = cursorPosition();
        Select(caret, caret);
    }
    void setSelection(int, int start, int end) override { Select(start, end); }
    int cursorPosition() const override {
        const auto d = DescribeLive(control_, part_);
        return d && d->caret >= 0 ? d->caret : int(Text().size());
    }
    void setCursorPosition(int position) override { Select(position, position); }
    QString text(int start, int end) const override {
        const QString t = Text();
        start = std::clamp(start, 0, int(t.size()));
        end = end < 0 ? int(t.size()) : std::clamp(end, start, int(t.size()));
        return t.mid(start, end - start);
    }
    // Characters one by one; any longer unit is the whole line.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override {
        const QString t = Text();
        if (boundary == QAccessible::CharBoundary) {
            *start = std::clamp(offset, 0, int(t.size()));
            *end = std::min(*start + 1, int(t.size()));
        } else {
            *start = 0;
            *end = int(t.size());
        }
        return t.mid(*start, *end - *start);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override {
        if (boundary == QAccessible::CharBoundary && offset > 0) return textAtOffset(offset - 1, boundary, start, end);
        *start = *end = 0;
        return {};
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override {
        const int size = int(Text().size());
        if (boundary == QAccessible::CharBoundary && offset + 1 < size)
            return textAtOffset(offset + 1, boundary, start, end);
        *start = *end = size;
        return {};
    }
    int characterCount() const override { return int(Text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

    // ---- editable text: as selecting the range and typing over it, a moment later
    void deleteText(int start, int end) override { Replace(start, end, {}); }
    void insertText(int offset, const QString& text) override { Replace(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override { Replace(start, end, text); }

private:
    void Select(int anchor, int caret) {
        RunLater(control_, part_, [anchor, caret](const AccessibleDescription& d) {
            if (d.select) d.select(anchor, caret);
        });
    }
    void Replace(int start, int end, const QString& text) {
        const std::string utf8 = text.toStdString();
        RunLater(control_, part_, [start, end, utf8](const AccessibleDescription& d) {
            if (!d.replaceText || d.readOnly) return;
            const int size = int(QString::fromStdString(d.value).size());
            const int from = std::clamp(start, 0, size);
            const int to = end < 0 ? size : std::clamp(end, from, size);
            d.replaceText(from, to, utf8);
        });
    }

    Control* control_;
    int part_;
};

// Interfaces of controls are registered with Qt once and found again by control and part; those
// of controls that have gone are dropped whenever the table has doubled since the last sweep.
std::map<std::pair<const Control*, int>, QAccessible::Id> g_ids;
std::size_t g_sweepAt = 256;

void SweepGone() {
    for (auto it = g_ids.begin(); it != g_ids.end();) {
        QAccessibleInterface* iface = QAccessible::accessibleInterface(it->second);
        if (iface && iface->isValid()) {
            ++it;
            continue;
        }
        if (iface) QAccessible::deleteAccessibleInterface(it->second);
        it = g_ids.erase(it);
    }
    g_sweepAt = std::max<std::size_t>(256, g_ids.size() * 2);
}

QAccessibleInterface* InterfaceFor(Control* c, int part) {
    const auto key = std::make_pair(static_cast<const Control*>(c), part);
    if (auto it = g_ids.find(key); it != g_ids.end()) {
        if (QAccessibleInterface* iface = QAccessible::accessibleInterface(it->second)) return iface;
        g_ids.erase(it);
    }
    if (g_ids.size() >= g_sweepAt) SweepGone();
    auto* iface = new ControlAccessible(c, part);
    g_ids[key] = QAccessible::registerAccessibleInterface(iface);
    return iface;
}

// ---- a form's window: the root of its controls

class WindowAccessible : public QAccessibleInterface {
public:
    explicit WindowAccessible(FormWindow* window) : window_(window) {}

    Form* GetForm() const { return window_ && g_backend ? g_backend->FormOf(window_) : nullptr; }

    bool isValid() const override { return GetForm() != nullptr; }
    QObject* object() const override { return window_; }
    QWindow* window() const override { return window_; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(QCoreApplication::instance());
    }
    int childCount() const override {
        Form* form = GetForm();
        return form ? int(AccessibleChildren(*form).size()) : 0;
    }
    QAccessibleInterface* child(int index) const override {
        Form* form = GetForm();
        if (!form || index < 0) return nullptr;
        const std::vector<Control*> children = AccessibleChildren(*form);
        return std::size_t(index) < children.size() ? InterfaceFor(children[std::size_t(index)]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override { return IndexOfChild(*this, child); }
    QAccessibleInterface* childAt(int x, int y) const override { return ChildAt(*this, x, y); }
    QAccessibleInterface* focusChild() const override {
        Form* form = GetForm();
        Control* focused = form ? form->ActiveControl() : nullptr;
        Control* target = focused ? AccessibleFocusTarget(*focused) : nullptr;
        return target && target != form ? InterfaceFor(target) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        Form* form = GetForm();
        if (!form || t != QAccessible::Name) return {};
        return QString::fromStdString(DescribeControl(*form).name);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!window_) return {};
        return QRect(window_->mapToGlobal(QPoint(0, 0)), window_->size());
    }
    QAccessible::Role role() const override {
        Form* form = GetForm();
        return form ? ToQtRole(DescribeControl(*form).role) : QAccessible::Window;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        Form* form = GetForm();
        s.invisible = !window_ || !window_->isVisible();
        s.active = form && form->Active();
        s.focusable = true;
        s.focused = form && form->Active() && !form->ActiveControl();
        return s;
    }

private:
    QPointer<FormWindow> window_;
};

// The application as the desktop lists it: by the program's name, the last part of its id
// (io.github.veskel.Veskel), not by the whole id that Qt's application name carries for the
// window manager.
class AppAccessible : public QAccessibleApplication {
public:
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleApplication::text(t);
        const QString id = QCoreApplication::applicationName();
        return id.mid(id.lastIndexOf(QLatin1Char('.')) + 1);
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* window = qobject_cast<FormWindow*>(object)) return new WindowAccessible(window);
    if (object && object == QCoreApplication::instance()) return new AppAccessible;
    return nullptr;
}

void Send(QAccessibleEvent&& event) { QAccessible::updateAccessibility(&event); }

// What changed in a field's text: the part between what the old and the new text share at their
// starts and ends.
void ReportTextChange(QAccessibleInterface* iface, const QString& before, const QString& after) {
    int start = 0;
    while (start < before.size() && start < after.size() && before[start] == after[start]) ++start;
    int tail = 0;
    while (tail < before.size() - start && tail < after.size() - start &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const QString removed = before.mid(start, before.size() - start - tail);
    const QString inserted = after.mid(start, after.size() - start - tail);
    if (!removed.isEmpty() && !inserted.isEmpty()) Send(QAccessibleTextUpdateEvent(iface, start, removed, inserted));
    else if (!removed.isEmpty()) Send(QAccessibleTextRemoveEvent(iface, start, removed));
    else if (!inserted.isEmpty()) Send(QAccessibleTextInsertEvent(iface, start, inserted));
}

// The focus is reported once the event that moved it is done: a page switch that moves it
// through the strip and the window to the page's first control is heard as that control alone.
struct PendingFocus {
    Form* form = nullptr;
    Control* focused = nullptr;
    bool queued = false;
};
PendingFocus g_pendingFocus;

void ReportFocusNow() {
    g_pendingFocus.queued = false;
    Form* form = g_pendingFocus.form;
    Application* app = Application::Current();
    if (!form || !app || std::find(app->Forms().begin(), app->Forms().end(), form) == app->Forms().end()) return;
    Control* focused = g_pendingFocus.focused;
    if (focused && !IsLive(focused)) return;
    Control* target = focused ? AccessibleFocusTarget(*focused) : nullptr;
    QAccessibleInterface* iface = target && target != form ? InterfaceFor(target) : WindowInterfaceOf(*form);
    if (!iface) return;
    if (target && target != form) Watch(target);
    Send(QAccessibleEvent(iface, QAccessible::Focus));
}

}  // namespace

void InstallAccessibility(QtBackend& backend) {
    static bool installed = false;
    g_backend = &backend;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Factory);
}

void ReportAccessibleWindow(FormWindow& window, bool shown) {
    if (!QAccessible::isActive()) return;
    if (shown) {
        QAccessibleEvent created(&window, QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&created);
    }
    QAccessibleEvent event(&window, shown ? QAccessible::ObjectShow : QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&event);
}

void ReportAccessibleFocus(QtBackend& backend, Form& form, Control* focused) {
    if (!QAccessible::isActive() || &backend != g_backend) return;
    g_pendingFocus.form = &form;
    g_pendingFocus.focused = focused;
    if (g_pendingFocus.queued) return;
    g_pendingFocus.queued = true;
    QTimer::singleShot(0, QCoreApplication::instance(), ReportFocusNow);
}

void ReportAccessibleChanges(QtBackend& backend, Form& form) {
    if (!QAccessible::isActive() || &backend != g_backend || g_told.empty()) return;
    for (Told& told : g_told) {
        if (!IsLive(told.control) || told.control->GetForm() != &form) continue;
        const Told now = TellNow(told.control, DescribeControl(*told.control));
        QAccessibleInterface* iface = InterfaceFor(told.control);
        if (now.name != told.name) {
            QAccessibleEvent event(iface, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
        if (now.description != told.description) {
            QAccessibleEvent event(iface, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&event);
        }
        if (now.role == AccessibleRole::EditableText) {
            // A field tells what changed in its text, where its caret went and what is selected.
            if (now.value != told.value) ReportTextChange(iface, told.value, now.value);
            if (now.caret != told.caret || now.value != told.value)
                Send(QAccessibleTextCursorEvent(iface, std::max(now.caret, 0)));
            const bool selectedBefore = told.anchor != told.caret, selectedNow = now.anchor != now.caret;
            if ((selectedBefore || selectedNow) && (now.anchor != told.anchor || now.caret != told.caret))
                Send(QAccessibleTextSelectionEvent(iface, std::min(now.anchor, now.caret), std::max(now.anchor, now.caret)));
        } else if (now.value != told.value && iface->valueInterface()) {
            Send(QAccessibleValueChangeEvent(iface, now.value));
        }
        // A list's entry or a page tab chosen: the one left and the one taken say so; with the
        // focus on the list, the entry takes it (as the list's active entry).
        if (now.selectedPart != told.selectedPart) {
            if (told.selectedPart >= 0) Send(QAccessibleEvent(InterfaceFor(told.control, told.selectedPart), QAccessible::SelectionRemove));
            if (now.selectedPart >= 0) {
                QAccessibleInterface* entry = InterfaceFor(now.control, now.selectedPart);
                Send(QAccessibleEvent(entry, QAccessible::SelectionAdd));
                if (now.state.focused) Send(QAccessibleEvent(entry, QAccessible::Focus));
            }
        }
        if (now.selectedChild != told.selectedChild) {
            if (told.selectedChild && IsLive(told.selectedChild))
                Send(QAccessibleEvent(InterfaceFor(told.selectedChild), QAccessible::SelectionRemove));
            if (now.selectedChild) Send(QAccessibleEvent(InterfaceFor(now.selectedChild), QAccessible::SelectionAdd));
        }
        // (A page tab's own selection is told by its tab list, above.)
        if (now.state.selected != told.state.selected && now.role != AccessibleRole::PageTab)
            Send(QAccessibleEvent(iface, QAccessible::Selection));
        QAccessible::State changed;
        changed.checked = now.state.checked != told.state.checked;
        changed.disabled = now.state.disabled != told.state.disabled;
        changed.invisible = now.state.invisible != told.state.invisible;
        changed.focused = now.state.focused != told.state.focused;
        if (changed.checked || changed.disabled || changed.invisible || changed.focused)
            Send(QAccessibleStateChangeEvent(iface, changed));
        told = now;
    }
    g_told.erase(std::remove_if(g_told.begin(), g_told.end(), [](const Told& t) { return !IsLive(t.control); }),
                 g_told.end());
}

}  // namespace veskel::qt
