// The Qt backend's pieces in real windows (run under Xvfb by run_under_xvfb.sh).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <stdexcept>

#include "platform/backends/qt/QtBackendImpl.h"
#include "platform/backends/qt/QtConvert.h"
#include "platform/backends/qt/QtDialogs.h"
#include "platform/backends/qt/QtFormWindow.h"
#include "platform/codecs/Codecs.h"
#include "platform/codecs/ImageFormats.h"
#include "platform/io/Files.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel::qt {
namespace {

// A bitmap whose every pixel differs from its neighbours, so any shift, scale or channel swap shows.
Bitmap Pattern(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, RGB(std::uint8_t(x * 7 + y), std::uint8_t(y * 13), std::uint8_t(x ^ y)));
    return b;
}

// Runs `action` once the event loop is running (for answering modal dialogs).
void Soon(std::function<void()> action, int ms = 150) { QTimer::singleShot(ms, qApp, std::move(action)); }

// Waits (in the event loop) until `done` holds or about 5 seconds pass.
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 250 && !done(); ++i) QTest::qWait(20);
    return done();
}

template <class T>
T* FindTopLevel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) return t;
    return nullptr;
}

TEST(QtConvert, ImagesRoundTripAndKeepChannelsApart) {
    const Bitmap b = Pattern(37, 11);
    const QImage q = ToQImage(b);
    ASSERT_EQ(q.size(), QSize(37, 11));
    EXPECT_EQ(q.pixel(5, 3), qRgb(GetR(b.Pixel(5, 3)), GetG(b.Pixel(5, 3)), GetB(b.Pixel(5, 3))));
    EXPECT_EQ(ToBitmap(q), b);
    // A part of a bitmap, clipped to it.
    const QImage part = ToQImage(b, Rect{30, 5, 50, 8});
    ASSERT_EQ(part.size(), QSize(7, 3));
    EXPECT_EQ(part.pixel(0, 0), q.pixel(30, 5));
    EXPECT_TRUE(ToQImage(b, Rect{40, 0, 50, 5}).isNull());
    EXPECT_TRUE(ToBitmap(QImage()).IsEmpty());

    Picture p(Pattern(4, 2));
    p.alpha = {0, 64, 128, 255, 255, 255, 255, 1};
    const QImage qa = ToQImage(p);
    EXPECT_EQ(qAlpha(qa.pixel(1, 0)), 64);
    EXPECT_EQ(qRed(qa.pixel(1, 0)), GetR(p.color.Pixel(1, 0)));  // straight alpha: colour kept
    EXPECT_EQ(qAlpha(qa.pixel(3, 1)), 1);
}

TEST(QtConvert, FiltersBecomeQtNameFiltersAndIndexesComeBack) {
    const QStringList f = ToQtNameFilters(ParseFileFilter("PNG image|*.png|JPEG|*.jpg;*.jpeg|All (*.*)|*.*|"));
    ASSERT_EQ(f.size(), 3);
    EXPECT_EQ(f[0], QStringLiteral("PNG image (*.png)"));
    EXPECT_EQ(f[1], QStringLiteral("JPEG (*.jpg *.jpeg)"));
    EXPECT_EQ(f[2], QStringLiteral("All (*.*)"));  // already shows its patterns
    EXPECT_EQ(FilterIndexOf(f, f[1], 1), 2);
    EXPECT_EQ(FilterIndexOf(f, QStringLiteral("nothing"), 3), 3);
    // Russian descriptions survive the trip through Qt's strings.
    const QStringList r = ToQtNameFilters(ParseFileFilter("Проект|*.vzk"));
    EXPECT_EQ(r[0], QStringLiteral("Проект (*.vzk)"));
}

TEST(QtInput, KeysAndModifiersTranslateToClassicCodes) {
    EXPECT_EQ(ToVirtualKey(Qt::Key_A, {}), 'A');
    EXPECT_EQ(ToVirtualKey(Qt::Key_7, {}), '7');
    EXPECT_EQ(ToVirtualKey(Qt::Key_7, Qt::KeypadModifier), 0x67);
    EXPECT_EQ(ToVirtualKey(Qt::Key_Left, {}), kKeyLeft);
    EXPECT_EQ(ToVirtualKey(Qt::Key_Home, {}), kKeyHome);
    EXPECT_EQ(ToVirtualKey(Qt::Key_Delete, {}), kKeyDelete);
    EXPECT_EQ(ToVirtualKey(Qt::Key_Return, {}), kKeyReturn);
    EXPECT_EQ(ToVirtualKey(Qt::Key_Enter, Qt::KeypadModifier), kKeyReturn);
    EXPECT_EQ(ToVirtualKey(Qt::Key_F5, {}), kKeyF1 + 4);
    // Shifted symbols are their key, not the code that shares their character value
    // ('!' is 0x21, which would be Page Up).
    EXPECT_EQ(ToVirtualKey(Qt::Key_Exclam, Qt::ShiftModifier), '1');
    EXPECT_EQ(ToVirtualKey(Qt::Key_ParenLeft, Qt::ShiftModifier), '9');
    EXPECT_EQ(ToVirtualKey(Qt::Key_Comma, {}), 0xBC);
    EXPECT_EQ(ToVirtualKey(0x0430, {}), 0);  // a Cyrillic letter has no code of its own

    EXPECT_EQ(ToShiftState(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton), kShift | kCtrl | kLeftHeld);
    EXPECT_EQ(ToShiftState(Qt::AltModifier, Qt::RightButton | Qt::MiddleButton), kAlt | kRightHeld | kMiddleHeld);
    EXPECT_EQ(ToShiftState({}, {}), 0u);
    EXPECT_EQ(FormWindow::PrintableText(QStringLiteral("a\x01\tб\r")), QStringLiteral("aб"));
}

// Records what a window reports.
struct RecordingSink : FormWindowSink {
    std::vector<std::string> events;
    void Add(std::string s) { events.push_back(std::move(s)); }
    static std::string At(QPoint p) { return std::to_string(p.x()) + "," + std::to_string(p.y()); }
    void PointerPressed(QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers) override { Add("press " + At(p) + " " + std::to_string(int(b))); }
    void PointerReleased(QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers) override { Add("release " + At(p) + " " + std::to_string(int(b))); }
    void PointerMoved(QPoint p, Qt::MouseButtons, Qt::KeyboardModifiers) override { Add("move " + At(p)); }
    void PointerDoubleClicked(QPoint p, Qt::MouseButton, Qt::KeyboardModifiers) override { Add("double " + At(p)); }
    void WheelTurned(QPoint, int d, Qt::KeyboardModifiers) override { Add("wheel " + std::to_string(d)); }
    void KeyPressed(int k, Qt::KeyboardModifiers, bool) override { Add("key " + std::to_string(k)); }
    void KeyReleased(int, Qt::KeyboardModifiers) override {}
    void TextEntered(const QString& t) override { Add("text " + ToStdString(t)); }
    void PointerEntered() override { Add("enter"); }
    void PointerLeft() override { Add("leave"); }
    void WindowMoved(QPoint p) override { Add("moved " + At(p)); }
    void ActivationChanged(bool a) override { Add(a ? "active" : "inactive"); }
    void CloseRequested() override { Add("close"); }
    bool Has(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
};

TEST(QtFormWindow, PresentsTheSurfacePixelForPixel) {
    RecordingSink sink;
    FormWindow w(&sink, QSize(64, 40));
    w.setFlags(Qt::Window | Qt::FramelessWindowHint);
    w.setPosition(200, 150);
    const Bitmap surface = Pattern(64, 40);
    w.Present(surface, surface.Bounds());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.PixelScale(), 1);
    EXPECT_EQ(ToBitmap(w.Frame()), surface);

    // What the screen shows is exactly the surface.
    Bitmap onScreen;
    ASSERT_TRUE(WaitFor([&] {
        onScreen = ToBitmap(w.screen()->grabWindow(w.winId()).toImage());
        return onScreen == surface;
    })) << "the window's pixels differ from the surface";

    // A partial present changes only its area (clipped to the surface).
    Bitmap changed = surface;
    for (int y = 30; y < 40; ++y)
        for (int x = 50; x < 64; ++x) changed.SetPixel(x, y, RGB(1, 2, 3));
    Bitmap bigger = Pattern(100, 100);
    for (int y = 30; y < 40; ++y)
        for (int x = 50; x < 64; ++x) bigger.SetPixel(x, y, RGB(1, 2, 3));
    w.Present(bigger, Rect{50, 30, 100, 100});
    EXPECT_EQ(ToBitmap(w.Frame()), changed);
    EXPECT_TRUE(WaitFor([&] { return ToBitmap(w.screen()->grabWindow(w.winId()).toImage()) == changed; }));
}

TEST(QtFormWindow, ReportsPointerKeysTextAndClose) {
    RecordingSink sink;
    FormWindow w(&sink, QSize(80, 60));
    w.setFlags(Qt::Window | Qt::FramelessWindowHint);
    w.setPosition(300, 200);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(10, 12));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(11, 13));
    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(40, 30));
    QTest::mouseRelease(&w, Qt::RightButton, {}, QPoint(40, 30));
    EXPECT_TRUE(sink.Has("press 10,12 1"));
    EXPECT_TRUE(sink.Has("release 11,13 1"));
    EXPECT_TRUE(sink.Has("press 40,30 2"));

    QTest::keyClick(&w, Qt::Key_Left);
    QTest::keyClick(&w, Qt::Key_B, Qt::NoModifier);
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);  // a shortcut, not text
    EXPECT_TRUE(sink.Has("key " + std::to_string(int(Qt::Key_Left))));
    EXPECT_TRUE(sink.Has("text b"));
    EXPECT_FALSE(sink.Has("text c"));
    EXPECT_FALSE(sink.Has("text \x03"));

    // Text from an input method (non-Latin).
    QInputMethodEvent im;
    im.setCommitString(QStringLiteral("ёж"));
    QCoreApplication::sendEvent(&w, &im);
    EXPECT_TRUE(sink.Has("text ёж"));

    // Closing is only a request.
    w.close();
    EXPECT_TRUE(sink.Has("close"));
    EXPECT_TRUE(w.isVisible());
}

TEST(QtFormWindow, ManualMoveFollowsThePointerWithoutAWindowManager) {
    RecordingSink sink;
    FormWindow w(&sink, QSize(80, 60));
    w.setFlags(Qt::Window | Qt::FramelessWindowHint);
    w.setPosition(100, 100);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // Not while no button is held.
    EXPECT_FALSE(w.StartMove());
    EXPECT_FALSE(w.IsMovingManually());
}

TEST(QtPopupMenu, ReturnsTheChosenCommandOrZero) {
    std::vector<MenuItem> items(4);
    items[0].command = 11;
    items[0].bitmap = Pattern(50, 14);
    items[1].separator = true;
    items[2].command = 12;
    items[2].text = "Disabled";
    items[2].enabled = false;
    items[3].command = 13;
    items[3].text = "Третий";

    auto keys = [](std::vector<Qt::Key> ks) {
        Soon([ks] {
            QWidget* popup = QApplication::activePopupWidget();
            ASSERT_NE(popup, nullptr);
            for (Qt::Key k : ks) QTest::keyClick(popup, k);
        });
    };
    keys({Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(RunPopupMenu(items, QPoint(100, 100)), 11);
    // Down twice skips the separator and the disabled item.
    keys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(RunPopupMenu(items, QPoint(100, 100)), 13);
    keys({Qt::Key_Down, Qt::Key_Escape});
    EXPECT_EQ(RunPopupMenu(items, QPoint(100, 100)), 0);

    // Clicking a bitmap item chooses it; clicking the disabled one does nothing.
    Soon([] {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        const int disabledY = 1 + 14 + 7 + 3;
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(10, disabledY));
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(10, 5));
    });
    EXPECT_EQ(RunPopupMenu(items, QPoint(1000, 740)), 11);  // kept on screen near the corner
    EXPECT_EQ(RunPopupMenu({}, QPoint(0, 0)), 0);
}

TEST(QtMessageBox, AnswersWithTheClassicCodes) {
    Soon([] {
        auto* box = FindTopLevel<QMessageBox>();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("Заменить файл?"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("veskel"));
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(RunMessageBox("Заменить файл?", "veskel", kMbYesNoCancel | kMbIconQuestion), kIdNo);
    Soon([] { FindTopLevel<QMessageBox>()->button(QMessageBox::Ok)->click(); });
    EXPECT_EQ(RunMessageBox("Ошибка", "veskel", kMbOk | kMbIconError), kIdOk);
    Soon([] { FindTopLevel<QMessageBox>()->reject(); });
    EXPECT_EQ(RunMessageBox("?", "veskel", kMbYesNo), kIdNo);
}

// Ends a dialog when the answering code is done, also when one of its assertions failed.
struct Closer {
    QDialog* dialog;
    bool accept = false;
    ~Closer() { QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject", Qt::QueuedConnection); }
};

TEST(QtFileDialog, PreviewShowsWhatOurDecodersRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = ToStdString(dir.path());
    WriteFileAtomic(base + "/small.png", EncodePng(Pattern(5, 3)));
    WriteFileAtomic(base + "/broken.png", std::vector<std::uint8_t>{1, 2, 3});
    WriteFileAtomic(base + "/notes.txt", std::vector<std::uint8_t>{'h', 'i'});
    WriteFileAtomic(base + "/small-png.txt", EncodePng(Pattern(5, 3)));
    PicturePreview preview;
    preview.ShowFile(ToQString(base + "/small.png"));
    ASSERT_EQ(preview.Shown().size(), QSize(5, 3));
    EXPECT_EQ(ToBitmap(preview.Shown()), Pattern(5, 3));
    preview.ShowFile(ToQString(base + "/small-png.txt"));  // the bytes tell, whatever the name
    EXPECT_EQ(ToBitmap(preview.Shown()), Pattern(5, 3));
    for (const char* name : {"/broken.png", "/notes.txt", "/missing.png", ""}) {
        preview.ShowFile(ToQString(base + name));
        EXPECT_TRUE(preview.Shown().isNull()) << name;
    }
}

TEST(QtFileDialog, FiltersIndexOverwriteAndPreview) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = ToStdString(dir.path());
    // A 5 x 3 PNG for the preview and a file that is no picture.
    WriteFileAtomic(base + "/small.png", EncodePng(Pattern(5, 3)));
    WriteFileAtomic(base + "/broken.png", std::vector<std::uint8_t>{1, 2, 3});

    FileDialogRequest open;
    open.title = "Открыть";
    open.filter = "Pictures|*.png;*.bmp|All|*.*";
    open.filterIndex = 2;
    open.initialDir = base;
    open.picturePreview = true;
    Soon([&] {
        auto* dialog = FindTopLevel<QFileDialog>();
        ASSERT_NE(dialog, nullptr);
        Closer closer{dialog};
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Открыть"));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("All (*.*)"));
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        auto* preview = dialog->findChild<PicturePreview*>();
        ASSERT_NE(preview, nullptr);
        preview->ShowFile(ToQString(base + "/broken.png"));
        EXPECT_TRUE(preview->Shown().isNull());
        dialog->selectNameFilter(QStringLiteral("Pictures (*.png *.bmp)"));
        // The user types the name.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("small.png"));
        // The preview follows the selection.
        EXPECT_TRUE(WaitFor([&] { return preview->Shown().size() == QSize(5, 3); }));
        closer.accept = true;
    });
    const auto chosen = RunFileDialog(open);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->fileName, base + "/small.png");
    EXPECT_EQ(chosen->filterIndex, 1);

    // The picture filter's entries keep their text and list ".jpeg" files too, as opened and as picked.
    open.filter = PictureOpenFilter();
    open.filterIndex = 1;
    Soon([&] {
        auto* dialog = FindTopLevel<QFileDialog>();
        Closer closer{dialog};
        auto* model = dialog->findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
        EXPECT_TRUE(model->nameFilters().contains(QStringLiteral("*.jpeg")));
        dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->textActivated(QStringLiteral("JPEG Image File (*.jpg)"));
        EXPECT_EQ(model->nameFilters(), QStringList({QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")}));
    });
    EXPECT_FALSE(RunFileDialog(open).has_value());

    // Save with the overwrite prompt: the proposed name is preselected; cancelling gives nothing.
    FileDialogRequest save;
    save.save = true;
    save.filter = "PNG|*.png|JPEG|*.jpg";
    save.fileName = base + "/banner.png";
    save.overwritePrompt = true;
    Soon([&] {
        auto* dialog = FindTopLevel<QFileDialog>();
        ASSERT_NE(dialog, nullptr);
        Closer closer{dialog};
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("PNG (*.png)"));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), QStringLiteral("banner.png"));
        EXPECT_EQ(dialog->directory().absolutePath(), ToQString(base));
    });
    EXPECT_FALSE(RunFileDialog(save).has_value());
}

// ---- the backend under a real Application

// A form that shows a fixed pattern; a press on it throws when asked to.
class PatternForm : public Form {
public:
    PatternForm(int left, int top, int w, int h) { SetBounds(left, top, w, h); }
    bool throwOnPress = false;

protected:
    void Paint(Canvas& canvas) override { canvas.Draw(0, 0, Pattern(Width(), Height())); }
    void MouseDown(MouseButton, ShiftState, int, int) override {
        if (throwOnPress) throw std::runtime_error("Не удалось открыть файл");
    }
};

class QtBackendTest : public ::testing::Test {
protected:
    int argc = 1;
    char name[8] = "test";
    char* argv[2] = {name, nullptr};
    QtBackend backend{argc, argv};
    Application app{backend};
    std::vector<std::string> errors;

    QtBackendTest() {
        app.OnException = [this](const std::string& m) { errors.push_back(m); };
    }
    PatternForm* Show(int left, int top, int w, int h) {
        auto* f = app.CreateForm<PatternForm>(left, top, w, h);
        f->SetFrameless(true);
        f->FinishCreate();
        f->ShowForm();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(backend.WindowOf(*f)));
        return f;
    }
    // Runs the loop until Terminate, with a safety stop so a fault cannot hang the tests.
    void RunLoop() {
        QTimer::singleShot(5000, qApp, [this] { app.Terminate(); });
        app.Run();
    }
};

TEST_F(QtBackendTest, TheScreenShowsTheSurfaceAndCapturesSeeIt) {
    PatternForm* f = Show(300, 200, 64, 40);
    FormWindow* w = backend.WindowOf(*f);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->position(), QPoint(300, 200));
    EXPECT_EQ(f->Surface(), Pattern(64, 40));
    EXPECT_TRUE(WaitFor([&] { return backend.CaptureScreen(f->ScreenRect()) == f->Surface(); }));
    EXPECT_EQ(backend.MonitorSize(f->ScreenRect()), (Size{1024, 768}));
    EXPECT_EQ(backend.MonitorSize(Rect{5000, 5000, 5010, 5010}), (Size{1024, 768}));  // nearest
    EXPECT_EQ(backend.MonitorRect(Rect{5000, 5000, 5010, 5010}), (Rect{0, 0, 1024, 768}));

    // Behind a pop-up that shows (for its shadow), the screen as it was before, not the plain colour.
    const Rect around{500, 400, 620, 480};
    auto* popup = app.CreateForm<PatternForm>(around.left, around.top, around.Width(), around.Height());
    popup->SetPopupOf(f, PopupRole::Popup);
    popup->FinishCreate();
    const Bitmap before = backend.CaptureScreen(around);
    popup->ShowForm();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(backend.WindowOf(*popup)));
    EXPECT_EQ(backend.CaptureScreenBehind(around, *popup), before);

    // Where the platform gives no capture, our own windows over a plain desktop stand in.
    backend.allowPlatformCapture = false;
    const Bitmap composed = backend.CaptureScreen(Rect{295, 195, 369, 245});
    ASSERT_EQ(composed.GetSize(), (Size{74, 50}));
    EXPECT_EQ(composed.Pixel(0, 0), RGB(58, 110, 165));
    EXPECT_EQ(composed.Pixel(5, 5), f->Surface().Pixel(0, 0));
    EXPECT_EQ(composed.Pixel(68, 44), f->Surface().Pixel(63, 39));
    EXPECT_EQ(composed.Pixel(69, 45), RGB(58, 110, 165));
    EXPECT_TRUE(backend.CaptureScreen(Rect{10, 10, 10, 20}).IsEmpty());
}

TEST_F(QtBackendTest, TimersRunInTheLoop) {
    Show(100, 100, 20, 20);
    std::vector<std::string> seen;
    Timer timer;
    timer.SetInterval(20);
    int ticks = 0;
    timer.OnTimer = [&] {
        seen.push_back("tick");
        if (++ticks == 3) app.Terminate();
    };
    timer.SetEnabled(true);
    const std::int64_t before = backend.NowMs();
    RunLoop();
    EXPECT_EQ(seen, (std::vector<std::string>{"tick", "tick", "tick"}));
    EXPECT_GE(backend.NowMs(), before);
}

TEST_F(QtBackendTest, CloseRequestsFollowTheFormsDecision) {
    PatternForm* main = Show(100, 100, 40, 30);
    PatternForm* second = Show(200, 100, 40, 30);
    FormWindow* secondWindow = backend.WindowOf(*second);
    // A secondary form hides.
    secondWindow->close();
    EXPECT_FALSE(second->IsShown());
    EXPECT_FALSE(secondWindow->isVisible());
    // One that frees itself goes away after the message, window and all.
    second->OnClose = [](Form&, CloseAction& a) { a = CloseAction::Free; };
    second->ShowForm();
    QPointer<FormWindow> watched = backend.WindowOf(*second);
    watched->close();
    const std::size_t before = app.Forms().size();
    QTest::qWait(50);
    EXPECT_EQ(app.Forms().size(), before - 1);
    EXPECT_TRUE(WaitFor([&] { return watched.isNull(); }));
    // Closing the main form ends the loop.
    QTimer::singleShot(50, qApp, [&] { backend.WindowOf(*main)->close(); });
    RunLoop();
    EXPECT_TRUE(app.Terminated());
}

TEST_F(QtBackendTest, StylesCursorsClipboardAndTheExceptionBoundary) {
    auto* f = app.CreateForm<PatternForm>(150, 150, 30, 30);
    f->SetFrameless(true);
    f->SetToolWindow(true);
    f->SetTopMost(true);
    f->SetCaption("Палитра");
    f->FinishCreate();
    f->ShowForm();
    FormWindow* w = backend.WindowOf(*f);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_TRUE(w->flags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(w->flags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(w->title(), QStringLiteral("Палитра"));
    f->SetTopMost(false);
    EXPECT_FALSE(w->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->isVisible());

    Picture ring(Pattern(32, 32));
    ring.EnsureAlpha(0);
    ring.alpha[13 * 32 + 12] = 255;
    backend.SetCursor(*f, CursorShape{5, &ring, {12, 13}});
    EXPECT_EQ(w->cursor().hotSpot(), QPoint(12, 13));
    EXPECT_EQ(w->cursor().pixmap().size(), QSize(32, 32));
    backend.SetCursor(*f, CursorShape{kCrHandPoint, nullptr, {}});
    EXPECT_EQ(w->cursor().shape(), Qt::PointingHandCursor);

    backend.SetClipboardText("Баннер 350 x 20");
    EXPECT_EQ(backend.ClipboardText(), "Баннер 350 x 20");

    // An error in a handler is shown and the window goes on working.
    f->throwOnPress = true;
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Не удалось открыть файл");
    f->throwOnPress = false;
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(QtBackendTest, PopupsBelongToTheirOwnerAndTranslucentOnesPresentPremultiplied) {
    auto* owner = app.CreateForm<PatternForm>(100, 100, 60, 40);
    owner->FinishCreate();
    owner->ShowForm();
    auto* popup = app.CreateForm<PatternForm>(130, 125, 20, 10);
    popup->SetPopupOf(owner);
    popup->SetTranslucent(true);
    std::vector<std::uint8_t> opacity(20 * 10, 255);
    opacity[0] = 0;
    opacity[1] = 128;
    popup->SetSurfaceOpacity(opacity);
    popup->FinishCreate();
    popup->ShowForm();
    FormWindow* w = backend.WindowOf(*popup);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    // On X11: a tool window past the window manager, exactly where asked, above its owner.
    EXPECT_EQ(w->transientParent(), backend.WindowOf(*owner));
    EXPECT_EQ(w->flags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(w->flags().testFlag(Qt::X11BypassWindowManagerHint));
    EXPECT_EQ(w->position(), QPoint(130, 125));
    // Xvfb runs no compositing manager: shadows keep capturing the screen there.
    EXPECT_FALSE(backend.ComposesTranslucentWindows());
    // Each pixel's colour premultiplied by its opacity.
    const Color c = popup->Surface().Pixel(1, 0);
    const QRgb shown = w->Frame().pixel(1, 0);
    EXPECT_EQ(qAlpha(w->Frame().pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown), 128);
    EXPECT_EQ(qRed(shown), int((GetR(c) * 128 + 127) / 255));
    EXPECT_EQ(qBlue(shown), int((GetB(c) * 128 + 127) / 255));
    EXPECT_EQ(qAlpha(w->Frame().pixel(5, 5)), 255);
}

TEST_F(QtBackendTest, PicturesOnTheClipboardDroppedFilesAndTheDesktopEntry) {
    // A picture put on the clipboard comes back; text replaces it; pictures with transparency
    // keep their alpha, opaque ones come back without an alpha plane.
    const Bitmap banner = Pattern(35, 2);
    backend.SetClipboardPicture(banner);
    EXPECT_TRUE(WaitFor([&] { return backend.ClipboardPicture().color == banner; }));
    EXPECT_FALSE(backend.ClipboardPicture().HasAlpha());
    backend.SetClipboardText("text");
    EXPECT_TRUE(WaitFor([&] { return backend.ClipboardPicture().IsEmpty(); }));
    Picture clear(Pattern(4, 2));
    clear.alpha = {0, 64, 128, 255, 255, 255, 255, 1};
    QGuiApplication::clipboard()->setImage(ToQImage(clear));
    Picture back;
    EXPECT_TRUE(WaitFor([&] { return !(back = backend.ClipboardPicture()).IsEmpty(); }));
    EXPECT_EQ(back.alpha, clear.alpha);
    EXPECT_TRUE(back.hasTransparency);
    EXPECT_EQ(back.color.Pixel(1, 0), clear.color.Pixel(1, 0));

    // Drops: refused while the form has no handler, delivered as local paths when it has one.
    PatternForm* f = Show(120, 120, 60, 40);
    FormWindow* w = backend.WindowOf(*f);
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.vzk")), QUrl(QStringLiteral("https://example.org/x.png"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &enter);
    EXPECT_FALSE(enter.isAccepted());
    std::vector<std::string> dropped;
    f->OnDropFiles = [&](Form&, const std::vector<std::string>& paths) { dropped = paths; };
    QDragEnterEvent enter2(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &enter2);
    EXPECT_TRUE(enter2.isAccepted());
    QDropEvent drop(QPointF(12, 13), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &drop);
    EXPECT_EQ(dropped, (std::vector<std::string>{"/tmp/a b.vzk"})) << "local files only";
    delete data;

    backend.SetDesktopIdentity("io.github.veskel.Veskel");
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("io.github.veskel.Veskel"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("io.github.veskel.Veskel"));  // the window class
}

}  // namespace
}  // namespace veskel::qt

int main(int argc, char** argv) {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
