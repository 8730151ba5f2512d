#pragma once

#include "jobs/MemberCardJob.h"
#include "lists/ListCompose.h"
#include "lists/MemberList.h"
#include "lists/SentMarks.h"

#include <QDialog>

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace hanlabel {

class CardSendJob;
class ListProgress;
class ListRun;
class ListRowsModel;

// "명단 인쇄": the member cards of a CSV list. The rows in a table (line, affiliation, name, member
// number, status), the picture of the selected row's card, "인쇄" for the ready rows and
// "이어서 인쇄" from the first card not sent. Port, framing, origin and star mask are the member
// card window's as it stood when the dialog opened; a print writes its settings files once, as the
// card job does, composes every card first and sends the list card by card under the list's lock
// with the list's "인쇄 중" box ("이 카드 다음에 멈춤", "취소"). Each card is marked "보냄" in the marks
// file beside the list as it reaches the printer. The list is read on a worker, so a large one
// never holds up the window.
class MemberListDialog : public QDialog {
    Q_OBJECT
  public:
    // `window`: the member card window's inputs (its affiliation for a list without one).
    MemberListDialog(MemberCardInputs window, JobEnvironment env, QWidget* parent = nullptr);
    ~MemberListDialog() override;

    // Reads the list and its marks (on a worker; the window keeps running meanwhile) and shows
    // the rows; a list or marks file that cannot be read is reported and leaves no list open.
    // Returns whether the list is open.
    bool openList(const QString& path);
    // "명단 열기...": the file chooser, then openList.
    void chooseList();
    // "열 지정...": which columns hold the name, the member number and the affiliation, written as
    // hanlabel-batch's --columns takes it; empty for the header's. The list is read again.
    void chooseColumns();
    bool setColumns(const QString& mapping);
    // "인쇄": the ready rows; rows already sent only when the operator asks for them again.
    void printReady();
    // "이어서 인쇄": the ready rows from the first card not sent on, none sent twice.
    void printRest();

    const MemberList& list() const { return m_list; }
    bool isPrinting() const { return m_job != nullptr; }

    // Closes, unless a list is being sent.
    void reject() override;

  signals:
    // A print's outcome is on screen (sent, stopped, failed or cancelled, and the marks saved).
    void printFinished();

  private:
    void printRows(RowSelection selection);
    void sendFinished(bool ok, const QString& message);
    void showRows();
    void showSelectedCard();
    void updateButtons();

    MemberCardInputs m_window;
    JobEnvironment m_env;
    QString m_path;
    std::optional<ColumnMap> m_columns;
    QString m_columnsText;
    MemberList m_list;
    SentMarks m_marks;
    bool m_open = false;
    bool m_reading = false;

    // While a list is sent: its run (lock, journal), the send and its box.
    std::unique_ptr<ListRun> m_run;
    std::unique_ptr<CardSendJob> m_job;
    std::unique_ptr<ListProgress> m_progress;
    QList<int> m_cardRows;

    QLineEdit* m_pathBox = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_columnsButton = nullptr;
    QTableView* m_table = nullptr;
    ListRowsModel* m_model = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace hanlabel
