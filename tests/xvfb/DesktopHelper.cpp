// veskel-desktop-helper: the other side of the desktop for the real-window tests.
//   drag FILE...          shows a small window (80 x 60, top-left at 600, 400) that starts a drag
//                         of the files (as file URLs) when pressed, as a file manager does; prints
//                         "ready" once shown and "dragged <action>" when the drag ends
//   clipboard-get OUT     waits (up to 5 s) for a picture on the clipboard and writes it as PNG;
//                         prints "got <w>x<h>", or "none" and ends with status 1
//   clipboard-set IN      puts the picture IN on the clipboard and keeps it there (an X clipboard
//                         lives in its owner) until killed; prints "set"
//   clipboard-text TEXT   the same with a text
//   watch X Y W H         looks at that part of the screen every millisecond; prints "ready"
//                         after the first look, then "changed <ms since the epoch>" at the first
//                         look that differs (or "unchanged" after 10 s, status 1)
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDrag>
#include <QElapsedTimer>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

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
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s drag FILE... | clipboard-get OUT | clipboard-set IN | clipboard-text TEXT\n", argv[0]);
        return 2;
    }
    const char* mode = argv[1];
    if (std::strcmp(mode, "drag") == 0) {
        QList<QUrl> urls;
        for (int i = 2; i < argc; ++i) urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
        Source source(urls);
        source.show();
        Say("ready");
        return app.exec();
    }
    if (std::strcmp(mode, "clipboard-get") == 0) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            QCoreApplication::processEvents();
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            if (data && data->hasImage()) {
                const QImage image = qvariant_cast<QImage>(data->imageData());
                if (!image.isNull() && image.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
                    std::printf("got %dx%d\n", image.width(), image.height());
                    return 0;
                }
            }
            QThread::msleep(50);
        }
        Say("none");
        return 1;
    }
    if (std::strcmp(mode, "clipboard-set") == 0 || std::strcmp(mode, "clipboard-text") == 0) {
        if (mode[10] == 's') {
            QImage image(QString::fromLocal8Bit(argv[2]));
            if (image.isNull()) return 1;
            QGuiApplication::clipboard()->setImage(image);
        } else {
            QGuiApplication::clipboard()->setText(QString::fromUtf8(argv[2]));
        }
        Say("set");
        return app.exec();
    }
    if (std::strcmp(mode, "watch") == 0 && argc >= 6) {
        const auto look = [&] {
            return QGuiApplication::primaryScreen()->grabWindow(0, std::atoi(argv[2]), std::atoi(argv[3]),
                                                                std::atoi(argv[4]), std::atoi(argv[5])).toImage();
        };
        const QImage first = look();
        Say("ready");
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (look() != first) {
                std::printf("changed %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
                return 0;
            }
            QThread::msleep(1);
        }
        Say("unchanged");
        return 1;
    }
    std::fprintf(stderr, "unknown mode %s\n", mode);
    return 2;
}
