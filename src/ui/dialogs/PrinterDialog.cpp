#include "ui/dialogs/PrinterDialog.h"

#include "core/Failure.h"
#include "printers/PrinterTarget.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/OneLineText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <memory>

namespace hanlabel {

namespace {

// Runs work on a thread of its own and hands its result to done on the receiver's thread; once
// the receiver is gone the result is dropped. A check may take seconds; the dialog stays live.
template <typename Result>
void RunInBackground(QObject* receiver, std::function<Result()> work,
                     std::function<void(const Result&)> done) {
    auto result = std::make_shared<Result>();
    QThread* thread = QThread::create([result, work] { *result = work(); });
    QObject::connect(thread, &QThread::finished, receiver, [result, done] { done(*result); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

template <typename Widget> Widget* Named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// A check's lines in its verdict's colour; the first line says what was found, so only a failure
// gets a word of its own in front.
void ShowResult(QLabel* label, int verdict, const QStringList& lines) {
    const QString colour = verdict == CheckResult::Ready       ? QStringLiteral("#1b6e20")
                           : verdict == CheckResult::Attention ? QStringLiteral("#8a5300")
                                                               : QStringLiteral("#b00020");
    label->setStyleSheet(QStringLiteral("color: %1;").arg(colour));
    const QString text = lines.join(u'\n');
    label->setText(verdict == CheckResult::Failed ? QStringLiteral("실패: %1").arg(text) : text);
    // A wrapped label does not tell the dialog it needs more lines: its height is asked here.
    label->setMinimumHeight(label->heightForWidth(std::max(label->width(), 300)));
}

// Fills a device box with entries ("path — what it is"), keeping the text typed or chosen.
void FillDevices(QComboBox* box, const QList<DeviceEntry>& devices) {
    const QString current = box->currentText();
    box->clear();
    for (const DeviceEntry& device : devices)
        box->addItem(QStringLiteral("%1 — %2").arg(device.path, device.description), device.path);
    box->setEditText(current);
}

// The path of a device box: the chosen entry's, or what was typed.
QString DevicePath(const QComboBox* box) {
    const QString text = box->currentText().trimmed();
    const int index = box->findText(text);
    return index >= 0 ? box->itemData(index).toString() : text;
}

} // namespace

// The controls every port has: the note of an overriding variable, the check and its result.
struct PrinterDialog::PortControls {
    ChannelKind kind;
    QWidget* choices = nullptr;
    QLabel* overrideNote = nullptr;
    QLineEdit* overrideValue = nullptr;
    QPushButton* check = nullptr;
    QLabel* result = nullptr;
    bool overridden = false;
};

PrinterDialog::PrinterDialog(PrinterDialogSetup setup, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup)), m_lpt(std::make_unique<PortControls>()),
      m_com(std::make_unique<PortControls>()) {
    setObjectName(QStringLiteral("PrinterDialog"));
    setWindowTitle(QStringLiteral("프린터 연결"));
    // The Korean font of the label windows (굴림, which resolves to an installed Korean font).
    setFont(GulimFont(9));
    m_lpt->kind = ChannelKind::Parallel;
    m_com->kind = ChannelKind::Serial;

    auto* intro =
        Named(new QLabel(QStringLiteral("라벨 창의 포트 선택(LPT1, COM1)이 어디로 인쇄되는지 정합니다. "
                                        "바꾼 연결은 다음 인쇄부터 쓰입니다."),
                         this),
              "intro");
    intro->setWordWrap(true);
    auto* lptGroup =
        Named(new QGroupBox(QStringLiteral("LPT1: 라벨 창의 포트 선택이 \"LPT1\"일 때"), this), "lptGroup");
    buildParallel(lptGroup);
    auto* comGroup = Named(
        new QGroupBox(QStringLiteral("COM1: 라벨 창의 포트 선택이 그 밖의 글자일 때 (직렬 포트 1)"), this),
        "comGroup");
    buildSerial(comGroup);

    QString where = QStringLiteral("저장할 곳: %1").arg(m_setup.places.operatorFile);
    if (QFileInfo::exists(m_setup.places.systemFile))
        where += QStringLiteral("\n여기서 고르지 않은 포트는 시스템 설정 %1을 따릅니다.")
                     .arg(m_setup.places.systemFile);
    auto* file = Named(new QLabel(where, this), "mappingFile");
    file->setWordWrap(true);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problems = Named(new QLabel(this), "mappingProblems");
    m_problems->setWordWrap(true);
    m_problems->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problems->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_problems->hide();

    auto* refreshButton = Named(new QPushButton(QStringLiteral("목록 새로 고침"), this), "refresh");
    connect(refreshButton, &QPushButton::clicked, this, &PrinterDialog::refresh);
    auto* buttons =
        Named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this), "buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &PrinterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PrinterDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(refreshButton);
    bottom->addStretch();
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(lptGroup);
    layout->addWidget(comGroup);
    layout->addWidget(file);
    layout->addWidget(m_problems);
    layout->addLayout(bottom);

    for (PortControls* port : {m_lpt.get(), m_com.get()})
        connect(port->check, &QPushButton::clicked, this, [this, kind = port->kind] { startCheck(kind); });
    loadChoices();
    refresh();
    updateEnabled();
    setMinimumWidth(560);
}

PrinterDialog::~PrinterDialog() = default;

void PrinterDialog::buildParallel(QGroupBox* group) {
    PortControls& port = *m_lpt;
    auto* choices = Named(new QWidget(group), "lptChoices");
    auto* grid = new QGridLayout(choices);
    grid->setContentsMargins(0, 0, 0, 0);
    m_deviceChoice = Named(new QRadioButton(QStringLiteral("USB·병렬 프린터"), choices), "lptDeviceChoice");
    m_queueChoice = Named(new QRadioButton(QStringLiteral("CUPS 프린터 큐"), choices), "lptQueueChoice");
    m_networkChoice = Named(new QRadioButton(QStringLiteral("네트워크 프린터"), choices), "lptNetworkChoice");
    m_fileChoice = Named(new QRadioButton(QStringLiteral("파일"), choices), "lptFileChoice");
    m_previewChoice = Named(new QRadioButton(QStringLiteral("미리보기 창"), choices), "lptPreviewChoice");

    m_lptDevice = Named(new QComboBox(choices), "lptDevice");
    m_lptDevice->setEditable(true);
    m_lptDevice->lineEdit()->setPlaceholderText(QStringLiteral("/dev/usb/lp0"));
    MakeOneLine(m_lptDevice->lineEdit(), PastedBreaks::KeepFirstLine);
    m_queue = Named(new QComboBox(choices), "lptQueue");
    m_host = Named(new QLineEdit(choices), "lptHost");
    m_host->setPlaceholderText(QStringLiteral("주소 (예: 192.168.0.50)"));
    MakeOneLine(m_host, PastedBreaks::KeepFirstLine);
    m_port = Named(new QSpinBox(choices), "lptPort");
    m_port->setRange(1, 65535);
    m_port->setValue(kRawPrinterPort);
    auto* network = new QHBoxLayout;
    network->addWidget(m_host, 1);
    network->addWidget(Named(new QLabel(QStringLiteral("포트"), choices), "lptPortLabel"));
    network->addWidget(m_port);
    m_file = Named(new QLineEdit(choices), "lptFile");
    m_file->setPlaceholderText(QStringLiteral("라벨 명령을 쓸 파일"));
    MakeOneLine(m_file, PastedBreaks::KeepFirstLine);
    m_browse = Named(new QPushButton(QStringLiteral("찾아보기..."), choices), "lptBrowse");
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("인쇄할 파일"), m_file->text(),
                                                          QStringLiteral("ZPL 파일 (*.zpl);;모든 파일 (*)"),
                                                          nullptr, QFileDialog::DontConfirmOverwrite);
        if (!path.isEmpty())
            m_file->setText(path);
    });
    auto* file = new QHBoxLayout;
    file->addWidget(m_file, 1);
    file->addWidget(m_browse);
    m_previewNote =
        Named(new QLabel(QStringLiteral("라벨을 인쇄하지 않고 화면에 그려 보여 줍니다."), choices),
              "lptPreviewNote");

    grid->addWidget(m_deviceChoice, 0, 0);
    grid->addWidget(m_lptDevice, 0, 1);
    grid->addWidget(m_queueChoice, 1, 0);
    grid->addWidget(m_queue, 1, 1);
    grid->addWidget(m_networkChoice, 2, 0);
    grid->addLayout(network, 2, 1);
    grid->addWidget(m_fileChoice, 3, 0);
    grid->addLayout(file, 3, 1);
    grid->addWidget(m_previewChoice, 4, 0);
    grid->addWidget(m_previewNote, 4, 1);
    grid->setColumnStretch(1, 1);
    for (QRadioButton* choice :
         {m_deviceChoice, m_queueChoice, m_networkChoice, m_fileChoice, m_previewChoice})
        connect(choice, &QRadioButton::toggled, this, &PrinterDialog::updateEnabled);
    layOutPort(port, group, choices, nullptr);
}

void PrinterDialog::buildSerial(QGroupBox* group) {
    PortControls& port = *m_com;
    auto* choices = Named(new QWidget(group), "comChoices");
    auto* row = new QHBoxLayout(choices);
    row->setContentsMargins(0, 0, 0, 0);
    m_comDevice = Named(new QComboBox(choices), "comDevice");
    m_comDevice->setEditable(true);
    m_comDevice->lineEdit()->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    MakeOneLine(m_comDevice->lineEdit(), PastedBreaks::KeepFirstLine);
    row->addWidget(Named(new QLabel(QStringLiteral("직렬 장치"), choices), "comDeviceLabel"));
    row->addWidget(m_comDevice, 1);
    auto* framing = Named(new QLabel(QStringLiteral("속도와 형식: %1 (라벨 창의 \"통신설정\"에서 고릅니다)")
                                         .arg(FramingText(m_setup.framing)),
                                     group),
                          "comFraming");
    layOutPort(port, group, choices, framing);
}

void PrinterDialog::layOutPort(PortControls& port, QGroupBox* group, QWidget* choices, QWidget* extra) {
    const QString prefix = port.kind == ChannelKind::Parallel ? QStringLiteral("lpt") : QStringLiteral("com");
    port.choices = choices;
    port.overrideNote = Named(new QLabel(group), prefix + "Override");
    port.overrideValue = Named(new QLineEdit(group), prefix + "OverrideValue");
    port.check = Named(new QPushButton(QStringLiteral("연결 확인"), group), prefix + "Check");
    port.result = Named(new QLabel(group), prefix + "Result");
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(port.overrideNote);
    layout->addWidget(port.overrideValue);
    layout->addWidget(choices);
    if (extra)
        layout->addWidget(extra);
    auto* check = new QHBoxLayout;
    check->addWidget(port.check, 0, Qt::AlignTop);
    check->addWidget(port.result, 1);
    layout->addLayout(check);
}

PrinterDialog::PortControls& PrinterDialog::controls(ChannelKind kind) const {
    return kind == ChannelKind::Parallel ? *m_lpt : *m_com;
}

void PrinterDialog::showOverride(PortControls& port, const PortTarget& target) {
    port.overridden = target.source == TargetSource::Environment;
    port.overrideNote->setVisible(port.overridden);
    port.overrideValue->setVisible(port.overridden);
    port.overrideValue->setReadOnly(true);
    port.overrideNote->setWordWrap(true);
    if (port.overridden) {
        port.overrideNote->setText(
            QStringLiteral("환경 변수 %1이(가) 정해져 있어 %2 포트는 이 값으로 인쇄합니다. "
                           "바꾸려면 변수를 지우고 프로그램을 다시 시작하세요.")
                .arg(target.origin, PortName(port.kind)));
        port.overrideValue->setText(target.target);
    }
    port.choices->setEnabled(!port.overridden);
    port.result->setWordWrap(true);
    port.result->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void PrinterDialog::loadChoices() {
    QStringList problems;
    for (PortControls* port : {m_lpt.get(), m_com.get()}) {
        PortTarget& resolved = m_resolved[port->kind == ChannelKind::Parallel ? 0 : 1];
        problems.clear();
        try {
            resolved = ResolvePortTarget(port->kind, m_setup.places, &problems);
        } catch (const Failure& failure) {
            resolved = {DefaultPortTarget(port->kind), TargetSource::Default, {}};
            ShowResult(port->result, CheckResult::Failed, {failure.message()});
        }
        showOverride(*port, resolved);
    }
    // A print stops at these lines; saving here writes the operator's file without them.
    if (!problems.isEmpty()) {
        m_problems->setText(
            QStringLiteral("프린터 연결 설정 파일에 읽을 수 없는 줄이 있어 인쇄할 수 없습니다.\n%1\n"
                           "확인을 누르면 여기서 고른 연결로 %2을(를) 다시 씁니다.")
                .arg(problems.join(u'\n'), m_setup.places.operatorFile));
        m_problems->show();
    }
    m_comDevice->setEditText(m_com->overridden ? QString() : m_resolved[1].target);
    const QString target =
        m_lpt->overridden ? DefaultPortTarget(ChannelKind::Parallel) : m_resolved[0].target;
    const PrinterTarget printer = PrinterTarget::parse(target);
    switch (printer.kind()) {
    case PrinterTarget::Kind::Device:
        m_deviceChoice->setChecked(true);
        m_lptDevice->setEditText(target);
        break;
    case PrinterTarget::Kind::Queue:
        m_queueChoice->setChecked(true);
        m_wantedQueue = printer.queueName();
        break;
    case PrinterTarget::Kind::Network:
        m_networkChoice->setChecked(true);
        if (printer.valid()) {
            m_host->setText(printer.host());
            m_port->setValue(printer.port());
        }
        break;
    case PrinterTarget::Kind::Preview:
        m_previewChoice->setChecked(true);
        // A picture file stays the preview's: saving the dialog again keeps it.
        m_previewPicture = printer.filePath();
        if (!m_previewPicture.isEmpty())
            m_previewNote->setText(
                QStringLiteral("라벨을 인쇄하지 않고 그림 파일 %1에 그립니다.").arg(m_previewPicture));
        break;
    case PrinterTarget::Kind::File:
        m_fileChoice->setChecked(true);
        m_file->setText(target);
        break;
    }
}

void PrinterDialog::updateEnabled() {
    m_lptDevice->setEnabled(m_deviceChoice->isChecked());
    // Only a list of queues can be chosen from, not the note that there is none.
    m_queue->setEnabled(m_queueChoice->isChecked() && m_queue->itemData(0).isValid());
    m_host->setEnabled(m_networkChoice->isChecked());
    m_port->setEnabled(m_networkChoice->isChecked());
    m_file->setEnabled(m_fileChoice->isChecked());
    m_browse->setEnabled(m_fileChoice->isChecked());
}

void PrinterDialog::refresh() {
    FillDevices(m_lptDevice, FindPrinterDevices(m_setup.deviceFolder));
    FillDevices(m_comDevice, FindSerialDevices(m_setup.deviceFolder, m_setup.serialPorts));
    if (m_queueChoice->isChecked() && m_queue->currentIndex() >= 0)
        m_wantedQueue = m_queue->currentData().toString();
    m_queue->clear();
    m_queue->addItem(QStringLiteral("큐 목록을 읽는 중..."));
    updateEnabled();
    const CupsServerAddress server = m_setup.check.cups;
    RunInBackground<CupsQueueList>(
        this, [server] { return ListCupsQueues(server); },
        [this](const CupsQueueList& list) { fillQueues(list); });
}

void PrinterDialog::fillQueues(const CupsQueueList& list) {
    m_queue->clear();
    for (const CupsQueue& queue : list.queues) {
        const QString name = queue.isDefault ? QStringLiteral("%1 (기본)").arg(queue.name) : queue.name;
        m_queue->addItem(QStringLiteral("%1 — %2").arg(name, CupsQueueStateText(queue)), queue.name);
    }
    if (!list.failure.isEmpty())
        m_queue->setToolTip(list.failure);
    // A chosen queue the server does not list (now) stays chosen.
    if (!m_wantedQueue.isEmpty() && m_queue->findData(m_wantedQueue) < 0)
        m_queue->addItem(QStringLiteral("%1 — 서버 목록에 없음").arg(m_wantedQueue), m_wantedQueue);
    if (m_queue->count() == 0)
        m_queue->addItem(list.failure.isEmpty() ? QStringLiteral("CUPS 프린터 큐가 없습니다") : list.failure);
    else if (const int index = m_queue->findData(m_wantedQueue); index >= 0)
        m_queue->setCurrentIndex(index);
    updateEnabled();
    emit queuesListed();
}

QString PrinterDialog::chosenTarget(ChannelKind kind, QString* missing) const {
    QString target, lack;
    if (kind == ChannelKind::Serial) {
        target = DevicePath(m_comDevice);
        lack = QStringLiteral("COM1의 직렬 장치를 고르세요.");
    } else if (m_deviceChoice->isChecked()) {
        target = DevicePath(m_lptDevice);
        lack = QStringLiteral("LPT1의 프린터 장치를 고르세요.");
    } else if (m_queueChoice->isChecked()) {
        const QString queue = m_queue->currentData().toString();
        target = queue.isEmpty() ? QString() : PrinterTarget::queue(queue).text();
        lack = QStringLiteral("LPT1의 CUPS 프린터 큐를 고르세요.");
    } else if (m_networkChoice->isChecked()) {
        const QString host = m_host->text().trimmed();
        target = host.isEmpty() ? QString() : PrinterTarget::network(host, m_port->value()).text();
        lack = QStringLiteral("LPT1 네트워크 프린터의 주소를 넣으세요.");
    } else if (m_fileChoice->isChecked()) {
        target = m_file->text().trimmed();
        lack = QStringLiteral("LPT1로 쓸 파일을 고르세요.");
    } else if (m_previewChoice->isChecked()) {
        target = PrinterTarget::preview(m_previewPicture).text();
    }
    if (target.isEmpty() && missing)
        *missing = lack;
    return target;
}

void PrinterDialog::startCheck(ChannelKind kind) {
    PortControls& port = controls(kind);
    QString missing;
    const QString target = port.overridden ? port.overrideValue->text() : chosenTarget(kind, &missing);
    if (target.isEmpty()) {
        ShowResult(port.result, CheckResult::Failed, {missing});
        emit checkFinished(kind, CheckResult::Failed);
        return;
    }
    port.check->setEnabled(false);
    port.result->setStyleSheet(QString());
    port.result->setText(
        QStringLiteral("%1 확인하는 중...").arg(PortTargetName(kind, target, m_setup.framing)));
    const SerialFraming framing = m_setup.framing;
    const CheckOptions options = m_setup.check;
    RunInBackground<CheckResult>(
        this, [=] { return CheckPortTarget(kind, target, framing, options); },
        [this, kind](const CheckResult& result) {
            PortControls& done = controls(kind);
            done.check->setEnabled(true);
            ShowResult(done.result, result.verdict, result.lines);
            emit checkFinished(kind, result.verdict);
        });
}

void PrinterDialog::accept() {
    PrinterMapping mapping;
    try {
        // Lines the dialog showed as unreadable are dropped; the list's GLYPHS choice is kept.
        mapping = ReadPrinterMappingFile(m_setup.places.operatorFile).mapping;
        for (PortControls* port : {m_lpt.get(), m_com.get()}) {
            if (port->overridden)
                continue;
            QString missing;
            const QString target = chosenTarget(port->kind, &missing);
            if (target.isEmpty())
                throw Failure(missing);
            if (const QString problem = PortValueProblem(port->kind, target); !problem.isEmpty())
                throw Failure(QStringLiteral("%1: %2").arg(PortName(port->kind), problem));
            // A choice left as IT's file or the default has it stays theirs: it is not copied.
            const PortTarget& resolved = m_resolved[port->kind == ChannelKind::Parallel ? 0 : 1];
            const bool unchanged = target == resolved.target && resolved.source != TargetSource::OperatorFile;
            (port->kind == ChannelKind::Parallel ? mapping.lpt1 : mapping.com1) =
                unchanged ? QString() : target;
        }
        WritePrinterMapping(m_setup.places.operatorFile, mapping);
    } catch (const Failure& failure) {
        ShowFailure(this, failure.message());
        return;
    }
    QDialog::accept();
}

} // namespace hanlabel
