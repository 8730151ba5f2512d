#include "preview/ZplRenderer.h"
#include "compose/PieceStream.h"
#include "ui/windows/PreviewWindow.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace hanlabel;

namespace {

QByteArray BookJob(int quantity = 5) {
    PieceStream out(ChannelKind::Parallel);
    out.write("^XA^PR3^PW400^LL200^LH20,10");
    out.write("^FO40,65^A0N,28,28^FD00012^SFddddd,-1^FS");
    out.write(QStringLiteral("^PQ%1^XZ").arg(quantity).toLatin1());
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

// The window that the "preview:" target shows each job in: one per label window.
class TestPreviewWindow : public QObject {
    Q_OBJECT
  private slots:
    void cleanup();
    void oneWindowPerLabelWindow_data();
    void oneWindowPerLabelWindow();
    void escapeClosesIt();
    void zoomStaysWithinBounds();
};

void TestPreviewWindow::cleanup() {
    for (PreviewWindow* w : OpenPreviews())
        delete w;
}

void TestPreviewWindow::oneWindowPerLabelWindow_data() {
    QTest::addColumn<QList<int>>("printedBy"); // the owner of each job: -1 none, else 0 or 1
    QTest::addColumn<int>("windows");
    QTest::newRow("two jobs, no label window") << QList<int>{-1, -1} << 1;
    QTest::newRow("three jobs of one label window") << QList<int>{0, 0, 0} << 1;
    QTest::newRow("jobs of two label windows") << QList<int>{0, 1, 0} << 2;
}

void TestPreviewWindow::oneWindowPerLabelWindow() {
    QFETCH(QList<int>, printedBy);
    QFETCH(int, windows);
    QWidget owners[2];
    for (QWidget& owner : owners) {
        owner.setGeometry(10, 10, 300, 200);
        owner.show();
    }
    int quantity = 1;
    for (int by : printedBy)
        ShowPreview(by < 0 ? nullptr : &owners[by], RenderZpl(BookJob(++quantity)));
    const QList<PreviewWindow*> shown = OpenPreviews();
    QCOMPARE(shown.size(), windows);
    // The last job is on show, with its own quantity and notes.
    const int last = printedBy.last();
    PreviewWindow* window = nullptr;
    for (PreviewWindow* w : shown)
        if (w->parentWidget() == (last < 0 ? nullptr : &owners[last]))
            window = w;
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("라벨 미리보기 (%1장)").arg(quantity));
    QCOMPARE(window->label().size(), QSize(400, 200));
    const QString notes = window->findChild<QPlainTextEdit*>(QStringLiteral("previewNotes"))->toPlainText();
    QVERIFY2(notes.startsWith(QStringLiteral("라벨 %1장, 일련번호 00012 → 00011 → 00010").arg(quantity)), qPrintable(notes));
    QVERIFY2(notes.contains(QStringLiteral("00012 → 00011 → 00010")), qPrintable(notes));
    // Beside its label window, not over it.
    if (last >= 0)
        QVERIFY(!window->frameGeometry().intersects(owners[last].frameGeometry()));
}

void TestPreviewWindow::escapeClosesIt() {
    QWidget owner;
    owner.show();
    ShowPreview(&owner, RenderZpl(BookJob()));
    QCOMPARE(OpenPreviews().size(), 1);
    PreviewWindow* window = OpenPreviews().first();
    QTest::keyClick(window->findChild<QPlainTextEdit*>(QStringLiteral("previewNotes")), Qt::Key_Escape);
    QVERIFY(OpenPreviews().isEmpty());
    // The next job brings the same window back.
    ShowPreview(&owner, RenderZpl(BookJob()));
    QCOMPARE(OpenPreviews(), QList<PreviewWindow*>{window});
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
