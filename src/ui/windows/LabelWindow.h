#pragma once

#include "core/Channel.h"
#include "jobs/LabelJob.h"

#include <QMainWindow>
#include <QRect>
#include <QScopeGuard>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

class QAction;
class QCloseEvent;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace hanlabel {

class DataControl;
class SendWithProgress;
class UpDown;

// What the book label window and the member card window share: a client area of 6990 x 4020
// twips under a menu bar of one action, the controls both have in the same place (kind choice,
// port, framing, print and exit buttons), the spin controls of the label origin, the glyph
// database control, the print guard and the requests to the window manager.
class LabelWindow : public QMainWindow {
    Q_OBJECT
  public:
    ~LabelWindow() override;

    // Binds the glyph database, selects the window's own kind and fills the origin boxes, the port
    // and the framing from the window's origin and channel settings files. Throws Failure when a
    // settings file is missing or too short.
    void Form_Load();

    // The print button: runs the window's job on its boxes and shows the outcome.
    virtual void Command1_Click() = 0;
    // "미리보기": composes the job the print button would, from the boxes and the layout file as they
    // stand, and shows it in the window's preview window; writes no settings file and sends nothing.
    void Preview_Click();
    // True from a press of the print button until its outcome has been shown; meanwhile the
    // window takes no input.
    bool isPrinting() const { return m_printing; }
    // The exit button: asks, and on Yes asks the window manager to end the program.
    void Command2_Click();
    // The spin controls: UpDown1 steps the origin's x box, UpDown2 its y box.
    void UpDown1_DownClick();
    void UpDown1_UpClick();
    void UpDown2_DownClick();
    void UpDown2_UpClick();

    // The framing the options select: Option5 "9600,E,7,1", else Option6 "9600,N,8,1".
    SerialFraming framing() const;

    // Says in the port box's tooltip where its text prints now ("LPT1 → cups:zebra").
    void updatePortTooltip();

    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option3 = nullptr; // the book label window
    QRadioButton* Option4 = nullptr; // the member card window
    QComboBox* Combo1 = nullptr;     // the port
    QGroupBox* Frame3 = nullptr;
    QRadioButton* Option5 = nullptr; // framing 9600,E,7,1
    QRadioButton* Option6 = nullptr; // framing 9600,N,8,1
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    UpDown* UpDown1 = nullptr;
    UpDown* UpDown2 = nullptr;
    DataControl* HangulDB = nullptr;
    QObject* MSComm1 = nullptr;
    QAction* printerSetup = nullptr; // "프린터 연결...", after the position command
    QAction* preview = nullptr;      // "미리보기", after the printer connection

  signals:
    void switchRequested();
    void positionDialogRequested();
    void printerDialogRequested();
    void exitRequested();
    void layoutLinesRead(const QStringList& lines);

  protected:
    LabelWindow(LabelKind kind, const QString& objectName, const QString& caption, QWidget* parent);

    // The area the controls are placed on, in twips.
    QWidget* client() const { return m_client; }

    // Makers of the controls both windows have in the same place; each window calls them in its
    // own creation order and keeps what they return in the members of the same name.
    QGroupBox* makeKindFrame();
    QRadioButton* makeKindOption(LabelKind kind);
    QComboBox* makePortCombo();
    QGroupBox* makeFramingFrame(bool boldCaption);
    QRadioButton* makeFramingOption(SerialFraming framing);
    QPushButton* makePrintButton();
    QPushButton* makeExitButton();

    // The last step of a window's constructor: adds the glyph database control at its (hidden)
    // place, MSComm1 and the menu bar with the window's own action and the printer connection, wires the
    // print and exit buttons and the spin controls to the origin boxes, and fixes the window's size. Returns
    // the action.
    QAction* finishForm(const QString& actionName, const QRect& dataControlTwips, QLineEdit* originX,
                        QLineEdit* originY);

    // A box whose text goes to the job, with the name the operator knows it by.
    struct JobBox {
        QWidget* box;
        QString name;
    };
    // Before a print: true when one of the window's own boxes, the origin boxes or the port box
    // holds half a character (a surrogate without its partner), which no job may get. Says so,
    // naming the box, and puts the focus there.
    bool holdsHalfCharacter(QList<JobBox> boxes);

    // Asks the window manager for the other label window. Should the switch not happen, the window
    // keeps showing its own kind selected.
    void requestSwitch();

    // Runs a job on the inputs, one at a time: a press while a job runs is ignored. The job
    // composes here and is done; a composed order is sent on a worker while the window takes no
    // input, and its result comes back here. Shows what every outcome carries, then hands an
    // outcome that is neither a failure nor a rejected origin to the window's own part, still
    // within the guard.
    template <typename Job, typename Inputs, typename OwnPart> void print(Inputs inputs, OwnPart ownPart) {
        if (m_printing)
            return;
        m_printing = true;
        auto done = qScopeGuard([this] { m_printing = false; });
        auto out = Job(std::move(inputs), jobEnvironment()).compose();
        const auto report = [this, ownPart](const decltype(out)& outcome) {
            if (showOutcome(outcome))
                ownPart(outcome);
        };
        if (out.status != JobStatus::Composed || m_jobMode == JobMode::ComposeOnly) {
            if (out.status == JobStatus::Composed)
                showComposed(out.order);
            report(out);
            return;
        }
        done.dismiss();
        const SendOrder order = std::exchange(out.order, {});
        send(order, [out, report](const SendResult& sent) mutable {
            SendEnded(out, sent);
            report(out);
        });
    }

    // A window that is printing stays open.
    void closeEvent(QCloseEvent* event) override;
    // A key or a click anywhere in the window is the next action: the status line clears.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // What every label job takes from the window: port, framing, origin and the origin boxes' names.
    LabelJobInputs labelInputs() const;

    // A job's environment: the application folder and the bound glyph database.
    JobEnvironment jobEnvironment() const;

  private:
    // Sends a composed job on a worker with the progress box up and the window's input held
    // back; `report` gets the send's result once it is back on this thread.
    void send(const SendOrder& order, std::function<void(const SendResult&)> report);
    // A job composed for the preview: its picture in the window's preview window.
    void showComposed(const SendOrder& order);
    // The send's result: closes the box, shows a "preview:" job's picture in the window's preview
    // window, reports, and gives the window its input back.
    void sendFinished(const SendResult& result);
    // The origin as the job saved and read it back, the layout lines for the position dialog, and a
    // failure or a rejected origin box in a message box (focus to that box); false after either.
    bool showOutcome(const LabelJobOutcome& out);
    // Option3 in the book label window, Option4 in the member card window.
    QRadioButton* ownKindOption() const;

    LabelKind m_kind;
    QWidget* m_client;
    QLineEdit* m_originX = nullptr;
    QLineEdit* m_originY = nullptr;
    bool m_printing = false;
    // ComposeOnly while "미리보기" runs the print button's job.
    JobMode m_jobMode = JobMode::Print;
    // While a composed job is sent: the worker, its box, what reports its result, and the
    // filter that holds back the window's input.
    std::unique_ptr<SendWithProgress> m_send;
    std::optional<SendOrder> m_sending; // the order on its way, until its outcome is shown
    std::function<void(const SendResult&)> m_report;
    std::unique_ptr<QObject> m_inputHold;
};

} // namespace hanlabel
