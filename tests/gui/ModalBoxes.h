#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTimer>

namespace hanlabel::test {

// One message box as the operator saw it.
struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton; // the one Enter presses
};

// Answers every modal message box that comes up while it lives, from a timer, and records it.
class ModalBoxes : public QObject {
  public:
    explicit ModalBoxes(QMessageBox::StandardButton answer = QMessageBox::Ok) : m_answer(answer) {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ModalBoxes::poll);
        m_timer.start();
    }
    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }
    QList<SeenBox> seen;

  private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == m_last)
            return;
        m_last = box;
        seen.append(
            {box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
             box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton});
        QAbstractButton* button = box->button(m_answer);
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().constFirst();
        if (button)
            button->click();
    }

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

} // namespace hanlabel::test
