#include "ui/kit/UpDown.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace hanlabel {

namespace {
constexpr int RepeatDelayMs = 500;
constexpr int RepeatIntervalMs = 100;
} // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::TabFocus);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(RepeatIntervalMs);
        fire(m_pressed);
    });
}

// Ends a press: no more repeats, the arrow drawn raised again.
void UpDown::release() {
    m_repeat.stop();
    m_pressed = Part::None;
    update();
}

// A message box that a click brings up takes the mouse with it: the press ends there, since
// its release will not come back here.
bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowBlocked && m_pressed != Part::None)
        release();
    return QWidget::eventFilter(watched, event);
}

// The upper half is the up arrow, the lower half the down arrow.
QRect UpDown::partRect(Part part) const {
    const int half = height() / 2;
    if (part == Part::Up)
        return QRect(0, 0, width(), half);
    return QRect(0, half, width(), height() - half);
}

void UpDown::fire(Part part) {
    if (part == Part::Up)
        emit UpClick();
    else if (part == Part::Down)
        emit DownClick();
}

void UpDown::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (Part part : {Part::Up, Part::Down}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = partRect(part);
        button.state |= m_pressed == part ? QStyle::State_Sunken : QStyle::State_Raised;
        button.state &= ~QStyle::State_HasFocus;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);

        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = button.rect.adjusted(3, 2, -3, -2);
        if (m_pressed == part)
            arrow.rect.translate(1, 1);
        style()->drawPrimitive(part == Part::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &arrow, &painter, this);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void UpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressed = partRect(Part::Up).contains(event->position().toPoint()) ? Part::Up : Part::Down;
    update();
    window()->installEventFilter(this);
    fire(m_pressed);
    if (m_pressed != Part::None)
        m_repeat.start(RepeatDelayMs);
}

void UpDown::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    release();
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up)
        fire(Part::Up);
    else if (event->key() == Qt::Key_Down)
        fire(Part::Down);
    else
        QWidget::keyPressEvent(event);
}

} // namespace hanlabel
