#pragma once

#include <QColor>
#include <QFont>
#include <QMessageBox>
#include <QRect>
#include <QString>

class QWidget;

namespace hanlabel {

// The look of forms and dialogs: twips geometry, fonts, colours and message boxes.

// Form geometry is given in twips; one pixel (Qt's device-independent pixel) is 15 twips.
constexpr int TwipsToPixels(int twips) { return (twips >= 0 ? twips + 7 : twips - 7) / 15; }
QRect TwipsRect(int left, int top, int width, int height);

// Places a control at a twips rectangle of its parent's client area.
void PlaceTwips(QWidget* widget, int left, int top, int width, int height);

// "굴림" at the given size; on systems without Gulim it resolves to an installed Korean font.
QFont GulimFont(double pointSize, bool bold = false);

// Makes "굴림"/"Gulim" resolve to an installed Korean font (NanumGothic on Linux). Call once.
void InstallKoreanFontSubstitutions();

// Sets a plain background colour on a control (text boxes, labels, frames).
void SetBackground(QWidget* widget, const QColor& colour);

// Sets the colour of a control's text.
void SetTextColour(QWidget* widget, const QColor& colour);

// A modal message box with exactly the given text, title, icon and buttons; returns the button.
QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text, const QString& title,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The stop-icon box that reports a failed job, load or save.
void ShowFailure(QWidget* parent, const QString& message);

} // namespace hanlabel
