#pragma once

#include "ui/windows/LabelWindow.h"

#include "jobs/MemberCardJob.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace hanlabel {

// The member card window "회원증 바코드": affiliation, name and two-part member number of one
// member card, with the label origin (Text6, Text5) and the printer channel.
class main1frm : public LabelWindow {
    Q_OBJECT
  public:
    explicit main1frm(QWidget* parent = nullptr);
    ~main1frm() override;

    // Handlers of the controls' events; the exit button, the spin controls and Form_Load are
    // LabelWindow's, as are the controls both windows have.
    void Command1_Click() override;
    void Option3_Click();
    void q1_Click();
    void Check1_Click();
    void Text3_KeyUp();
    void Text4_KeyPress();
    // "명단 인쇄...": the list print dialog, with the channel, origin, star mask and affiliation
    // of the window as it stands.
    void listPrint_Click();

    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QCheckBox* Check1;
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Image2;
    QLabel* Image1;
    QWidget* Shape1;
    QLabel* Label7;
    QLabel* Label8;
    QAction* q1;
    QAction* listPrint; // "명단 인쇄...", the last command of the menu bar

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What the boxes give a member card job.
    MemberCardInputs jobInputs() const;
};

} // namespace hanlabel
