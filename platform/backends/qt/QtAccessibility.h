#pragma once
// Screen readers on the Qt backend: each form's window carries the framework's control tree, as
// each control describes itself (platform/ui/Accessibility.h), behind Qt's accessibility
// interfaces; Qt hands it on to the desktop (AT-SPI on Linux). The interfaces ask the controls
// afresh on every question, so they never hold a stale name or value; an action runs from the
// event loop a moment later, as a click would, never inside the screen reader's call.
namespace veskel {
class Control;
class Form;
}  // namespace veskel

namespace veskel::qt {

class FormWindow;
class QtBackend;

// Installs the interface factory for the backend's windows (once per process).
void InstallAccessibility(QtBackend& backend);
// A form's window was shown or hidden: screen readers learn of a window only from this.
void ReportAccessibleWindow(FormWindow& window, bool shown);
// The keyboard focus of a form is now on `focused` (nullptr: the form itself).
void ReportAccessibleFocus(QtBackend& backend, Form& form, Control* focused);
// The form was painted: what a screen reader was told of the focused control (or of the one an
// action just ran on) may have changed; reports name, value and state changes.
void ReportAccessibleChanges(QtBackend& backend, Form& form);

}  // namespace veskel::qt
