#pragma once

#include "ui/windows/LabelWindow.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace hanlabel {

// The book label window "도서 바코드": label text, first serial number, numbering order and
// quantity of a run of book labels, with the label origin (Text3, Text4) and the printer channel.
class mainfrm : public LabelWindow {
    Q_OBJECT
  public:
    explicit mainfrm(QWidget* parent = nullptr);
    ~mainfrm() override;

    // Handlers of the controls' events; the exit button, the spin controls and Form_Load are
    // LabelWindow's, as are the controls both windows have.
    void Command1_Click() override;
    void Option4_Click();
    void p2_Click();
    void Text2_KeyPress(int keyAscii);
    void Text5_KeyPress(int keyAscii);

    QLineEdit* Text1;
    QLabel* Image1;
    QLineEdit* Text2;
    QGroupBox* Frame1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QLabel* Label3;
    QLineEdit* Text5;
    QLabel* Label1;
    QLineEdit* Text3;
    QLabel* Label2;
    QLineEdit* Text4;
    QWidget* Shape1;
    QLabel* Label4;
    QAction* p2;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace hanlabel
