#include "ui/kit/FormKit.h"

#include <QFontDatabase>
#include <QWidget>

namespace hanlabel {

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsRect(left, top, width, height));
}

QFont GulimFont(double pointSize, bool bold) {
    QFont font(QStringLiteral("굴림"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void InstallKoreanFontSubstitutions() {
    const QStringList families = QFontDatabase::families();
    QStringList korean;
    for (const QString& candidate :
         {QStringLiteral("Gulim"), QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic"),
          QStringLiteral("Noto Sans CJK KR"), QStringLiteral("UnDotum"), QStringLiteral("Malgun Gothic")})
        if (families.contains(candidate, Qt::CaseInsensitive))
            korean << candidate;
    if (korean.isEmpty())
        for (const QString& family : families)
            if (QFontDatabase::writingSystems(family).contains(QFontDatabase::Korean))
                korean << family;
    if (korean.isEmpty())
        return;
    QFont::insertSubstitutions(QStringLiteral("굴림"), korean);
    QFont::insertSubstitutions(QStringLiteral("Gulim"), korean);
}

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text, const QString& title,
                                        QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    box.setWindowModality(Qt::ApplicationModal);
    return QMessageBox::StandardButton(box.exec());
}

void ShowFailure(QWidget* parent, const QString& message) {
    ShowMessage(parent, message, QStringLiteral("오류"), QMessageBox::Critical);
}

} // namespace hanlabel
