#include "platform/backends/qt/QtFormWindow.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QCursor>
#include <QDropEvent>
#include <QUrl>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include <cmath>

namespace veskel::qt {

namespace {

QPoint ToFormPoint(const QPointF& p) { return QPoint(int(std::floor(p.x())), int(std::floor(p.y()))); }

}  // namespace

FormWindow::FormWindow(FormWindowSink* sink, QSize size) : sink_(sink) {
    SetFormSize(size);
    connect(this, &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
        if (sink_) sink_->StateChanged(state);
    });
}

void FormWindow::SetFormSize(QSize size) {
    size = size.expandedTo(QSize(1, 1));
    if (frame_.size() != size) {
        QImage next(size, frame_.isNull() ? QImage::Format_RGB32 : frame_.format());
        next.fill(Qt::black);
        if (!frame_.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, frame_);
        }
        frame_ = std::move(next);
    }
    setMinimumSize(size);
    setMaximumSize(size);
    resize(size);
}

void FormWindow::Present(const Bitmap& surface, const Rect& area, const std::vector<std::uint8_t>* opacity) {
    const Rect r = area.Intersect(surface.Bounds()).Intersect(Rect{0, 0, frame_.width(), frame_.height()});
    if (r.IsEmpty()) return;
    const std::size_t width = std::size_t(surface.Width());
    if (opacity && opacity->size() != width * std::size_t(surface.Height())) opacity = nullptr;
    const bool translucent = Translucent() && opacity;
    for (int y = r.top; y < r.bottom; ++y) {
        const std::uint8_t* src = surface.Row(y) + std::size_t(r.left) * 3;
        auto* dst = reinterpret_cast<QRgb*>(frame_.scanLine(y)) + r.left;
        if (!translucent) {
            for (int x = 0; x < r.Width(); ++x, src += 3) dst[x] = qRgb(src[2], src[1], src[0]);
            continue;
        }
        const std::uint8_t* alpha = opacity->data() + std::size_t(y) * width + std::size_t(r.left);
        for (int x = 0; x < r.Width(); ++x, src += 3) {
            const unsigned a = alpha[x];
            // Premultiplied, rounded: c x a / 255.
            const auto pre = [a](unsigned c) { return int((c * a + 127) / 255); };
            dst[x] = qRgba(pre(src[2]), pre(src[1]), pre(src[0]), int(a));
        }
    }
    update(QRect(r.left, r.top, r.Width(), r.Height()));
}

bool FormWindow::SetTranslucent(bool on) {
    if (on == Translucent()) return on;
    // The surface's format is chosen when the native window is made.
    if (handle()) return Translucent();
    QSurfaceFormat format = this->format();
    format.setAlphaBufferSize(on ? 8 : 0);
    setFormat(format);
    frame_ = frame_.convertToFormat(on ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return on;
}

QAccessibleInterface* FormWindow::accessibleRoot() const {
    return QAccessible::queryAccessibleInterface(const_cast<FormWindow*>(this));
}

int FormWindow::PixelScale() const {
    // The backend asks Qt to round the screen's scale to a whole number; guard anyway.
    const int k = int(std::lround(devicePixelRatio()));
    return k < 1 ? 1 : k;
}

void FormWindow::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    // Whole-factor enlargement must repeat pixels, never blend them.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : e->region()) p.drawImage(r, frame_, r);
}

bool FormWindow::StartMove() {
    if (QGuiApplication::mouseButtons() == Qt::NoButton) return false;
    if (startSystemMove()) return true;
    // No window manager, or one that refuses: follow the pointer ourselves.
    manualMove_ = true;
    moveStartPointer_ = QCursor::pos();
    moveStartWindow_ = position();
    return true;
}

QString FormWindow::PrintableText(const QString& text) {
    QString out;
    for (const QChar c : text)
        if (!c.isNull() && c.category() != QChar::Other_Control) out += c;
    return out;
}

bool FormWindow::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::Enter:
        if (sink_) sink_->PointerEntered();
        return true;
    case QEvent::Leave:
        if (sink_) sink_->PointerLeft();
        return true;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        if (sink_) sink_->ActivationChanged(e->type() == QEvent::WindowActivate);
        break;
    case QEvent::Close:
        // The owner decides whether the form closes; the native window stays until then.
        e->ignore();
        if (sink_) sink_->CloseRequested();
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* d = static_cast<QDropEvent*>(e);
        if (sink_ && sink_->AcceptsDroppedFiles() && !LocalFiles(d->mimeData()).isEmpty()) {
            d->setDropAction(Qt::CopyAction);
            d->accept();
        } else {
            d->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        const QStringList files = LocalFiles(d->mimeData());
        if (!sink_ || !sink_->AcceptsDroppedFiles() || files.isEmpty()) {
            d->ignore();
            return true;
        }
        d->setDropAction(Qt::CopyAction);
        d->accept();
        sink_->FilesDropped(ToFormPoint(d->position()), files);
        return true;
    }
    case QEvent::InputMethodQuery: {
        auto* q = static_cast<QInputMethodQueryEvent*>(e);
        if (q->queries() & Qt::ImEnabled) q->setValue(Qt::ImEnabled, true);
        if (q->queries() & Qt::ImCursorRectangle) q->setValue(Qt::ImCursorRectangle, QRect());
        q->accept();
        return true;
    }
    case QEvent::InputMethod: {
        auto* im = static_cast<QInputMethodEvent*>(e);
        const QString text = PrintableText(im->commitString());
        if (sink_ && !text.isEmpty()) sink_->TextEntered(text);
        im->accept();
        return true;
    }
    default:
        break;
    }
    return QRasterWindow::event(e);
}

QStringList FormWindow::LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
    }
    return files;
}

void FormWindow::mousePressEvent(QMouseEvent* e) {
    if (sink_) sink_->PointerPressed(ToFormPoint(e->position()), e->button(), e->modifiers());
}

void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (manualMove_) {
        if (e->buttons() == Qt::NoButton) manualMove_ = false;
        return;
    }
    if (sink_) sink_->PointerReleased(ToFormPoint(e->position()), e->button(), e->modifiers());
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
    if (manualMove_) {
        if (e->buttons() == Qt::NoButton) {
            manualMove_ = false;  // the release went elsewhere
        } else {
            setPosition(moveStartWindow_ + (e->globalPosition().toPoint() - moveStartPointer_));
            return;
        }
    }
    if (sink_) sink_->PointerMoved(ToFormPoint(e->position()), e->buttons(), e->modifiers());
}

void FormWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (sink_ && !manualMove_) sink_->PointerDoubleClicked(ToFormPoint(e->position()), e->button(), e->modifiers());
}

void FormWindow::wheelEvent(QWheelEvent* e) {
    const int delta = e->angleDelta().y();
    if (sink_ && delta != 0) sink_->WheelTurned(ToFormPoint(e->position()), delta, e->modifiers());
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
    if (!sink_) return;
    sink_->KeyPressed(e->key(), e->modifiers(), e->isAutoRepeat());
    // Text typed with Control or Alt held is a shortcut, not input.
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return;
    const QString text = PrintableText(e->text());
    if (!text.isEmpty() && sink_) sink_->TextEntered(text);
}

void FormWindow::keyReleaseEvent(QKeyEvent* e) {
    // A held key repeats as release-press pairs; only the last release lets it go.
    if (sink_ && !e->isAutoRepeat()) sink_->KeyReleased(e->key(), e->modifiers());
}

void FormWindow::moveEvent(QMoveEvent* e) {
    if (sink_) sink_->WindowMoved(e->pos());
}

}  // namespace veskel::qt
