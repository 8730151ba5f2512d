#pragma once

#include <QMainWindow>
#include <QStringList>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace hanlabel {

class DataControl;
class UpDown;

// The member card window "회원증 바코드": affiliation, name and two-part member number of one
// member card, with the label origin and the printer channel.
class main1frm : public QMainWindow {
    Q_OBJECT
  public:
    explicit main1frm(QWidget* parent = nullptr);
    ~main1frm() override;

    // Binds the glyph database, selects Option4 and fills origin and channel from position1.ini
    // and OH1.ini. Throws Failure when a settings file is missing or too short.
    void Form_Load();

    // Handlers of the controls' events.
    void Command1_Click();
    void Command2_Click();
    void Option3_Click();
    void q1_Click();
    void Check1_Click();
    void Text3_KeyUp();
    void Text4_KeyPress();
    void UpDown1_DownClick();
    void UpDown1_UpClick();
    void UpDown2_DownClick();
    void UpDown2_UpClick();

    QGroupBox* Frame2;
    QRadioButton* Option4;
    QRadioButton* Option3;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QPushButton* Command1;
    QPushButton* Command2;
    QCheckBox* Check1;
    QLineEdit* Text5;
    QLineEdit* Text6;
    UpDown* UpDown1;
    UpDown* UpDown2;
    QComboBox* Combo1;
    QGroupBox* Frame3;
    QRadioButton* Option6;
    QRadioButton* Option5;
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
    DataControl* HangulDB;
    QObject* MSComm1;
    QAction* q1;

  signals:
    void switchRequested();
    void positionDialogRequested();
    void exitRequested();
    void layoutLinesRead(const QStringList& lines);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool m_printing = false;
};

} // namespace hanlabel
