#include "ui/kit/ControlFactory.h"

#include "ui/kit/FormKit.h"
#include "ui/kit/Keys.h"
#include "ui/kit/OneLineText.h"
#include "ui/kit/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <qdrawutil.h>

namespace hanlabel {

namespace {

template <typename W>
W* Placed(W* widget, const QString& name, int left, int top, int width, int height, bool bold) {
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

// The option and check box indicators at 12 pixels, so that they fit the low option rows.
class FormStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        switch (metric) {
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
            return 12;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

// The window's one FormStyle, created on first use.
QStyle* WindowFormStyle(QWidget* control) {
    QWidget* window = control->window();
    auto* style = window->findChild<FormStyle*>(QString(), Qt::FindDirectChildrenOnly);
    if (!style) {
        style = new FormStyle;
        style->setParent(window);
    }
    return style;
}

// An option or check box drawn with the window's small indicators.
template <typename Button> Button* WithFormIndicator(Button* button) {
    button->setStyle(WindowFormStyle(button->parentWidget()));
    return button;
}

// A frame whose border runs through the middle of its caption, the caption on a gap in the line.
class FormFrame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = title().isEmpty() ? 0 : metrics.height() / 2;
        // An etched line, drawn here because styles place their own group box frame below the title.
        qDrawShadeRect(&painter, rect().adjusted(0, top, 0, 0), palette(), true, 1, 0);
        if (title().isEmpty())
            return;
        const QRect caption(6, 0, metrics.horizontalAdvance(title()) + 6, metrics.height());
        painter.fillRect(caption, palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(caption, Qt::AlignCenter, title());
    }
};

// The options of one frame as one tab stop, as on Windows: Tab and Shift+Tab reach only the
// selected option (the first one while none is), and the arrow keys move the selection round the
// group. The unselected options still take the focus from a click.
class OptionGroup : public QObject {
  public:
    OptionGroup(const QList<QRadioButton*>& options, QObject* parent) : QObject(parent), m_options(options) {
        for (QRadioButton* option : m_options) {
            option->installEventFilter(this);
            connect(option, &QAbstractButton::toggled, this, &OptionGroup::placeTabStop);
        }
        placeTabStop();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        int step = 0;
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Right)
            step = 1;
        else if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Left)
            step = -1;
        const qsizetype at = m_options.indexOf(static_cast<QRadioButton*>(watched));
        if (step == 0 || at < 0)
            return false;
        const qsizetype count = m_options.size();
        QRadioButton* next = m_options[(at + step + count) % count];
        // Focus first: the click may close the window (the window-switch options).
        next->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        next->click();
        return true;
    }

  private:
    // Only the selected option, or the first while none is selected, takes the focus from Tab.
    void placeTabStop() {
        QRadioButton* stop = m_options.constFirst();
        for (QRadioButton* option : m_options)
            if (option->isChecked())
                stop = option;
        for (QRadioButton* option : m_options)
            option->setFocusPolicy(option == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }

    QList<QRadioButton*> m_options;
};

// A push button that Return and the keypad's Enter press while it has the focus, as on Windows;
// the space bar still presses it too. A held Enter presses it once.
class FormButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!IsEnterKey(*event)) {
            QPushButton::keyPressEvent(event);
            return;
        }
        event->accept();
        if (!event->isAutoRepeat())
            click();
    }
};

} // namespace

QLineEdit* MakeTextBox(QWidget* parent, const QString& name, int left, int top, int width, int height,
                       const QColor& colour) {
    auto* box = Placed(new QLineEdit(parent), name, left, top, width, height, false);
    box->setTextMargins(0, 0, 0, 0);
    MakeOneLine(box, PastedBreaks::KeepFirstLine);
    SetBackground(box, colour);
    return box;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                  int height, bool bold) {
    auto* label = Placed(new QLabel(caption, parent), name, left, top, width, height, bold);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* MakePicture(QWidget* parent, const QString& name, const QPixmap& picture, int left, int top,
                    int width, int height) {
    auto* label = MakeLabel(parent, name, QString(), left, top, width, height, false);
    label->setPixmap(picture);
    label->setScaledContents(true);
    return label;
}

QRadioButton* MakeOption(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                         int width, int height, bool bold) {
    return WithFormIndicator(Placed(new QRadioButton(caption, parent), name, left, top, width, height, bold));
}

QGroupBox* MakeFrame(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                     int width, int height, bool bold) {
    return Placed(new FormFrame(caption, parent), name, left, top, width, height, bold);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height) {
    auto* button = Placed(new FormButton(caption, parent), name, left, top, width, height, false);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height, bool bold) {
    return WithFormIndicator(Placed(new QCheckBox(caption, parent), name, left, top, width, height, bold));
}

QComboBox* MakePortCombo(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* combo = Placed(new QComboBox(parent), name, left, top, width, height, false);
    combo->setEditable(true);
    // The text stays as typed or loaded: no completion, no case change on leaving the box, and
    // nothing typed is added to the list.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    MakeOneLine(combo->lineEdit(), PastedBreaks::KeepFirstLine);
    combo->addItems({QStringLiteral("COM1"), QStringLiteral("LPT1")});
    combo->setEditText(QStringLiteral("COM1"));
    SetBackground(combo, LightYellow);
    SetBackground(combo->lineEdit(), LightYellow);
    return combo;
}

UpDown* MakeSpin(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* spin = new UpDown(parent);
    spin->setObjectName(name);
    PlaceTwips(spin, left, top, width, height);
    return spin;
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
    // The options of each frame, in tab order, form one group.
    QList<QWidget*> frames;
    QList<QList<QRadioButton*>> groups;
    for (QWidget* widget : order)
        if (auto* option = qobject_cast<QRadioButton*>(widget)) {
            const qsizetype at = frames.indexOf(option->parentWidget());
            if (at >= 0) {
                groups[at] << option;
            } else {
                frames << option->parentWidget();
                groups << QList<QRadioButton*>{option};
            }
        }
    for (qsizetype i = 0; i < frames.size(); ++i)
        new OptionGroup(groups[i], frames[i]);
}

QStyle* MakeStarEchoStyle(QWidget* owner) {
    auto* style = new StarEchoStyle;
    style->setParent(owner);
    return style;
}

} // namespace hanlabel
