#include "ui/dialogs/PositionDialogs.h"

#include "core/AppFolder.h"
#include "core/Failure.h"
#include "preview/FieldReading.h"
#include "settings/SettingsFile.h"
#include "ui/kit/ControlFactory.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/OneLineText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace hanlabel {

namespace {
const QColor BoxColour(255, 192, 192);
constexpr int BoxLeft = 2160;
constexpr int CaptionLeft = 240;
constexpr int CaptionWidth = 1815;
constexpr int CaptionHeight = 255;
constexpr int ButtonHeight = 495;

// Chains the focus order through the widgets in the given order.
void ChainTabOrder(const QList<QWidget*>& order) {
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
} // namespace

PositionDialog::PositionDialog(const QString& objectName, const QString& caption, const QString& fileName,
                               int clientWidthTwips, int clientHeightTwips)
    : QDialog(nullptr), m_fileName(fileName) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(TwipsToPixels(clientWidthTwips), TwipsToPixels(clientHeightTwips));
    setFont(GulimFont(9));
}

QLineEdit* PositionDialog::addRow(QLabel*& label, const QString& labelName, const QString& caption,
                                  const QString& boxName, int boxTop, int boxWidth, int boxHeight) {
    label = new QLabel(caption, this);
    label->setObjectName(labelName);
    label->setFont(GulimFont(9.75));
    PlaceTwips(label, CaptionLeft, boxTop + 120, CaptionWidth, CaptionHeight);

    auto* box = new QLineEdit(this);
    box->setObjectName(boxName);
    SetBackground(box, BoxColour);
    PlaceTwips(box, BoxLeft, boxTop, boxWidth, boxHeight);
    MakeOneLine(box, PastedBreaks::KeepFirstLine);
    return box;
}

QPushButton* PositionDialog::addButton(const QString& name, const QString& caption, int left, int top,
                                       int width) {
    // Enter presses the focused button; in a box it presses none, as no button is the default.
    return MakeButton(this, name, caption, left, top, width, ButtonHeight);
}

void PositionDialog::Form_Load() {
    setLayoutLines(ReadSettingsFile(ApplicationFile(ApplicationFolder(), m_fileName), m_lineOrder.size()));
}

void PositionDialog::setLayoutLines(const QStringList& lines) {
    for (qsizetype i = 0; i < m_lineOrder.size() && i < lines.size(); ++i)
        m_lineOrder[i]->setText(lines[i]);
}

QStringList PositionDialog::layoutLines() const {
    QStringList lines;
    for (const QLineEdit* box : m_lineOrder)
        lines << box->text();
    return lines;
}

void PositionDialog::Command1_Click() {
    try {
        WriteSettingsFile(ApplicationFile(ApplicationFolder(), m_fileName), layoutLines());
    } catch (const Failure& failure) {
        ShowFailure(this, failure.message());
        return;
    }
    const QString note = savedNote(layoutLines());
    ShowMessage(this, QStringLiteral("저장되었습니다.") + (note.isEmpty() ? QString() : QStringLiteral("\n\n") + note),
                QStringLiteral("position"), QMessageBox::Information);
}

QString PositionDialog::savedNote(const QStringList&) const { return {}; }

QString de1frm::savedNote(const QStringList& lines) const {
    if (!ReadLayoutBarcode(lines.value(5)).printsLine)
        return {};
    return QStringLiteral("회원번호 뒷자리를 별표(*)로 가려도 바코드 아래에 전체 번호가 인쇄됩니다: 6번째 줄의 "
                          "바코드가 해석 줄을 인쇄합니다. 번호를 가리려면 ^BCN,80,N,N,N처럼 세 번째 값을 N으로 "
                          "하십시오.");
}

void PositionDialog::Command2_Click() { close(); }

void PositionDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Command1->setFocus(Qt::OtherFocusReason);
}

void PositionDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        // Only the buttons and the close box end the dialog.
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button takes Enter itself; from a box it reaches no button.
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

defrm::defrm()
    : PositionDialog(QStringLiteral("defrm"), QStringLiteral("위치 조정"), SettingsFiles::BookLayout, 5235,
                     3480) {
    constexpr int width = 2895;
    // Rows from top to bottom; the row of layout line 5 stands above the row of layout line 4.
    Text4 = addRow(Label4, QStringLiteral("Label4"), QStringLiteral("한글위치 (가로) :"),
                   QStringLiteral("Text4"), 240, width, 390);
    Text5 = addRow(Label5, QStringLiteral("Label5"), QStringLiteral("한글위치 (세로) :"),
                   QStringLiteral("Text5"), 720, width, 390);
    Text1 = addRow(Label1, QStringLiteral("Label1"), QStringLiteral("인쇄속도 조정하기 :"),
                   QStringLiteral("Text1"), 1200, width, 390);
    Text3 = addRow(Label3, QStringLiteral("Label3"), QStringLiteral("바 코 드 조정하기 :"),
                   QStringLiteral("Text3"), 1680, width, 375);
    Text2 = addRow(Label2, QStringLiteral("Label2"), QStringLiteral("라벨폰트 조정하기 :"),
                   QStringLiteral("Text2"), 2160, width, 375);
    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("저장하기"), 960, 2880, 1215);
    Command2 = addButton(QStringLiteral("Command2"), QStringLiteral("종  료"), 2760, 2880, 1335);
    setLineOrder({Text4, Text5, Text1, Text2, Text3});
    // A printer ignores line breaks between commands: the fragment boxes leave them out.
    for (QLineEdit* fragment : {Text1, Text2, Text3})
        MakeOneLine(fragment, PastedBreaks::Drop);
    // Tab indexes: Command1 0, Text1 1, Text2 2, Text3 3, Command2 7, Text4 8, Text5 10.
    ChainTabOrder({Command1, Text1, Text2, Text3, Command2, Text4, Text5});
    connect(Command1, &QPushButton::clicked, this, &PositionDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PositionDialog::Command2_Click);
}

de1frm::de1frm()
    : PositionDialog(QStringLiteral("de1frm"), QStringLiteral("위치조정"), SettingsFiles::MemberLayout, 5310,
                     4425) {
    constexpr int width = 3015;
    constexpr int height = 390;
    Text1 = addRow(Label1, QStringLiteral("Label1"), QStringLiteral("인쇄속도 조정하기 :"),
                   QStringLiteral("Text1"), 240, width, height);
    Text2 = addRow(Label2, QStringLiteral("Label2"), QStringLiteral("소 속(가로) :"), QStringLiteral("Text2"),
                   720, width, height);
    Text3 = addRow(Label3, QStringLiteral("Label3"), QStringLiteral("소 속(세로) :"), QStringLiteral("Text3"),
                   1200, width, height);
    Text4 = addRow(Label4, QStringLiteral("Label4"), QStringLiteral("성 명(가로) :"), QStringLiteral("Text4"),
                   1680, width, height);
    Text5 = addRow(Label5, QStringLiteral("Label5"), QStringLiteral("성 명(세로) :"), QStringLiteral("Text5"),
                   2160, width, height);
    Text6 = addRow(Label6, QStringLiteral("Label6"), QStringLiteral("바코드 조정하기 :"),
                   QStringLiteral("Text6"), 2640, width, height);
    Text7 = addRow(Label7, QStringLiteral("Label7"), QStringLiteral("회원번호 조정하기 :"),
                   QStringLiteral("Text7"), 3120, width, height);
    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("저장하기"), 960, 3840, 1215);
    Command2 = addButton(QStringLiteral("Command2"), QStringLiteral("종  료"), 2640, 3840, 1335);
    setLineOrder({Text1, Text2, Text3, Text4, Text5, Text6, Text7});
    for (QLineEdit* fragment : {Text1, Text6, Text7})
        MakeOneLine(fragment, PastedBreaks::Drop);
    // Tab indexes: Command1 0, Command2 1, then Text1 to Text7 at 2, 4, ..., 14.
    ChainTabOrder({Command1, Command2, Text1, Text2, Text3, Text4, Text5, Text6, Text7});
    connect(Command1, &QPushButton::clicked, this, &PositionDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PositionDialog::Command2_Click);
}

} // namespace hanlabel
