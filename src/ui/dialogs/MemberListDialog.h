#pragma once

#include "jobs/MemberCardJob.h"
#include "lists/ListCompose.h"
#include "lists/MemberList.h"
#include "lists/SentMarks.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace hanlabel {

class SendWithProgress;

// "명단 인쇄": the member cards of a CSV list. The rows in a table (line, affiliation, name, member
// number, status), the picture of the selected row's card, "인쇄" for the ready rows and
// "이어서 인쇄" from the first card not sent. Port, framing, origin and star mask are the member
// card window's as it stood when the dialog opened; a print writes its settings files once, as the
// card job does, composes every card first and sends the list as one job with the "인쇄 중" box.
// The cards handed whole to the channel are marked "보냄" in the marks file beside the list.
class MemberListDialog : public QDialog {
    Q_OBJECT
  public:
    // `window`: the member card window's inputs (its affiliation for a list without one).
    MemberListDialog(MemberCardInputs window, JobEnvironment env, QWidget* parent = nullptr);
    ~MemberListDialog() override;

    // Reads the list and its marks and shows the rows; a list or marks file that cannot be read
    // is reported and leaves no list open. Returns whether the list is open.
    bool openList(const QString& path);
    // "명단 열기...": the file chooser, then openList.
    void chooseList();
    // "인쇄": the ready rows; rows already sent only when the operator asks for them again.
    void printReady();
    // "이어서 인쇄": the ready rows from the first card not sent on, none sent twice.
    void printRest();

    const MemberList& list() const { return m_list; }
    bool isPrinting() const { return m_send != nullptr; }

    // Closes, unless a list is being sent.
    void reject() override;

  signals:
    // A print's outcome is on screen (sent, failed or cancelled, and the marks saved).
    void printFinished();

  private:
    void printRows(const RowSelection& selection);
    void sendFinished(const SendResult& result);
    void showRows();
    void showSelectedCard();
    void updateButtons();

    MemberCardInputs m_window;
    JobEnvironment m_env;
    QString m_path;
    MemberList m_list;
    SentMarks m_marks;
    bool m_open = false;

    // While a list is sent: its cards and the send.
    ComposedList m_composed;
    std::unique_ptr<SendWithProgress> m_send;

    QLineEdit* m_pathBox = nullptr;
    QPushButton* m_choose = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace hanlabel
