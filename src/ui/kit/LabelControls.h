#pragma once

#include <QColor>
#include <QList>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStyle;
class QWidget;

namespace hanlabel {

// The controls the two label windows are built from, each placed at a twips rectangle of its
// parent, named (objectName) and set in "굴림" 9 pt.
QLineEdit* MakeTextBox(QWidget* parent, const QString& name, int left, int top, int width, int height,
                       const QColor& colour);
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                  int height, bool bold);
QRadioButton* MakeOption(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                         int width, int height, bool bold);
QGroupBox* MakeFrame(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                     int width, int height, bool bold);
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height);
QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height, bool bold);
// The port choice: editable, list "COM1" and "LPT1", text "COM1", light yellow.
QComboBox* MakePortCombo(QWidget* parent, const QString& name, int left, int top, int width, int height);
// A filled band (a shape control) in the given colour.
QWidget* MakeBand(QWidget* parent, const QString& name, int left, int top, int width, int height,
                  const QColor& colour);

// Colours of the entry boxes.
inline const QColor Pink(255, 192, 192);
inline const QColor LightGrey(224, 224, 224);
inline const QColor LightCyan(128, 255, 255);
inline const QColor LightYellow(255, 255, 128);
inline const QColor BannerBlue(0, 0, 255);

// Chains the focus order in the given sequence (the controls' tab indexes). Tabbing into a group
// of options lands on its selected option, as the keyboard order of option groups goes.
void SetTabOrder(const QList<QWidget*>& order);

// The spin step: the box's numeric value plus delta, written back as the shortest text
// ("-1", "13.5", "1"). A result beyond the double range is reported, the box is left as it was.
void StepNumber(QLineEdit* box, double delta);

// Applies line 2 of a channel settings file: "1" selects Option5, "2" Option6, anything else
// leaves the options as they are.
void ApplyFramingCode(const QString& code, QRadioButton* option5, QRadioButton* option6);

// Fills a label window's origin boxes and channel controls from its origin and channel settings
// files (two lines each). Throws Failure when a file is missing or too short.
void LoadOriginAndChannel(const QString& originFile, const QString& channelFile, QLineEdit* originX,
                          QLineEdit* originY, QComboBox* port, QRadioButton* option5, QRadioButton* option6);

// Asks "정말로 종료 하시겠습니까?" (Yes/No, no icon); true when the operator answered Yes.
bool ConfirmExit(QWidget* parent);

// A style for one text box that masks its password display with "*", whatever the platform's
// bullet. The caller owns it (give it a parent).
QStyle* MakeStarEchoStyle(QWidget* owner);

} // namespace hanlabel
