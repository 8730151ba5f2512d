#pragma once

#include <QColor>
#include <QList>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPixmap;
class QPushButton;
class QRadioButton;
class QStyle;
class QWidget;

namespace hanlabel {

class UpDown;

// The controls the two label windows are built from, each placed at a twips rectangle of its
// parent and named (objectName); all but the spin control are set in "굴림" 9 pt. Text boxes hold
// one line: pasted or dropped text is kept up to its first line break.
QLineEdit* MakeTextBox(QWidget* parent, const QString& name, int left, int top, int width, int height,
                       const QColor& colour);
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                  int height, bool bold);
// A label that shows a picture scaled to its rectangle.
QLabel* MakePicture(QWidget* parent, const QString& name, const QPixmap& picture, int left, int top,
                    int width, int height);
QRadioButton* MakeOption(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                         int width, int height, bool bold);
QGroupBox* MakeFrame(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                     int width, int height, bool bold);
// A push button that Return, the keypad's Enter and the space bar press while it has the focus.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height);
QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height, bool bold);
// The port choice: editable, list "COM1" and "LPT1", text "COM1", light yellow. Its text stays
// exactly as typed or set (no completion) and holds no line break.
QComboBox* MakePortCombo(QWidget* parent, const QString& name, int left, int top, int width, int height);
// A spin control; it takes the font of its parent.
UpDown* MakeSpin(QWidget* parent, const QString& name, int left, int top, int width, int height);
// A filled band (a shape control) in the given colour.
QWidget* MakeBand(QWidget* parent, const QString& name, int left, int top, int width, int height,
                  const QColor& colour);

// Colours of the entry boxes.
inline const QColor Pink(255, 192, 192);
inline const QColor LightGrey(224, 224, 224);
inline const QColor LightCyan(128, 255, 255);
inline const QColor LightYellow(255, 255, 128);
inline const QColor BannerBlue(0, 0, 255);

// Chains the focus order in the given sequence (the controls' tab indexes). The options of each
// frame form one tab stop, entered at the selected option from either side; the arrow keys move
// the selection round the group.
void SetTabOrder(const QList<QWidget*>& order);

// A style for one text box that masks its password display with "*", whatever the platform's
// bullet. The caller owns it (give it a parent).
QStyle* MakeStarEchoStyle(QWidget* owner);

} // namespace hanlabel
