#include "ui/windows/BookLabelWindow.h"

#include "jobs/BookLabelJob.h"
#include "ui/kit/ControlFactory.h"
#include "ui/kit/Decoration.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/OneLineText.h"
#include "ui/kit/UpDown.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace hanlabel {

mainfrm::mainfrm(QWidget* parent)
    : LabelWindow(LabelKind::Book, QStringLiteral("mainfrm"), QStringLiteral("도서 바코드"), parent) {
    QWidget* client = this->client();

    // The band goes first so that the banner lies on top of it.
    Shape1 = MakeBand(client, QStringLiteral("Shape1"), -150, 3420, 7275, 660, BannerBlue);

    Text1 = MakeTextBox(client, QStringLiteral("Text1"), 3270, 1320, 2175, 285, Pink);
    SetCharacterLimit(Text1, 13);
    Image1 = MakePicture(client, QStringLiteral("Image1"), SampleBarcodePixmap(), 3270, 1680, 2235, 480);
    Text2 = MakeTextBox(client, QStringLiteral("Text2"), 3270, 2280, 2175, 285, Pink);
    SetCharacterLimit(Text2, 13);

    Frame1 =
        MakeFrame(client, QStringLiteral("Frame1"), QStringLiteral("Serial No"), 4440, 225, 2415, 975, false);
    Option1 = MakeOption(Frame1, QStringLiteral("Option1"), QStringLiteral("오름차순(1,2,3..)"), 240, 240,
                         1815, 180, false);
    Option1->setChecked(true);
    Option2 = MakeOption(Frame1, QStringLiteral("Option2"), QStringLiteral("내림차순(9,8,7..)"), 240, 600,
                         1815, 255, false);

    Label3 = MakeLabel(client, QStringLiteral("Label3"), QStringLiteral("수량"), 2385, 2880, 540, 195, true);
    Text5 = MakeTextBox(client, QStringLiteral("Text5"), 2955, 2865, 615, 270, LightCyan);
    Text5->setText(QStringLiteral("1"));
    Label1 =
        MakeLabel(client, QStringLiteral("Label1"), QStringLiteral("좌측위치"), 2025, 1650, 1035, 195, true);
    Text3 = MakeTextBox(client, QStringLiteral("Text3"), 2115, 1875, 525, 270, LightGrey);
    UpDown1 = MakeSpin(client, QStringLiteral("UpDown1"), 2670, 1875, 240, 255);
    Label2 =
        MakeLabel(client, QStringLiteral("Label2"), QStringLiteral("상하위치"), 3150, 615, 1035, 195, true);
    Text4 = MakeTextBox(client, QStringLiteral("Text4"), 3285, 855, 525, 270, LightGrey);
    UpDown2 = MakeSpin(client, QStringLiteral("UpDown2"), 3840, 885, 240, 255);

    Frame2 = makeKindFrame();
    Option3 = makeKindOption(LabelKind::Book);
    Option3->setChecked(true);
    Option4 = makeKindOption(LabelKind::Member);

    Combo1 = makePortCombo();
    Frame3 = makeFramingFrame(false);
    Option5 = makeFramingOption(SerialFraming::Even7);
    Option6 = makeFramingOption(SerialFraming::None8);
    Option6->setChecked(true);

    Command1 = makePrintButton();
    Command2 = makeExitButton();

    Label4 = MakeLabel(client, QStringLiteral("Label4"), QStringLiteral("도서관 도서 바코드 라벨 인쇄"), 3165,
                       3600, 3525, 240, true);
    SetBackground(Label4, BannerBlue);
    SetTextColour(Label4, Label4->palette().color(QPalette::HighlightedText));

    p2 = finishForm(QStringLiteral("p2"), QRect(3600, 6000, 1215, 345), Text3, Text4);

    SetTabOrder({Command2, Text1, UpDown1, Text3, Text4, UpDown2, Option1, Option2, Text5, Text2, Option3,
                 Option4, Option5, Option6, Combo1, Command1});
    Command2->setFocus();

    connect(Option4, &QRadioButton::clicked, this, &mainfrm::Option4_Click);
    connect(p2, &QAction::triggered, this, &mainfrm::p2_Click);
    Text2->installEventFilter(this);
    Text5->installEventFilter(this);
}

mainfrm::~mainfrm() = default;

// Enter (13) in Text2 or Text5 presses the print button; the key goes on to the box.
bool mainfrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int keyAscii = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ? 13 : 0;
        if (keyAscii != 0 && watched == Text2)
            Text2_KeyPress(keyAscii);
        else if (keyAscii != 0 && watched == Text5)
            Text5_KeyPress(keyAscii);
    }
    return LabelWindow::eventFilter(watched, event);
}

void mainfrm::Text2_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        Command1->click();
}

void mainfrm::Text5_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        Command1->click();
}

// The print button: runs the book label job on the boxes; an empty quantity is asked for.
void mainfrm::Command1_Click() {
    if (holdsHalfCharacter({{Text1, QStringLiteral("라벨 문구")},
                            {Text2, QStringLiteral("일련번호")},
                            {Text5, QStringLiteral("수량")}}))
        return;
    BookLabelInputs in;
    static_cast<LabelJobInputs&>(in) = labelInputs();
    in.labelText = Text1->text();
    in.firstSerial = Text2->text();
    in.ascending = Option1->isChecked();
    in.quantity = Text5->text();

    print<BookLabelJob>(in, [this](const BookLabelOutcome& out) {
        if (out.status == JobStatus::QuantityMissing) {
            ShowMessage(this, QStringLiteral("인쇄매수를 입력하세요!"), QStringLiteral("입력오류"),
                        QMessageBox::Critical);
            Text5->setFocus();
        }
    });
}

// "회 원 카 드": asks for the member card window.
void mainfrm::Option4_Click() { requestSwitch(); }

void mainfrm::p2_Click() { emit positionDialogRequested(); }

} // namespace hanlabel
