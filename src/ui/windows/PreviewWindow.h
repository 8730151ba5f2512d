#pragma once

#include "preview/ZplRenderer.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace hanlabel {

// The window of the virtual printer: the first label of one job at 203 dpi, zoomable, with the
// quantity, the serial numbering and the commands the picture does not show.
class PreviewWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PreviewWindow(const PreviewResult& result, QWidget* parent = nullptr);

    // Screen pixels per printer dot.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    const QImage& label() const { return m_label; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QImage m_label;
    double m_zoom = 1.0;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_zoomText = nullptr;
    QPushButton* m_zoomIn = nullptr;
    QPushButton* m_zoomOut = nullptr;
};

// Registers the preview window as the engine's presenter: every "preview:" job opens one.
void InstallPreviewWindow();

} // namespace hanlabel
