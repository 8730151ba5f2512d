#pragma once

#include <QTimer>
#include <QWidget>

namespace hanlabel {

// A small spin control of two stacked arrow buttons. It keeps no value of its own: the window
// reacts to UpClick and DownClick. Holding an arrow repeats the click.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    explicit UpDown(QWidget* parent = nullptr);

  signals:
    void UpClick();
    void DownClick();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class Part { None, Up, Down };
    QRect partRect(Part part) const;
    void fire(Part part);
    void release();

    Part m_pressed = Part::None;
    QTimer m_repeat;
};

} // namespace hanlabel
