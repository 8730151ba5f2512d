#include "ui/windows/BookLabelWindow.h"

#include "core/AppFolder.h"
#include "core/Failure.h"
#include "jobs/BookLabelJob.h"
#include "settings/SettingsFile.h"
#include "ui/kit/DataControl.h"
#include "ui/kit/Decoration.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/JobProgress.h"
#include "ui/kit/LabelControls.h"
#include "ui/kit/UpDown.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
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
} // namespace

mainfrm::mainfrm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainfrm"));
    setWindowTitle(QStringLiteral("도서 바코드"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFont(GulimFont(9));
    client->setFixedSize(TwipsToPixels(ClientWidthTwips), TwipsToPixels(ClientHeightTwips));
    setCentralWidget(client);

    // The band goes first so that the banner lies on top of it.
    Shape1 = MakeBand(client, QStringLiteral("Shape1"), -150, 3420, 7275, 660, BannerBlue);

    Text1 = MakeTextBox(client, QStringLiteral("Text1"), 3270, 1320, 2175, 285, Pink);
    Text1->setMaxLength(13);
    Image1 = MakeLabel(client, QStringLiteral("Image1"), QString(), 3270, 1680, 2235, 480, false);
    Image1->setPixmap(SampleBarcodePixmap());
    Image1->setScaledContents(true);
    Text2 = MakeTextBox(client, QStringLiteral("Text2"), 3270, 2280, 2175, 285, Pink);
    Text2->setMaxLength(13);

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
    UpDown1 = new UpDown(client);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    PlaceTwips(UpDown1, 2670, 1875, 240, 255);
    Label2 =
        MakeLabel(client, QStringLiteral("Label2"), QStringLiteral("상하위치"), 3150, 615, 1035, 195, true);
    Text4 = MakeTextBox(client, QStringLiteral("Text4"), 3285, 855, 525, 270, LightGrey);
    UpDown2 = new UpDown(client);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    PlaceTwips(UpDown2, 3840, 885, 240, 255);

    Frame2 = MakeFrame(client, QStringLiteral("Frame2"), QString(), 0, 240, 1695, 975, false);
    Option3 = MakeOption(Frame2, QStringLiteral("Option3"), QStringLiteral("도서바코드"), 120, 240, 1455, 255,
                         true);
    Option3->setChecked(true);
    Option4 = MakeOption(Frame2, QStringLiteral("Option4"), QStringLiteral("회 원 카 드"), 120, 600, 1335,
                         255, true);

    Combo1 = MakePortCombo(client, QStringLiteral("Combo1"), 120, 1440, 1335, 300);
    Frame3 =
        MakeFrame(client, QStringLiteral("Frame3"), QStringLiteral("통신설정"), 0, 1920, 1695, 1215, false);
    Option5 = MakeOption(Frame3, QStringLiteral("Option5"), QStringLiteral("9600,E,7,1"), 120, 360, 1335, 255,
                         false);
    Option6 = MakeOption(Frame3, QStringLiteral("Option6"), QStringLiteral("9600,N,8,1"), 120, 720, 1335, 255,
                         false);
    Option6->setChecked(true);

    Command1 =
        MakeButton(client, QStringLiteral("Command1"), QStringLiteral("프린터 출력"), 3690, 2790, 1335, 495);
    Command2 =
        MakeButton(client, QStringLiteral("Command2"), QStringLiteral("종  료"), 5250, 2790, 1335, 495);

    Label4 = MakeLabel(client, QStringLiteral("Label4"), QStringLiteral("도서관 도서 바코드 라벨 인쇄"), 3165,
                       3600, 3525, 240, true);
    SetBackground(Label4, BannerBlue);
    QPalette banner = Label4->palette();
    banner.setColor(QPalette::WindowText, banner.color(QPalette::HighlightedText));
    Label4->setPalette(banner);

    HangulDB = new DataControl(client);
    HangulDB->setObjectName(QStringLiteral("HangulDB"));
    PlaceTwips(HangulDB, 3600, 6000, 1215, 345);
    MSComm1 = new QObject(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));

    p2 = new QAction(QStringLiteral("인쇄위치 조정하기.."), this);
    p2->setObjectName(QStringLiteral("p2"));
    menuBar()->setFont(GulimFont(9));
    menuBar()->addAction(p2);

    SetTabOrder({Command2, Text1, UpDown1, Text3, Text4, UpDown2, Option1, Option2, Text5, Text2, Option3,
                 Option4, Option5, Option6, Combo1, Command1});
    Command2->setFocus();

    connect(Command1, &QPushButton::clicked, this, &mainfrm::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &mainfrm::Command2_Click);
    connect(Option4, &QRadioButton::clicked, this, &mainfrm::Option4_Click);
    connect(p2, &QAction::triggered, this, &mainfrm::p2_Click);
    connect(UpDown1, &UpDown::DownClick, this, &mainfrm::UpDown1_DownClick);
    connect(UpDown1, &UpDown::UpClick, this, &mainfrm::UpDown1_UpClick);
    connect(UpDown2, &UpDown::DownClick, this, &mainfrm::UpDown2_DownClick);
    connect(UpDown2, &UpDown::UpClick, this, &mainfrm::UpDown2_UpClick);
    Text2->installEventFilter(this);
    Text5->installEventFilter(this);

    setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());
}

mainfrm::~mainfrm() = default;

void mainfrm::Form_Load() {
    HangulDB->setDatabaseName(ApplicationFile(ApplicationFolder(), GlyphDatabaseName));

    LoadOriginAndChannel(SettingsFiles::BookOrigin, SettingsFiles::BookChannel, Text3, Text4, Combo1, Option5,
                         Option6);
}

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
    return QMainWindow::eventFilter(watched, event);
}

void mainfrm::Text2_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        Command1->click();
}

void mainfrm::Text5_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        Command1->click();
}

// The print button: runs the book label job on the boxes and shows its outcome.
void mainfrm::Command1_Click() {
    if (m_printing)
        return;
    m_printing = true;
    auto done = qScopeGuard([this] { m_printing = false; });

    BookLabelInputs in;
    in.portText = Combo1->currentText();
    in.framing = Option5->isChecked() ? SerialFraming::Even7 : SerialFraming::None8;
    in.originX = Text3->text();
    in.originY = Text4->text();
    in.labelText = Text1->text();
    in.firstSerial = Text2->text();
    in.ascending = Option1->isChecked();
    in.quantity = Text5->text();

    const BookLabelOutcome out = RunLabelJob<BookLabelJob>(this, HangulDB->source(), in);

    if (out.status != JobStatus::Failed) {
        if (out.originX)
            Text3->setText(*out.originX);
        if (out.originY)
            Text4->setText(*out.originY);
    }
    if (out.layoutLines)
        emit layoutLinesRead(*out.layoutLines);
    if (out.status == JobStatus::Failed) {
        ShowFailure(this, out.failure);
    } else if (out.status == JobStatus::QuantityMissing) {
        ShowMessage(this, QStringLiteral("인쇄매수를 입력하세요!"), QStringLiteral("입력오류"),
                    QMessageBox::Critical);
        Text5->setFocus();
    }
}

void mainfrm::Command2_Click() {
    if (ConfirmExit(this))
        emit exitRequested();
}

// "회 원 카 드": asks for the member card window. Should the switch not happen, the window
// keeps showing its own kind selected.
void mainfrm::Option4_Click() {
    QPointer<mainfrm> self(this);
    emit switchRequested();
    if (self)
        Option3->setChecked(true);
}

void mainfrm::p2_Click() { emit positionDialogRequested(); }

void mainfrm::UpDown1_DownClick() { StepNumber(Text3, -1); }
void mainfrm::UpDown1_UpClick() { StepNumber(Text3, +1); }
void mainfrm::UpDown2_DownClick() { StepNumber(Text4, -1); }
void mainfrm::UpDown2_UpClick() { StepNumber(Text4, +1); }

} // namespace hanlabel
