#pragma once

#include "printers/ConnectionCheck.h"
#include "printers/PrinterDevices.h"
#include "printers/PrinterMapping.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace hanlabel {

// What the printer connection dialog works on; the defaults are the real machine, tests give
// temporary files, a device tree of their own and their private CUPS server.
struct PrinterDialogSetup {
    MappingPlaces places = DefaultMappingPlaces();
    QString deviceFolder = QStringLiteral("/dev");
    QList<KnownSerialPort> serialPorts = SystemSerialPorts();
    SerialFraming framing = SerialFraming::None8; // the label window's 통신설정, for the serial check
    CheckOptions check;
};

// "프린터 연결": where the port box's "LPT1" and "COM1" print. LPT1 goes to a detected USB or
// parallel printer, a CUPS queue, a network printer, a file or the preview window; COM1 to a
// serial device. "연결 확인" checks a choice without printing; 확인 saves both in the operator's
// mapping file, which the next print reads. A port that an environment variable decides is shown
// read-only.
class PrinterDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PrinterDialog(PrinterDialogSetup setup, QWidget* parent = nullptr);
    ~PrinterDialog() override;

    // The target the choices of a port make now; empty with a reason when one is incomplete.
    QString chosenTarget(ChannelKind kind, QString* missing = nullptr) const;

    // Saves the choices and closes; a choice that is incomplete or a file that cannot be written
    // is reported and the dialog stays open.
    void accept() override;

    // Scans the device folder and asks the CUPS server for its queues again.
    void refresh();

  signals:
    // A check's result is on screen.
    void checkFinished(ChannelKind kind, int verdict);
    // The CUPS queue list has been filled.
    void queuesListed();

  private:
    struct PortControls;
    void buildParallel(QGroupBox* group);
    void buildSerial(QGroupBox* group);
    // Lays out a port's group: the note and value of an overriding variable, its choices, a
    // further line if any, and the check button beside its result.
    void layOutPort(PortControls& port, QGroupBox* group, QWidget* choices, QWidget* extra);
    void showOverride(PortControls& port, const PortTarget& target);
    void loadChoices();
    void updateEnabled();
    void startCheck(ChannelKind kind);
    void fillQueues(const CupsQueueList& list);
    PortControls& controls(ChannelKind kind) const;

    PrinterDialogSetup m_setup;
    PortTarget m_resolved[2];
    QString m_wantedQueue;
    QString m_previewPicture; // the picture file of a preview target that has one

    QRadioButton* m_deviceChoice = nullptr;
    QRadioButton* m_queueChoice = nullptr;
    QRadioButton* m_networkChoice = nullptr;
    QRadioButton* m_fileChoice = nullptr;
    QRadioButton* m_previewChoice = nullptr;
    QComboBox* m_lptDevice = nullptr;
    QComboBox* m_queue = nullptr;
    QLineEdit* m_host = nullptr;
    QSpinBox* m_port = nullptr;
    QLineEdit* m_file = nullptr;
    QPushButton* m_browse = nullptr;
    QLabel* m_previewNote = nullptr;
    QLabel* m_problems = nullptr;
    QComboBox* m_comDevice = nullptr;
    std::unique_ptr<PortControls> m_lpt;
    std::unique_ptr<PortControls> m_com;
};

} // namespace hanlabel
