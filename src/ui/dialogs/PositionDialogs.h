#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hanlabel {

// What the two print position dialogs share: one box per layout line, save and close buttons.
// A dialog is discarded when it closes; the window manager keeps at most one of each.
class PositionDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads the layout file of the application folder into the boxes. Throws Failure.
    void Form_Load();
    // A print job's copy of the layout lines, in layout-line order.
    void setLayoutLines(const QStringList& lines);
    // The boxes' texts in layout-line order, as a save writes them.
    QStringList layoutLines() const;

    QPushButton* Command1 = nullptr; // "저장하기"
    QPushButton* Command2 = nullptr; // "종  료"

  public slots:
    // Writes the boxes to the layout file and confirms; a failed write is reported and nothing is lost.
    void Command1_Click();
    // Closes and discards the dialog without saving.
    void Command2_Click();

  protected:
    PositionDialog(const QString& objectName, const QString& caption, const QString& fileName,
                   int clientWidthTwips, int clientHeightTwips);
    // One row: its caption label sits 120 twips below the top of its box, which holds one line
    // (pasted text is kept up to its first line break).
    QLineEdit* addRow(QLabel*& label, const QString& labelName, const QString& caption,
                      const QString& boxName, int boxTop, int boxWidth, int boxHeight);
    QPushButton* addButton(const QString& name, const QString& caption, int left, int top, int width);
    // Box order of the layout file, line 1 first.
    void setLineOrder(const QList<QLineEdit*>& boxes) { m_lineOrder = boxes; }

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // What the confirmation adds about the lines just saved; nothing by default.
    virtual QString savedNote(const QStringList& lines) const;

  private:
    QString m_fileName;
    QList<QLineEdit*> m_lineOrder;
};

// The book label position dialog "위치 조정" over the five lines of DPOS.ini.
class defrm : public PositionDialog {
    Q_OBJECT
  public:
    defrm();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Text1 = nullptr; // line 3: fragment after "^XA"
    QLineEdit* Text2 = nullptr; // line 4: fragment in front of the first serial field
    QLineEdit* Text3 = nullptr; // line 5: fragment in front of the second serial field
    QLineEdit* Text4 = nullptr; // line 1: x of the label text
    QLineEdit* Text5 = nullptr; // line 2: y of the label text
};

// The member card position dialog "위치조정" over the seven lines of DPOS1.ini.
class de1frm : public PositionDialog {
    Q_OBJECT
  public:
    de1frm();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* Text1 = nullptr; // line n in Text n
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLineEdit* Text7 = nullptr;

  protected:
    // A barcode line that prints its interpretation line shows the number the stars hide.
    QString savedNote(const QStringList& lines) const override;
};

} // namespace hanlabel
