#include "channels/PreviewTransport.h"
#include "compose/PieceStream.h"
#include "ui/windows/PreviewWindow.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace hanlabel;

namespace {

QByteArray BookJob() {
    PieceStream out(ChannelKind::Parallel);
    out.write("^XA^PR3^PW400^LL200^LH20,10");
    out.write("^FO40,65^A0N,28,28^FD00012^SFddddd,-1^FS");
    out.write("^PQ5^XZ");
    return out.bytes();
}

QList<PreviewWindow*> OpenPreviews() {
    QList<PreviewWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<PreviewWindow*>(w); p && p->isVisible())
            found << p;
    return found;
}

} // namespace

// The window that the "preview:" target opens for each job.
class TestPreviewWindow : public QObject {
    Q_OBJECT
  private slots:
    void eachJobOpensAWindow();
    void zoomStaysWithinBounds();
};

void TestPreviewWindow::eachJobOpensAWindow() {
    InstallPreviewWindow();
    auto transport = MakePreviewTransport(QStringLiteral("preview:"));
    transport->send(BookJob(), {});
    transport->send(BookJob(), {});
    const QList<PreviewWindow*> windows = OpenPreviews();
    QCOMPARE(windows.size(), 2);
    PreviewWindow* window = windows.first();
    QCOMPARE(window->label().size(), QSize(400, 200));
    const QString notes = window->findChild<QPlainTextEdit*>(QStringLiteral("previewNotes"))->toPlainText();
    QVERIFY2(notes.contains(QStringLiteral("수량: 5장")), qPrintable(notes));
    QVERIFY2(notes.contains(QStringLiteral("00012 → 00011 → 00010 → … → 00008")), qPrintable(notes));
    QVERIFY2(notes.contains(QStringLiteral("^PR3")), qPrintable(notes));
    for (PreviewWindow* w : windows)
        w->close();
    QTRY_VERIFY(OpenPreviews().isEmpty());
    SetPreviewPresenter({});
}

void TestPreviewWindow::zoomStaysWithinBounds() {
    PreviewResult result;
    result.label = QImage(400, 200, QImage::Format_RGB32);
    result.label.fill(Qt::white);
    PreviewWindow window(result);
    auto* in = window.findChild<QPushButton*>(QStringLiteral("zoomIn"));
    auto* out = window.findChild<QPushButton*>(QStringLiteral("zoomOut"));
    window.findChild<QPushButton*>(QStringLiteral("zoomActual"))->click();
    QCOMPARE(window.zoom(), 1.0);
    in->click();
    QVERIFY(window.zoom() > 1.0);
    for (int i = 0; i < 30; ++i)
        in->click();
    QCOMPARE(window.zoom(), 8.0);
    QVERIFY(!in->isEnabled());
    for (int i = 0; i < 40; ++i)
        out->click();
    QCOMPARE(window.zoom(), 0.25);
    QVERIFY(!out->isEnabled());
}

QTEST_MAIN(TestPreviewWindow)
#include "tst_previewwindow.moc"
