// veskel-drag-source FILE...: a small window (80 x 60, top-left at 600, 400) that starts a drag of
// the given files (as file URLs) when pressed, the way a file manager does, so that the
// real-window tests can drop files onto our windows through the desktop's own drag protocol.
// Prints "ready" once shown and "dragged <action>" when the drag ends.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class Source : public QWidget {
public:
    explicit Source(QList<QUrl> urls) : urls_(std::move(urls)) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setGeometry(600, 400, 80, 60);
        setStyleSheet("background: #c04020");
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls_);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        std::printf("dragged %d\n", int(action));
        std::fflush(stdout);
    }

private:
    QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
    Source source(urls);
    source.show();
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
