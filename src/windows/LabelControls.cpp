#include "windows/LabelControls.h"

#include "core/Failure.h"
#include "core/Numeric.h"
#include "settings/SettingsFile.h"
#include "windows/FormKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace hanlabel {

namespace {

template <typename W> W* Placed(W* widget, const QString& name, int left, int top, int width, int height,
                                bool bold) {
    widget->setObjectName(name);
    widget->setFont(GulimFont(9, bold));
    PlaceTwips(widget, left, top, width, height);
    return widget;
}

// Password display with "*" and no delay before a typed character is masked.
class StarEchoStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

} // namespace

QLineEdit* MakeTextBox(QWidget* parent, const QString& name, int left, int top, int width, int height,
                       const QColor& colour) {
    auto* box = Placed(new QLineEdit(parent), name, left, top, width, height, false);
    box->setTextMargins(0, 0, 0, 0);
    SetBackground(box, colour);
    return box;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                  int height, bool bold) {
    auto* label = Placed(new QLabel(caption, parent), name, left, top, width, height, bold);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QRadioButton* MakeOption(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                         int width, int height, bool bold) {
    return Placed(new QRadioButton(caption, parent), name, left, top, width, height, bold);
}

QGroupBox* MakeFrame(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                     int height, bool bold) {
    return Placed(new QGroupBox(caption, parent), name, left, top, width, height, bold);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height) {
    auto* button = Placed(new QPushButton(caption, parent), name, left, top, width, height, false);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height, bool bold) {
    return Placed(new QCheckBox(caption, parent), name, left, top, width, height, bold);
}

QComboBox* MakePortCombo(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* combo = Placed(new QComboBox(parent), name, left, top, width, height, false);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems({QStringLiteral("COM1"), QStringLiteral("LPT1")});
    combo->setEditText(QStringLiteral("COM1"));
    SetBackground(combo, LightYellow);
    SetBackground(combo->lineEdit(), LightYellow);
    return combo;
}

QWidget* MakeBand(QWidget* parent, const QString& name, int left, int top, int width, int height,
                  const QColor& colour) {
    auto* band = Placed(new QWidget(parent), name, left, top, width, height, false);
    SetBackground(band, colour);
    band->setFocusPolicy(Qt::NoFocus);
    return band;
}

void SetTabOrder(const QList<QWidget*>& order) {
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void StepNumber(QLineEdit* box, double delta) {
    try {
        const double value = NumericParse(box->text()) + delta;
        if (!std::isfinite(value))
            throw Failure(QStringLiteral("숫자가 너무 큽니다 (overflow): %1").arg(box->text()));
        box->setText(NumberToText(value));
    } catch (const Failure& failure) {
        ShowFailure(box->window(), failure.message());
    }
}

void ApplyFramingCode(const QString& code, QRadioButton* option5, QRadioButton* option6) {
    const int option = FramingOptionFromCode(code);
    if (option == 5)
        option5->setChecked(true);
    else if (option == 6)
        option6->setChecked(true);
}

QStyle* MakeStarEchoStyle(QWidget* owner) {
    auto* style = new StarEchoStyle;
    style->setParent(owner);
    return style;
}

} // namespace hanlabel
