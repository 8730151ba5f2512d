#include "ui/windows/LabelWindow.h"

#include "core/AppFolder.h"
#include "core/Failure.h"
#include "core/Numeric.h"
#include "jobs/JobSteps.h"
#include "printers/PrinterMapping.h"
#include "ui/dialogs/PrintMessages.h"
#include "ui/kit/ControlFactory.h"
#include "ui/kit/DataControl.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/OneLineText.h"
#include "ui/kit/SendWithProgress.h"
#include "ui/kit/UpDown.h"
#include "ui/windows/PreviewWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTime>

#include <cmath>

namespace hanlabel {

namespace {

constexpr int ClientWidthTwips = 6990;
constexpr int ClientHeightTwips = 4020;
// The status line below the client area.
constexpr int StatusLineHeightTwips = 300;

// The spin step: the box's numeric value plus delta, written back as the shortest text
// ("-1", "13.5", "1"). A result beyond the double range is reported, the box is left as it was.
void StepNumber(QLineEdit* box, double delta) {
    try {
        const double value = NumericParse(box->text()) + delta;
        if (!std::isfinite(value))
            throw Failure(QStringLiteral("숫자가 너무 큽니다 (overflow): %1").arg(box->text()));
        box->setText(NumberToText(value));
    } catch (const Failure& failure) {
        ShowFailure(box->window(), failure.message());
    }
}

// The text of a line edit or of the port box.
QString BoxText(const QWidget* box) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(box))
        return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(box))
        return combo->currentText();
    return {};
}

// Holds back the operator's input to one window and everything in it (keys, clicks, the wheel,
// composed text), so that nothing typed or pressed during a send is queued for later. Its own
// dialogs and message boxes are windows of their own and go on taking input.
class InputHold : public QObject {
  public:
    explicit InputHold(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            break;
        default:
            return false;
        }
        const auto* widget = qobject_cast<QWidget*>(watched);
        return widget && widget->window() == m_window;
    }

  private:
    QWidget* m_window;
};

} // namespace

LabelWindow::LabelWindow(LabelKind kind, const QString& objectName, const QString& caption, QWidget* parent)
    : QMainWindow(parent), m_kind(kind) {
    setObjectName(objectName);
    setWindowTitle(caption);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFont(GulimFont(9));
    m_client->setFixedSize(TwipsToPixels(ClientWidthTwips), TwipsToPixels(ClientHeightTwips));
    setCentralWidget(m_client);
}

// A send still running is cancelled; its result has no window to go to.
LabelWindow::~LabelWindow() { m_send.reset(); }

QGroupBox* LabelWindow::makeKindFrame() {
    return MakeFrame(m_client, QStringLiteral("Frame2"), QString(), 0, 240, 1695, 975, false);
}

QRadioButton* LabelWindow::makeKindOption(LabelKind kind) {
    if (kind == LabelKind::Book)
        return MakeOption(Frame2, QStringLiteral("Option3"), QStringLiteral("도서바코드"), 120, 240, 1455,
                          255, true);
    return MakeOption(Frame2, QStringLiteral("Option4"), QStringLiteral("회 원 카 드"), 120, 600, 1335, 255,
                      true);
}

QComboBox* LabelWindow::makePortCombo() {
    return MakePortCombo(m_client, QStringLiteral("Combo1"), 120, 1440, 1335, 300);
}

QGroupBox* LabelWindow::makeFramingFrame(bool boldCaption) {
    return MakeFrame(m_client, QStringLiteral("Frame3"), QStringLiteral("통신설정"), 0, 1920, 1695, 1215,
                     boldCaption);
}

QRadioButton* LabelWindow::makeFramingOption(SerialFraming framing) {
    const bool even7 = framing == SerialFraming::Even7;
    return MakeOption(Frame3, even7 ? QStringLiteral("Option5") : QStringLiteral("Option6"),
                      FramingText(framing), 120, even7 ? 360 : 720, 1335, 255, false);
}

QPushButton* LabelWindow::makePrintButton() {
    return MakeButton(m_client, QStringLiteral("Command1"), QStringLiteral("프린터 출력"), 3690, 2790, 1335,
                      495);
}

QPushButton* LabelWindow::makeExitButton() {
    return MakeButton(m_client, QStringLiteral("Command2"), QStringLiteral("종  료"), 5250, 2790, 1335, 495);
}

QAction* LabelWindow::finishForm(const QString& actionName, const QRect& dataControlTwips, QLineEdit* originX,
                                 QLineEdit* originY) {
    HangulDB = new DataControl(m_client);
    HangulDB->setObjectName(QStringLiteral("HangulDB"));
    PlaceTwips(HangulDB, dataControlTwips.x(), dataControlTwips.y(), dataControlTwips.width(),
               dataControlTwips.height());
    MSComm1 = new QObject(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));

    auto* action = new QAction(QStringLiteral("인쇄위치 조정하기.."), this);
    action->setObjectName(actionName);
    menuBar()->setFont(GulimFont(9));
    menuBar()->addAction(action);
    printerSetup = new QAction(QStringLiteral("프린터 연결..."), this);
    printerSetup->setObjectName(QStringLiteral("printerSetup"));
    menuBar()->addAction(printerSetup);
    connect(printerSetup, &QAction::triggered, this, &LabelWindow::printerDialogRequested);
    preview = new QAction(QStringLiteral("미리보기"), this);
    preview->setObjectName(QStringLiteral("preview"));
    menuBar()->addAction(preview);
    connect(preview, &QAction::triggered, this, &LabelWindow::Preview_Click);
    connect(Combo1, &QComboBox::editTextChanged, this, &LabelWindow::updatePortTooltip);
    connect(Option5, &QRadioButton::toggled, this, &LabelWindow::updatePortTooltip);

    m_originX = originX;
    m_originY = originY;
    connect(Command1, &QPushButton::clicked, this, &LabelWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &LabelWindow::Command2_Click);
    connect(UpDown1, &UpDown::DownClick, this, &LabelWindow::UpDown1_DownClick);
    connect(UpDown1, &UpDown::UpClick, this, &LabelWindow::UpDown1_UpClick);
    connect(UpDown2, &UpDown::DownClick, this, &LabelWindow::UpDown2_DownClick);
    connect(UpDown2, &UpDown::UpClick, this, &LabelWindow::UpDown2_UpClick);

    // The status line below the client area says that a print went, until the next action.
    statusBar()->setObjectName(QStringLiteral("statusLine"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFont(GulimFont(9));
    statusBar()->setFixedHeight(TwipsToPixels(StatusLineHeightTwips));
    menuBar()->installEventFilter(this);
    for (QWidget* control : m_client->findChildren<QWidget*>())
        control->installEventFilter(this);
    setFixedSize(m_client->width(),
                 m_client->height() + menuBar()->sizeHint().height() + TwipsToPixels(StatusLineHeightTwips));
    return action;
}

// The book window has its own kind selected from the start; the member card window only from here.
void LabelWindow::Form_Load() {
    const FolderChoice choice = ChooseApplicationFolder(SystemFolderPlaces());
    HangulDB->setDatabaseName(ShippedFile(choice, GlyphDatabaseName));
    ownKindOption()->setChecked(true);

    const JobSteps::WindowSettings settings = JobSteps::ReadWindowSettings(choice.folder, m_kind);
    m_originX->setText(settings.originX);
    m_originY->setText(settings.originY);
    Combo1->setEditText(settings.portText);
    if (settings.framing)
        (*settings.framing == SerialFraming::Even7 ? Option5 : Option6)->setChecked(true);
    updatePortTooltip();
}

void LabelWindow::updatePortTooltip() {
    Combo1->setToolTip(PortDestinationText(Combo1->currentText(), framing()));
    if (!PrintsToPreviewWindow(ChooseChannel(Combo1->currentText())))
        ClosePrintedPreview(this);
}

SerialFraming LabelWindow::framing() const {
    return Option5->isChecked() ? SerialFraming::Even7 : SerialFraming::None8;
}

QRadioButton* LabelWindow::ownKindOption() const { return m_kind == LabelKind::Book ? Option3 : Option4; }

void LabelWindow::Command2_Click() {
    if (ShowMessage(this, QStringLiteral("정말로 종료 하시겠습니까?"), QStringLiteral("종료하기"),
                    QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        emit exitRequested();
}

void LabelWindow::requestSwitch() {
    QPointer<LabelWindow> self(this);
    emit switchRequested();
    if (self)
        ownKindOption()->setChecked(true);
}

bool LabelWindow::holdsHalfCharacter(QList<JobBox> boxes) {
    boxes << JobBox{m_originX, QStringLiteral("좌측위치")} << JobBox{m_originY, QStringLiteral("상하위치")}
          << JobBox{Combo1, QStringLiteral("포트")};
    for (const JobBox& entry : boxes) {
        if (!HasLoneSurrogate(BoxText(entry.box)))
            continue;
        ShowMessage(this,
                    QStringLiteral("%1 칸(%2)에 온전하지 않은 글자(짝 없는 서로게이트)가 있어 인쇄하지 "
                                   "않습니다. 그 글자를 지우고 다시 입력하세요.")
                        .arg(entry.name, entry.box->objectName()),
                    QStringLiteral("입력오류"), QMessageBox::Critical);
        entry.box->setFocus();
        return true;
    }
    return false;
}

void LabelWindow::UpDown1_DownClick() { StepNumber(m_originX, -1); }
void LabelWindow::UpDown1_UpClick() { StepNumber(m_originX, +1); }
void LabelWindow::UpDown2_DownClick() { StepNumber(m_originY, -1); }
void LabelWindow::UpDown2_UpClick() { StepNumber(m_originY, +1); }

LabelJobInputs LabelWindow::labelInputs() const {
    LabelJobInputs in;
    in.portText = Combo1->currentText();
    in.framing = framing();
    in.originX = m_originX->text();
    in.originY = m_originY->text();
    in.originBoxes = {QStringLiteral("좌측위치(%1)").arg(m_originX->objectName()),
                      QStringLiteral("상하위치(%1)").arg(m_originY->objectName())};
    return in;
}

JobEnvironment LabelWindow::jobEnvironment() const {
    return JobEnvironment{ApplicationFolder(), &HangulDB->source(), m_jobMode};
}

// The print button's own mapping of the boxes runs, with its job's steps in ComposeOnly mode.
void LabelWindow::Preview_Click() {
    if (m_printing)
        return;
    m_jobMode = JobMode::ComposeOnly;
    const auto back = qScopeGuard([this] { m_jobMode = JobMode::Print; });
    Command1_Click();
}

void LabelWindow::showComposed(const SendOrder& order) { ShowPreview(this, RenderZpl(order.stream)); }

void LabelWindow::send(const SendOrder& order, std::function<void(const SendResult&)> report) {
    m_inputHold = std::make_unique<InputHold>(this);
    m_report = std::move(report);
    m_sending = order;
    try {
        m_send = std::make_unique<SendWithProgress>(
            order, this, [this](const SendResult& result) { sendFinished(result); });
        m_send->progress().setProgressText(
            [](qint64, qint64) { return QStringLiteral("라벨을 프린터로 보내는 중입니다"); });
        m_send->progress().offerCancelFromStart();
    } catch (const Failure& failure) {
        sendFinished(SendResult::failed(failure.message()));
    }
}

void LabelWindow::sendFinished(const SendResult& result) {
    m_send.reset();
    if (result.picture)
        ShowPreview(this, *result.picture, PreviewShows::Print);
    else if (result.ok && m_sending)
        statusBar()->showMessage(
            PrintSentText(int(RenderZpl(m_sending->stream).labelCount), QTime::currentTime()));
    const auto report = std::exchange(m_report, {});
    report(result);
    m_inputHold.reset();
    m_printing = false;
}

bool LabelWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
        statusBar()->clearMessage();
    return QMainWindow::eventFilter(watched, event);
}

void LabelWindow::closeEvent(QCloseEvent* event) {
    if (m_printing) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool LabelWindow::showOutcome(const LabelJobOutcome& out) {
    if (out.status != JobStatus::Failed) {
        if (out.originX)
            m_originX->setText(*out.originX);
        if (out.originY)
            m_originY->setText(*out.originY);
    }
    if (out.layoutLines)
        emit layoutLinesRead(*out.layoutLines);
    const std::optional<SendOrder> sent = std::exchange(m_sending, std::nullopt);
    if (out.status == JobStatus::Failed) {
        if (out.cancelled)
            ShowPrintCancelled(this, out.failure);
        else if (sent && NoPrinterChosen(sent->kind))
            ShowNoPrinterChosen(this, DefaultPortTarget(sent->kind),
                                [this] { emit printerDialogRequested(); });
        else
            ShowFailure(this, out.failure);
        return false;
    }
    if (out.status == JobStatus::OriginRejected) {
        ShowMessage(this, out.failure, QStringLiteral("입력오류"), QMessageBox::Critical);
        (out.rejectedOrigin == OriginBox::X ? m_originX : m_originY)->setFocus();
        return false;
    }
    if (out.status == JobStatus::FieldRejected) {
        ShowMessage(this, out.failure, QStringLiteral("입력오류"), QMessageBox::Critical);
        if (auto* box = findChild<QWidget*>(out.rejectedBox))
            box->setFocus();
        return false;
    }
    return true;
}

} // namespace hanlabel
