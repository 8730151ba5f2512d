#pragma once

#include "preview/ZplRenderer.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;

namespace hanlabel {

// What a preview window shows: a "미리보기" of the boxes (nothing sent), or a print that went to
// the preview window as its printer. Its title says which.
enum class PreviewShows { Preview, Print };

// The window of the virtual printer: the first label of one job at 203 dpi, zoomable, with the
// quantity, the serial numbering and the commands the picture does not show.
class PreviewWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PreviewWindow(const PreviewResult& result, QWidget* parent = nullptr,
                           PreviewShows shows = PreviewShows::Preview);

    // Screen pixels per printer dot.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    const QImage& label() const { return m_label; }
    // Shows another job in the same window, at the zoom the operator chose.
    void showResult(const PreviewResult& result, PreviewShows shows = PreviewShows::Preview);
    PreviewShows shows() const { return m_shows; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape closes the window.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The caption in words, and the ZPL details under it while "자세히" is checked.
    void showNotes();

    PreviewResult m_result;
    QImage m_label;
    double m_zoom = 1.0;
    PreviewShows m_shows = PreviewShows::Preview;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_zoomText = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QCheckBox* m_details = nullptr;
    QPushButton* m_zoomIn = nullptr;
    QPushButton* m_zoomOut = nullptr;
};

// Shows a job's picture in the owner's one preview window: made beside the owner for the first
// job, then updated and raised for each further one, without taking the focus from the owner.
// Without an owner, the one preview window that has none.
PreviewWindow* ShowPreview(QWidget* owner, const PreviewResult& result,
                           PreviewShows shows = PreviewShows::Preview);

// Closes the owner's preview window when it shows an earlier print: once the port prints elsewhere
// it would pass for a current one.
void ClosePrintedPreview(QWidget* owner);

} // namespace hanlabel
