#pragma once
// One native window for one shown form. It keeps a copy of the form's 24-bit surface and
// presents it pixel for pixel (on a high-density screen every pixel becomes a whole k x k block,
// never smoothed), and reports what happens to it (pointer, keys, text, enter and leave, move,
// activation, state, close) to a sink in window coordinates.
#include <QImage>
#include <QMimeData>
#include <QPoint>
#include <QRasterWindow>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"

namespace veskel::qt {

// Receives a form window's input, already in the form's own pixel coordinates.
class FormWindowSink {
public:
    virtual ~FormWindowSink() = default;
    virtual void PointerPressed(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods) = 0;
    virtual void PointerReleased(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods) = 0;
    virtual void PointerMoved(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) = 0;
    // Follows the press of the second click of a double click.
    virtual void PointerDoubleClicked(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods) = 0;
    // `delta` in eighths of a degree (120 per notch), positive away from the user.
    virtual void WheelTurned(QPoint pos, int delta, Qt::KeyboardModifiers mods) = 0;
    virtual void KeyPressed(int qtKey, Qt::KeyboardModifiers mods, bool autoRepeat) = 0;
    virtual void KeyReleased(int qtKey, Qt::KeyboardModifiers mods) = 0;
    // Printable text typed or committed by an input method (never control characters).
    virtual void TextEntered(const QString& text) = 0;
    virtual void PointerEntered() = 0;
    virtual void PointerLeft() = 0;
    virtual void WindowMoved(QPoint topLeft) = 0;
    virtual void ActivationChanged(bool active) = 0;
    // The window became minimized, maximized or normal (by the program or the window manager).
    virtual void StateChanged(Qt::WindowState) {}
    // The user or the window system asked to close the window; it stays open until the
    // owner hides or destroys it.
    virtual void CloseRequested() = 0;
    // Whether the window takes dropped files; then the local paths of a drop, at its point.
    virtual bool AcceptsDroppedFiles() { return false; }
    virtual void FilesDropped(QPoint, const QStringList&) {}
};

class FormWindow : public QRasterWindow {
    Q_OBJECT
public:
    // `size` is the form's size in pixels; the window cannot be resized by the user.
    FormWindow(FormWindowSink* sink, QSize size);

    void SetSink(FormWindowSink* sink) { sink_ = sink; }
    // Changes the presented size (the frame keeps what fits, the rest is black until presented).
    void SetFormSize(QSize size);
    QSize FormSize() const { return frame_.size(); }
    // Copies `area` of `surface` (clipped to both) into the presented frame and schedules its
    // repaint. A translucent window takes each pixel's opacity from `opacity` (one byte a pixel,
    // rows top first, the surface's size; anything else counts as opaque).
    void Present(const Bitmap& surface, const Rect& area, const std::vector<std::uint8_t>* opacity = nullptr);
    // Per-pixel opacity: an alpha surface, presented as premultiplied ARGB so that a compositing
    // desktop shows what lies behind. Takes effect on a window not yet created; returns whether
    // the window now has it.
    bool SetTranslucent(bool on);
    bool Translucent() const { return frame_.hasAlphaChannel(); }
    // The screen readers' view of the window (the factory QtAccessibility installs); a plain
    // QWindow offers none.
    QAccessibleInterface* accessibleRoot() const override;

    // What the window shows, one pixel per form pixel.
    const QImage& Frame() const { return frame_; }

    // Starts an interactive move while a mouse button is held: the window system's move when it
    // offers one, otherwise the window follows the pointer until the button is released.
    // Returns false when no button is held.
    bool StartMove();
    bool IsMovingManually() const { return manualMove_; }

    // Whole-number scale used for presentation (1 on a normal screen).
    int PixelScale() const;

    // Converts a text event's text to what the sink should see: no control characters.
    static QString PrintableText(const QString& text);
    // The local files a drag carries (none when it carries anything else).
    static QStringList LocalFiles(const QMimeData* data);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    FormWindowSink* sink_;
    QImage frame_;
    bool manualMove_ = false;
    QPoint moveStartPointer_;
    QPoint moveStartWindow_;
};

}  // namespace veskel::qt
