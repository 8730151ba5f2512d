#include "ui/windows/PreviewWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace hanlabel {

namespace {

constexpr double kMinZoom = 0.25;
constexpr double kMaxZoom = 8.0;
constexpr double kZoomStep = 1.25;

// The label on a grey desk with a thin frame, so its edges show on screen.
QPixmap Framed(const QImage& label, double zoom) {
    const QSize size(std::max(1, int(std::lround(label.width() * zoom))),
                     std::max(1, int(std::lround(label.height() * zoom))));
    // Dots stay sharp squares when enlarged; a reduced label is smoothed so thin bars do not vanish.
    const QImage scaled = label.scaled(size, Qt::IgnoreAspectRatio,
                                       zoom >= 1.0 ? Qt::FastTransformation : Qt::SmoothTransformation);
    QPixmap pixmap(size + QSize(2, 2));
    pixmap.fill(QColor(0x90, 0x90, 0x90));
    QPainter p(&pixmap);
    p.drawImage(QPoint(1, 1), scaled);
    return pixmap;
}

} // namespace

PreviewWindow::PreviewWindow(const PreviewResult& result, QWidget* parent, PreviewShows shows)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("PreviewWindow"));
    // The label window keeps the focus: the operator types the next label there.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_zoomOut = new QPushButton(QStringLiteral("축소 (-)"), this);
    m_zoomOut->setObjectName(QStringLiteral("zoomOut"));
    m_zoomIn = new QPushButton(QStringLiteral("확대 (+)"), this);
    m_zoomIn->setObjectName(QStringLiteral("zoomIn"));
    auto* actual = new QPushButton(QStringLiteral("1 도트 = 1 화소"), this);
    actual->setObjectName(QStringLiteral("zoomActual"));
    m_zoomText = new QLabel(this);
    m_zoomText->setObjectName(QStringLiteral("zoomText"));
    m_zoomOut->setShortcut(QKeySequence::ZoomOut);
    m_zoomIn->setShortcut(QKeySequence::ZoomIn);
    connect(m_zoomOut, &QPushButton::clicked, this, [this] { setZoom(m_zoom / kZoomStep); });
    connect(m_zoomIn, &QPushButton::clicked, this, [this] { setZoom(m_zoom * kZoomStep); });
    connect(actual, &QPushButton::clicked, this, [this] { setZoom(1.0); });

    m_picture = new QLabel;
    m_picture->setObjectName(QStringLiteral("previewImage"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("previewScroll"));
    m_scroll->setWidget(m_picture);
    m_scroll->setWidgetResizable(true);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->viewport()->installEventFilter(this);

    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("previewNotes"));
    m_notes->setReadOnly(true);
    m_notes->setMaximumHeight(m_notes->fontMetrics().lineSpacing() * 7 + 12);
    m_details = new QCheckBox(QStringLiteral("자세히"), this);
    m_details->setObjectName(QStringLiteral("previewDetails"));
    connect(m_details, &QCheckBox::toggled, this, [this] { showNotes(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_zoomOut);
    buttons->addWidget(m_zoomIn);
    buttons->addWidget(actual);
    buttons->addWidget(m_zoomText);
    buttons->addStretch();
    buttons->addWidget(m_details);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_notes);
    showResult(result, shows);

    // Start with the whole label in view on this screen, never enlarged beyond a dot a pixel, so
    // that the window fits beside the label window.
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    const double fit = std::min((screen.width() * 0.8) / std::max(1, m_label.width()),
                                (screen.height() * 0.55) / std::max(1, m_label.height()));
    setZoom(std::clamp(fit, kMinZoom, 1.0));
    resize(std::min(int(screen.width() * 0.9), int(m_label.width() * m_zoom) + 60),
           std::min(int(screen.height() * 0.9), int(m_label.height() * m_zoom) + 260));
}

void PreviewWindow::showResult(const PreviewResult& result, PreviewShows shows) {
    m_result = result;
    // The member card window's jobs are member cards to the operator.
    if (parentWidget() && parentWidget()->objectName() == QStringLiteral("main1frm"))
        m_result.labelNoun = QStringLiteral("회원증");
    m_label = result.label;
    m_shows = shows;
    setWindowTitle(shows == PreviewShows::Print
                       ? QStringLiteral("미리보기 창에 인쇄한 라벨 (%1장)").arg(result.labelCount)
                       : QStringLiteral("라벨 미리보기 (%1장)").arg(result.labelCount));
    showNotes();
    setZoom(m_zoom);
}

void PreviewWindow::showNotes() {
    QStringList lines = m_result.captionLines();
    if (m_details->isChecked())
        lines << QString() << m_result.detailLines();
    m_notes->setPlainText(lines.join(u'\n'));
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void PreviewWindow::setZoom(double zoom) {
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    m_picture->setPixmap(Framed(m_label, m_zoom));
    m_zoomText->setText(QStringLiteral("%1%").arg(std::lround(m_zoom * 100)));
    m_zoomIn->setEnabled(m_zoom < kMaxZoom);
    m_zoomOut->setEnabled(m_zoom > kMinZoom);
}

// Ctrl + wheel zooms the picture.
bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int delta = wheel->angleDelta().y();
            if (delta != 0)
                setZoom(delta > 0 ? m_zoom * kZoomStep : m_zoom / kZoomStep);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

// Puts a new preview window to the right of its owner, else to its left, else below it, within
// the owner's screen.
void PlaceBeside(QWidget* window, const QWidget* owner) {
    const QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = owner->frameGeometry();
    const QSize size = window->frameGeometry().size();
    constexpr int kGap = 8;
    QPoint at(frame.right() + kGap, frame.top());
    if (at.x() + size.width() > area.right())
        at = QPoint(frame.left() - kGap - size.width(), frame.top());
    if (at.x() < area.left())
        at = QPoint(frame.left(), frame.bottom() + kGap);
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    window->move(at);
}

} // namespace

PreviewWindow* ShowPreview(QWidget* owner, const PreviewResult& result, PreviewShows shows) {
    PreviewWindow* window = nullptr;
    if (owner) {
        window = owner->findChild<PreviewWindow*>(QString(), Qt::FindDirectChildrenOnly);
    } else {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* preview = qobject_cast<PreviewWindow*>(widget); preview && !preview->parentWidget())
                window = preview;
    }
    if (window) {
        window->showResult(result, shows);
    } else {
        window = new PreviewWindow(result, owner, shows);
        if (owner)
            PlaceBeside(window, owner);
    }
    window->show();
    window->raise();
    return window;
}

void ClosePrintedPreview(QWidget* owner) {
    auto* window = owner->findChild<PreviewWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (window && window->shows() == PreviewShows::Print)
        window->close();
}

} // namespace hanlabel
