#pragma once

#include <QMainWindow>
#include <QStringList>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace hanlabel {

class DataControl;
class UpDown;

// The book label window "도서 바코드": label text, first serial number, numbering order and
// quantity of a run of book labels, with the label origin and the printer channel.
class mainfrm : public QMainWindow {
    Q_OBJECT
  public:
    explicit mainfrm(QWidget* parent = nullptr);
    ~mainfrm() override;

    // Binds the glyph database and fills origin and channel from position.ini and OH.ini.
    // Throws Failure when a settings file is missing or too short.
    void Form_Load();

    // Handlers of the controls' events.
    void Command1_Click();
    void Command2_Click();
    void Option4_Click();
    void p2_Click();
    void Text2_KeyPress(int keyAscii);
    void Text5_KeyPress(int keyAscii);
    void UpDown1_DownClick();
    void UpDown1_UpClick();
    void UpDown2_DownClick();
    void UpDown2_UpClick();

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
    UpDown* UpDown1;
    QLabel* Label2;
    QLineEdit* Text4;
    UpDown* UpDown2;
    QGroupBox* Frame2;
    QRadioButton* Option3;
    QRadioButton* Option4;
    QComboBox* Combo1;
    QGroupBox* Frame3;
    QRadioButton* Option5;
    QRadioButton* Option6;
    QPushButton* Command1;
    QPushButton* Command2;
    QWidget* Shape1;
    QLabel* Label4;
    DataControl* HangulDB;
    QObject* MSComm1;
    QAction* p2;

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
