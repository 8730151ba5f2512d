#include "ui/windows/MemberCardWindow.h"

#include "core/AppFolder.h"
#include "core/Failure.h"
#include "jobs/MemberCardJob.h"
#include "settings/SettingsFile.h"
#include "ui/kit/DataControl.h"
#include "ui/kit/Decoration.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/JobProgress.h"
#include "ui/kit/LabelControls.h"
#include "ui/kit/UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

namespace hanlabel {

namespace {
constexpr int ClientWidthTwips = 6990;
constexpr int ClientHeightTwips = 4020;
const QString GlyphDatabaseName = QStringLiteral("견고딕24X24.mdb");
const QString Banner = QStringLiteral("도서관 회원증 바코드 라벨 인쇄");
} // namespace

main1frm::main1frm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("main1frm"));
    setWindowTitle(QStringLiteral("회원증 바코드"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFont(GulimFont(9));
    client->setFixedSize(TwipsToPixels(ClientWidthTwips), TwipsToPixels(ClientHeightTwips));
    setCentralWidget(client);

    // The band and the pictures go first so that captions and banner lie on top of them.
    Shape1 = MakeBand(client, QStringLiteral("Shape1"), 0, 3420, 7275, 660, BannerBlue);
    Image2 = MakeLabel(client, QStringLiteral("Image2"), QString(), 2040, 840, 1425, 1770, false);
    Image2->setPixmap(PortraitSilhouettePixmap());
    Image2->setScaledContents(true);
    Image1 = MakeLabel(client, QStringLiteral("Image1"), QString(), 3600, 2160, 3195, 480, false);
    Image1->setPixmap(SampleBarcodePixmap());
    Image1->setScaledContents(true);

    Frame2 = MakeFrame(client, QStringLiteral("Frame2"), QString(), 0, 240, 1695, 975, false);
    Option4 = MakeOption(Frame2, QStringLiteral("Option4"), QStringLiteral("회 원 카 드"), 120, 600, 1335,
                         255, true);
    Option3 = MakeOption(Frame2, QStringLiteral("Option3"), QStringLiteral("도서바코드"), 120, 240, 1455, 255,
                         true);

    Text1 = MakeTextBox(client, QStringLiteral("Text1"), 4560, 720, 2175, 285, Pink);
    Text2 = MakeTextBox(client, QStringLiteral("Text2"), 4560, 1080, 2175, 285, Pink);
    Text3 = MakeTextBox(client, QStringLiteral("Text3"), 4560, 1440, 855, 285, Pink);
    Text3->setMaxLength(6);
    Text4 = MakeTextBox(client, QStringLiteral("Text4"), 5760, 1440, 975, 285, Pink);
    Text4->setMaxLength(7);
    Text4->setStyle(MakeStarEchoStyle(Text4));

    Command1 =
        MakeButton(client, QStringLiteral("Command1"), QStringLiteral("프린터 출력"), 3690, 2790, 1335, 495);
    Command2 =
        MakeButton(client, QStringLiteral("Command2"), QStringLiteral("종  료"), 5250, 2790, 1335, 495);
    Check1 =
        MakeCheckBox(client, QStringLiteral("Check1"), QStringLiteral("* 체크"), 5880, 1800, 975, 300, true);
    Check1->setChecked(true);

    Text5 = MakeTextBox(client, QStringLiteral("Text5"), 5280, 360, 615, 270, LightGrey);
    Text6 = MakeTextBox(client, QStringLiteral("Text6"), 3240, 360, 615, 270, LightGrey);
    UpDown1 = new UpDown(client);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    PlaceTwips(UpDown1, 3840, 360, 240, 255);
    UpDown2 = new UpDown(client);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    PlaceTwips(UpDown2, 5880, 360, 240, 255);

    Combo1 = MakePortCombo(client, QStringLiteral("Combo1"), 120, 1440, 1335, 300);
    Frame3 =
        MakeFrame(client, QStringLiteral("Frame3"), QStringLiteral("통신설정"), 0, 1920, 1695, 1215, true);
    Option6 = MakeOption(Frame3, QStringLiteral("Option6"), QStringLiteral("9600,N,8,1"), 120, 720, 1335, 255,
                         false);
    Option6->setChecked(true);
    Option5 = MakeOption(Frame3, QStringLiteral("Option5"), QStringLiteral("9600,E,7,1"), 120, 360, 1335, 255,
                         false);

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
    QPalette echo = Label7->palette();
    echo.setColor(QPalette::WindowText, QColor(48, 48, 255));
    Label7->setPalette(echo);
    QPalette banner = Label8->palette();
    banner.setColor(QPalette::WindowText, banner.color(QPalette::HighlightedText));
    Label8->setPalette(banner);

    HangulDB = new DataControl(client);
    HangulDB->setObjectName(QStringLiteral("HangulDB"));
    PlaceTwips(HangulDB, 6000, 5880, 1140, 285);
    MSComm1 = new QObject(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));

    q1 = new QAction(QStringLiteral("인쇄위치 조정하기.."), this);
    q1->setObjectName(QStringLiteral("q1"));
    menuBar()->setFont(GulimFont(9));
    menuBar()->addAction(q1);

    SetTabOrder({Option4, Option3, Text1, Text2, Text3, Text4, Command1, Command2, Check1, Text5, Text6,
                 UpDown1, UpDown2, Combo1, Option6, Option5});
    Option4->setFocus();

    connect(Command1, &QPushButton::clicked, this, &main1frm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &main1frm::Command2_Click);
    connect(Option3, &QRadioButton::clicked, this, &main1frm::Option3_Click);
    connect(q1, &QAction::triggered, this, &main1frm::q1_Click);
    connect(Check1, &QCheckBox::clicked, this, &main1frm::Check1_Click);
    connect(UpDown1, &UpDown::DownClick, this, &main1frm::UpDown1_DownClick);
    connect(UpDown1, &UpDown::UpClick, this, &main1frm::UpDown1_UpClick);
    connect(UpDown2, &UpDown::DownClick, this, &main1frm::UpDown2_DownClick);
    connect(UpDown2, &UpDown::UpClick, this, &main1frm::UpDown2_UpClick);
    Text3->installEventFilter(this);
    Text4->installEventFilter(this);

    setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());
}

main1frm::~main1frm() = default;

void main1frm::Form_Load() {
    HangulDB->setDatabaseName(ApplicationFile(ApplicationFolder(), GlyphDatabaseName));
    Option4->setChecked(true);

    LoadOriginAndChannel(SettingsFiles::MemberOrigin, SettingsFiles::MemberChannel, Text6, Text5, Combo1,
                         Option5, Option6);
}

// Key releases in Text3 and typed characters in Text4 (keys or composed input).
bool main1frm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text3 && event->type() == QEvent::KeyRelease &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat())
        Text3_KeyUp();
    if (watched == Text4) {
        if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->text().isEmpty())
            Text4_KeyPress();
        else if (event->type() == QEvent::InputMethod &&
                 !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty())
            Text4_KeyPress();
    }
    return QMainWindow::eventFilter(watched, event);
}

void main1frm::Text3_KeyUp() {
    if (Text3->text().length() >= 6)
        Text4->setFocus();
}

// Before the typed character is entered: stars while the mask switch is on, plain otherwise.
void main1frm::Text4_KeyPress() {
    Text4->setEchoMode(Check1->checkState() != Qt::Unchecked ? QLineEdit::Password : QLineEdit::Normal);
}

void main1frm::Check1_Click() { Text4->setFocus(); }

// The print button: runs the member card job on the boxes and shows its outcome.
void main1frm::Command1_Click() {
    if (m_printing)
        return;
    m_printing = true;
    auto done = qScopeGuard([this] { m_printing = false; });

    MemberCardInputs in;
    in.portText = Combo1->currentText();
    in.framing = Option5->isChecked() ? SerialFraming::Even7 : SerialFraming::None8;
    in.originX = Text6->text();
    in.originY = Text5->text();
    in.affiliation = Text1->text();
    in.name = Text2->text();
    in.memberNumberFirst = Text3->text();
    in.memberNumberSecond = Text4->text();
    in.maskSecondPart = Check1->checkState() != Qt::Unchecked;

    const MemberCardOutcome out = RunLabelJob<MemberCardJob>(this, HangulDB->source(), in);

    if (out.status != JobStatus::Failed) {
        if (out.originX)
            Text6->setText(*out.originX);
        if (out.originY)
            Text5->setText(*out.originY);
    }
    if (out.layoutLines)
        emit layoutLinesRead(*out.layoutLines);
    if (out.status == JobStatus::Failed) {
        ShowFailure(this, out.failure);
        return;
    }
    if (out.clearEntries) {
        Text2->clear();
        Text3->clear();
        Text4->clear();
    }
}

void main1frm::Command2_Click() {
    if (ConfirmExit(this))
        emit exitRequested();
}

// "도서바코드": asks for the book label window. Should the switch not happen, the window keeps
// showing its own kind selected.
void main1frm::Option3_Click() {
    QPointer<main1frm> self(this);
    emit switchRequested();
    if (self)
        Option4->setChecked(true);
}

void main1frm::q1_Click() { emit positionDialogRequested(); }

void main1frm::UpDown1_DownClick() { StepNumber(Text6, -1); }
void main1frm::UpDown1_UpClick() { StepNumber(Text6, +1); }
void main1frm::UpDown2_DownClick() { StepNumber(Text5, -1); }
void main1frm::UpDown2_UpClick() { StepNumber(Text5, +1); }

} // namespace hanlabel
