// The one-line boxes of the label windows and the position dialogs: line breaks in pasted or
// dropped text, character limits counted in characters, and half characters that must not print.

#include "LabelWindows.h"
#include "ModalBoxes.h"
#include "WindowFixture.h"

#include "ui/dialogs/PositionDialogs.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/OneLineText.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace hanlabel;
using hanlabel::test::ModalBoxes;

namespace {

const QString Emoji = QStringLiteral("\U0001F600");
const QChar HighHalf(0xD83D);
const QChar LowHalf(0xDE00);

// A window or dialog by its object name, shown and active; the label windows loaded.
std::unique_ptr<QWidget> Shown(const QString& kind) {
    if (kind == QLatin1String("mainfrm") || kind == QLatin1String("main1frm"))
        return test::ShownLoaded(kind);
    std::unique_ptr<PositionDialog> dialog;
    if (kind == QLatin1String("defrm"))
        dialog = std::make_unique<defrm>();
    else
        dialog = std::make_unique<de1frm>();
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        return {};
    return dialog;
}

// The line edit of a box by name; "Combo1" is the port box's line edit.
QLineEdit* Box(QWidget* window, const QString& name) {
    if (name == QLatin1String("Combo1"))
        return window->findChild<QComboBox*>(name)->lineEdit();
    return window->findChild<QLineEdit*>(name);
}

// What receives the keys of a box: the port box itself, else the line edit.
QWidget* KeyTarget(QWidget* window, const QString& name) {
    if (name == QLatin1String("Combo1"))
        return window->findChild<QComboBox*>(name);
    return Box(window, name);
}

// Drops text at the end of a box, as a drag from another program would.
void DropAtEnd(QLineEdit* box, const QString& text) {
    QMimeData mime;
    mime.setText(text);
    const QPoint at(box->width() - 2, box->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
}

// One key that types the whole text at once, as a keyboard or an input method sends a character
// outside the basic plane.
void TypeAtOnce(QWidget* target, const QString& text) {
    QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, text, Qt::NoModifier);
}

} // namespace

class TestOneLineBoxes : public QObject {
    Q_OBJECT

  private:
    test::WindowFixture<LabelWindow> m_fixture;

  private slots:
    void initTestCase() { InstallKoreanFontSubstitutions(); }
    void init() { m_fixture.reset(); }

    void lineBreaksInPastedOrDroppedText_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<bool>("drop");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* what, const char* kind, const char* box, const char* before,
                            int cursor, bool drop, const QString& inserted, const char* after) {
            QTest::addRow("%s %s, %s%s", kind, box, what, drop ? ", dropped" : "")
                << kind << box << before << cursor << drop << inserted << after;
        };
        // Label window boxes, port boxes and dialog number boxes keep the text up to its first break.
        row("CR LF", "mainfrm", "Text1", "AB", 1, false, "x\r\ny", "AxB");
        row("lone CR", "mainfrm", "Text1", "", 0, false, "가나\r다", "가나");
        row("U+2028", "mainfrm", "Text2", "00", 2, false, "12\u202834", "0012");
        row("break first", "mainfrm", "Text5", "", 0, false, "\r\n3", "");
        row("CR LF", "mainfrm", "Combo1", "", 0, false, "LPT1\r\n", "LPT1");
        row("CR LF", "mainfrm", "Text1", "A", 1, true, "B\r\nC", "AB");
        row("U+2028", "main1frm", "Text1", "소속", 2, false, "도서관\u2028x", "소속도서관");
        row("lone CR", "main1frm", "Text6", "1", 1, false, "0\r20", "10");
        row("U+0085", "main1frm", "Combo1", "", 0, true, "COM1\u0085", "COM1");
        row("CR LF", "defrm", "Text4", "", 0, false, "10\r\n20", "10");
        row("lone CR", "de1frm", "Text5", "1", 0, false, "\r9", "1");
        // Their printer command boxes leave every break out.
        row("CR LF", "defrm", "Text1", "^PR3", 4, false, "\r\n^MD5\r\n", "^PR3^MD5");
        row("lone CR", "defrm", "Text2", "^FO", 3, true, "1,2\r^A0", "^FO1,2^A0");
        row("every break", "de1frm", "Text7", "XY", 1, false, "a\vb\fc\u0085d\u2028e\u2029f\r\ng\rh\ni",
            "XabcdefghiY");
    }
    // Pasting through the clipboard (Ctrl+V) or dropping never leaves a line break in a box.
    void lineBreaksInPastedOrDroppedText() {
        QFETCH(QString, kind);
        QFETCH(QString, box);
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(bool, drop);
        QFETCH(QString, inserted);
        QFETCH(QString, after);
        auto window = Shown(kind);
        QVERIFY(window);
        QLineEdit* edit = Box(window.get(), box);
        edit->setText(before);
        KeyTarget(window.get(), box)->setFocus();
        edit->setCursorPosition(cursor);
        if (drop)
            DropAtEnd(edit, inserted);
        else
            test::Paste(KeyTarget(window.get(), box), inserted);
        QCOMPARE(edit->text(), after);
    }

    void limitsCountCharacters_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* name, const char* kind, const char* box, int limit,
                            const QString& before, bool typed, const QString& inserted,
                            const QString& after) {
            QTest::newRow(name) << kind << box << limit << before << typed << inserted << after;
        };
        const QString hangul12(12, QChar(0xAC00));
        const QString hangul13 = hangul12 + QChar(0xAC00);
        row("emoji pasted after 12 Hangul", "mainfrm", "Text1", 13, hangul12, false, Emoji, hangul12 + Emoji);
        row("emoji pasted after 13 Hangul", "mainfrm", "Text1", 13, hangul13, false, Emoji, hangul13);
        row("emoji typed after 12 Hangul", "mainfrm", "Text1", 13, hangul12, true, Emoji, hangul12 + Emoji);
        row("emoji typed after 13 Hangul", "mainfrm", "Text1", 13, hangul13, true, Emoji, hangul13);
        row("paste cut after a pair", "mainfrm", "Text2", 13, "00000000000", false, "1" + Emoji + "2",
            "000000000001" + Emoji);
        row("pair as the sixth", "main1frm", "Text3", 6, "12345", false, Emoji + "9", "12345" + Emoji);
        row("pair typed as the seventh", "main1frm", "Text4", 7, "012345", true, Emoji, "012345" + Emoji);
    }
    // The limits count characters, so a surrogate pair fits as one and is never split.
    void limitsCountCharacters() {
        QFETCH(QString, kind);
        QFETCH(QString, box);
        QFETCH(int, limit);
        QFETCH(QString, before);
        QFETCH(bool, typed);
        QFETCH(QString, inserted);
        QFETCH(QString, after);
        auto window = Shown(kind);
        QVERIFY(window);
        QLineEdit* edit = Box(window.get(), box);
        QCOMPARE(CharacterLimit(edit), limit);
        edit->setText(before);
        edit->setFocus();
        edit->end(false);
        if (typed)
            TypeAtOnce(edit, inserted);
        else
            test::Paste(edit, inserted);
        QCOMPARE(edit->text(), after);
        QVERIFY(CharacterCount(edit->text()) <= limit);
        QVERIFY(!HasLoneSurrogate(edit->text()));
        // Nothing more fits once full.
        TypeAtOnce(edit, QStringLiteral("7"));
        QCOMPARE(edit->text(), after);
    }

    void halfCharacterStopsThePrint_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("half");
        QTest::newRow("book Text1, high half") << "mainfrm"
                                               << "Text1"
                                               << "라벨 문구" << QString(HighHalf);
        QTest::newRow("book Text1, low half") << "mainfrm"
                                              << "Text1"
                                              << "라벨 문구" << QString(LowHalf);
        QTest::newRow("book Text5") << "mainfrm"
                                    << "Text5"
                                    << "수량" << QString(HighHalf);
        QTest::newRow("book Combo1") << "mainfrm"
                                     << "Combo1"
                                     << "포트" << QString(HighHalf);
        QTest::newRow("member Text2") << "main1frm"
                                      << "Text2"
                                      << "성명" << QString(LowHalf);
        QTest::newRow("member Text4") << "main1frm"
                                      << "Text4"
                                      << "회원번호 뒷부분" << QString(HighHalf);
        QTest::newRow("member Text6") << "main1frm"
                                      << "Text6"
                                      << "좌측위치" << QString(HighHalf);
    }
    // Half a character pasted into a box stops the print before its job: a message names the box,
    // the focus goes there, nothing is sent and no settings file changes.
    void halfCharacterStopsThePrint() {
        QFETCH(QString, kind);
        QFETCH(QString, box);
        QFETCH(QString, name);
        QFETCH(QString, half);
        auto window = test::ShownLoaded(kind);
        QVERIFY(window);
        test::FillEntries(window.get());
        QWidget* target = KeyTarget(window.get(), box);
        target->setFocus();
        Box(window.get(), box)->end(false);
        // A key cannot type half a character; a paste can bring one.
        test::Paste(target, half);
        QVERIFY(Box(window.get(), box)->text().endsWith(half));
        const QStringList files = QDir(m_fixture.folder().path()).entryList(QDir::Files);
        QMap<QString, QByteArray> before;
        for (const QString& file : files)
            before[file] = m_fixture.folder().readBytes(file);
        QSignalSpy jobs(window.get(), &LabelWindow::layoutLinesRead);

        window->Command1->setFocus();
        ModalBoxes boxes;
        QTest::keyClick(window->Command1, Qt::Key_Return);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("입력오류"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY2(boxes.seen[0].text.contains(name + QStringLiteral(" 칸(") + box + QLatin1Char(')')),
                 qPrintable(boxes.seen[0].text));
        QCOMPARE(window->focusWidget()->objectName(), box);
        QVERIFY(!window->isPrinting());
        QCOMPARE(jobs.size(), 0);
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        for (const QString& file : files)
            QCOMPARE(m_fixture.folder().readBytes(file), before[file]);
    }

    void countingCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("half");
        QTest::newRow("Hangul") << "가나다" << 3 << false;
        QTest::newRow("pairs around a letter") << Emoji + "a" + Emoji << 3 << false;
        QTest::newRow("high half at the end") << "ab" + QString(HighHalf) << 3 << true;
        QTest::newRow("halves the wrong way round") << QString(LowHalf) + QString(HighHalf) << 2 << true;
    }
    void countingCharacters() {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(bool, half);
        QCOMPARE(CharacterCount(text), qsizetype(count));
        QCOMPARE(HasLoneSurrogate(text), half);
    }
};

QTEST_MAIN(TestOneLineBoxes)
#include "tst_onelineboxes.moc"
