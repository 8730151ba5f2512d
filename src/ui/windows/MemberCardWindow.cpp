#include "ui/windows/MemberCardWindow.h"

#include "jobs/MemberCardJob.h"
#include "ui/dialogs/MemberListDialog.h"
#include "ui/kit/ControlFactory.h"
#include "ui/kit/Decoration.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/Keys.h"
#include "ui/kit/OneLineText.h"
#include "ui/kit/UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

namespace hanlabel {

namespace {
const QString Banner = QStringLiteral("도서관 회원증 바코드 라벨 인쇄");
} // namespace

main1frm::main1frm(QWidget* parent)
    : LabelWindow(LabelKind::Member, QStringLiteral("main1frm"), QStringLiteral("회원증 바코드"), parent) {
    QWidget* client = this->client();

    // The band and the pictures go first so that captions and banner lie on top of them.
    Shape1 = MakeBand(client, QStringLiteral("Shape1"), 0, 3420, 7275, 660, BannerBlue);
    Image2 = MakePicture(client, QStringLiteral("Image2"), PortraitSilhouettePixmap(), 2040, 840, 1425, 1770);
    Image1 = MakePicture(client, QStringLiteral("Image1"), SampleBarcodePixmap(), 3600, 2160, 3195, 480);

    Frame2 = makeKindFrame();
    Option4 = makeKindOption(LabelKind::Member);
    Option3 = makeKindOption(LabelKind::Book);

    Text1 = MakeTextBox(client, QStringLiteral("Text1"), 4560, 720, 2175, 285, Pink);
    Text2 = MakeTextBox(client, QStringLiteral("Text2"), 4560, 1080, 2175, 285, Pink);
    Text3 = MakeTextBox(client, QStringLiteral("Text3"), 4560, 1440, 855, 285, Pink);
    SetCharacterLimit(Text3, 6);
    Text4 = MakeTextBox(client, QStringLiteral("Text4"), 5760, 1440, 975, 285, Pink);
    SetCharacterLimit(Text4, 7);
    Text4->setStyle(MakeStarEchoStyle(Text4));

    Command1 = makePrintButton();
    Command2 = makeExitButton();
    Check1 =
        MakeCheckBox(client, QStringLiteral("Check1"), QStringLiteral("* 체크"), 5880, 1800, 975, 300, true);
    Check1->setChecked(true);

    Text5 = MakeTextBox(client, QStringLiteral("Text5"), 5280, 360, 615, 270, LightGrey);
    Text6 = MakeTextBox(client, QStringLiteral("Text6"), 3240, 360, 615, 270, LightGrey);
    UpDown1 = MakeSpin(client, QStringLiteral("UpDown1"), 3840, 360, 240, 255);
    UpDown2 = MakeSpin(client, QStringLiteral("UpDown2"), 5880, 360, 240, 255);

    Combo1 = makePortCombo();
    Frame3 = makeFramingFrame(true);
    Option6 = makeFramingOption(SerialFraming::None8);
    Option6->setChecked(true);
    Option5 = makeFramingOption(SerialFraming::Even7);

    Label1 = MakeLabel(client, QStringLiteral("Label1"), QStringLiteral("-"), 5520, 1440, 255, 255, false);
    Label1->setAlignment(Qt::AlignCenter);
    Label2 =
        MakeLabel(client, QStringLiteral("Label2"), QStringLiteral("좌측위치"), 2160, 360, 1035, 195, true);
    Label3 =
        MakeLabel(client, QStringLiteral("Label3"), QStringLiteral("상하위치"), 4200, 360, 1035, 195, true);
    Label4 =
        MakeLabel(client, QStringLiteral("Label4"), QStringLiteral("소      속"), 3600, 720, 795, 195, false);
    Label5 = MakeLabel(client, QStringLiteral("Label5"), QStringLiteral("성      명"), 3600, 1080, 795, 195,
                       false);
    Label6 =
        MakeLabel(client, QStringLiteral("Label6"), QStringLiteral("회원번호"), 3600, 1440, 795, 195, false);

    // The banner twice, the first a faint echo behind the second.
    Label7 = MakeLabel(client, QStringLiteral("Label7"), Banner, 3315, 3555, 3525, 240, true);
    Label8 = MakeLabel(client, QStringLiteral("Label8"), Banner, 3165, 3600, 3525, 240, true);
    SetTextColour(Label7, QColor(48, 48, 255));
    SetTextColour(Label8, Label8->palette().color(QPalette::HighlightedText));

    q1 = finishForm(QStringLiteral("q1"), QRect(6000, 5880, 1140, 285), Text6, Text5);
    listPrint = new QAction(QStringLiteral("명단 인쇄..."), this);
    listPrint->setObjectName(QStringLiteral("listPrint"));
    menuBar()->addAction(listPrint);

    SetTabOrder({Option4, Option3, Text1, Text2, Text3, Text4, Command1, Command2, Check1, Text5, Text6,
                 UpDown1, UpDown2, Combo1, Option6, Option5});
    Option4->setFocus();

    connect(Option3, &QRadioButton::clicked, this, &main1frm::Option3_Click);
    connect(q1, &QAction::triggered, this, &main1frm::q1_Click);
    connect(listPrint, &QAction::triggered, this, &main1frm::listPrint_Click);
    connect(Check1, &QCheckBox::clicked, this, &main1frm::Check1_Click);
    Text3->installEventFilter(this);
    Text4->installEventFilter(this);
}

main1frm::~main1frm() = default;

// Key releases in Text3 and characters typed into Text4 (keys or composed input); Tab, Enter,
// arrows and modifiers type nothing.
bool main1frm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text3 && event->type() == QEvent::KeyRelease &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat())
        Text3_KeyUp();
    if (watched == Text4) {
        if (event->type() == QEvent::KeyPress && TypesCharacter(*static_cast<QKeyEvent*>(event)))
            Text4_KeyPress();
        else if (event->type() == QEvent::InputMethod &&
                 !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty())
            Text4_KeyPress();
    }
    return LabelWindow::eventFilter(watched, event);
}

void main1frm::Text3_KeyUp() {
    if (CharacterCount(Text3->text()) >= 6)
        Text4->setFocus();
}

// Before the typed character is entered: stars while the mask switch is on, plain otherwise.
void main1frm::Text4_KeyPress() {
    Text4->setEchoMode(Check1->checkState() != Qt::Unchecked ? QLineEdit::Password : QLineEdit::Normal);
}

void main1frm::Check1_Click() { Text4->setFocus(); }

// The print button: runs the member card job on the boxes; a card sent whole empties the entries
// of the next member.
void main1frm::Command1_Click() {
    if (holdsHalfCharacter({{Text1, QStringLiteral("소속")},
                            {Text2, QStringLiteral("성명")},
                            {Text3, QStringLiteral("회원번호 앞부분")},
                            {Text4, QStringLiteral("회원번호 뒷부분")}}))
        return;
    print<MemberCardJob>(jobInputs(), [this](const MemberCardOutcome& out) {
        if (out.status == JobStatus::Printed) {
            Text2->clear();
            Text3->clear();
            Text4->clear();
        }
    });
}

MemberCardInputs main1frm::jobInputs() const {
    MemberCardInputs in;
    static_cast<LabelJobInputs&>(in) = labelInputs();
    in.affiliation = Text1->text();
    in.name = Text2->text();
    in.memberNumberFirst = Text3->text();
    in.memberNumberSecond = Text4->text();
    in.maskSecondPart = Check1->checkState() != Qt::Unchecked;
    return in;
}

// The dialog is modal to this window, so the boxes it took stay as they are while it is open.
void main1frm::listPrint_Click() {
    if (isPrinting() || holdsHalfCharacter({{Text1, QStringLiteral("소속")}}))
        return;
    auto* dialog = new MemberListDialog(jobInputs(), jobEnvironment(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
}

// "도서바코드": asks for the book label window.
void main1frm::Option3_Click() { requestSwitch(); }

void main1frm::q1_Click() { emit positionDialogRequested(); }

} // namespace hanlabel
