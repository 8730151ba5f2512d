// Prints figures for a print through the real book label window (offscreen): a 300 KB job to a
// printer on a FIFO that reads about 100 KB a second, to one that stops reading after 100 KB, and
// to one that never reads. For each, how long the press itself takes (settings files and composing
// stay on the window's thread), the largest gap between ticks of a 5 ms timer on the window's
// thread during the send (target <= 50 ms) and, where 취소 is pressed on the stall notice, the time
// from that press to the box closing (target <= 200 ms).
#include "core/Signals.h"
#include "settings/SettingsFile.h"
#include "ui/kit/FormKit.h"
#include "ui/windows/BookLabelWindow.h"

#include "TickWatch.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace hanlabel;
using namespace std::chrono_literals;

namespace {

constexpr int kJobSize = 300 * 1024;
constexpr int kRounds = 3;

// A printer on the FIFO: reads a kilobyte every 10 ms from a pipe shrunk to a page, until it has
// read `limit` bytes (then it holds the FIFO open and reads no more) or is stopped.
class SlowPrinter {
  public:
    SlowPrinter(const QString& fifo, qint64 limit) {
        m_fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ::fcntl(m_fd, F_SETPIPE_SZ, 4096);
        m_thread = std::thread([this, limit] {
            char buffer[1024];
            qint64 read = 0;
            while (!m_stop) {
                pollfd p{m_fd, POLLIN, 0};
                if (read >= limit || ::poll(&p, 1, 20) <= 0) {
                    std::this_thread::sleep_for(5ms);
                    continue;
                }
                const ssize_t n = ::read(m_fd, buffer, size_t(std::min<qint64>(sizeof buffer, limit - read)));
                if (n > 0)
                    read += n;
                std::this_thread::sleep_for(10ms);
            }
        });
    }
    ~SlowPrinter() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }

  private:
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

struct Figures {
    double pressMs = 0; // the press itself: settings files and composing, on the window's thread
    double worstGapMs = 0;
    double sendMs = 0; // from the end of the press to the outcome shown
    double cancelToCloseMs = -1;
    QString report; // the message box after the job, if any
};

// Presses the print button, then runs the window's events until the outcome has been shown while
// a 5 ms timer ticks; presses 취소 as soon as the box shows the stall notice when `cancel` is set,
// and answers the message box that follows.
Figures PrintOnce(mainfrm& window, bool cancel) {
    Figures figures;
    QEventLoop loop;
    double cancelledAt = -1;
    TickWatch ticks([&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            figures.report = box->text();
            box->accept();
        }
        auto* dialog = window.findChild<QDialog*>(QStringLiteral("progressDialog"));
        auto* notice = dialog ? dialog->findChild<QLabel*>(QStringLiteral("stallNotice")) : nullptr;
        if (cancel && cancelledAt < 0 && notice && notice->isVisible()) {
            QObject::connect(dialog, &QObject::destroyed, &loop,
                             [&] { figures.cancelToCloseMs = ticks.nowMs() - cancelledAt; });
            cancelledAt = ticks.nowMs();
            dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        }
        if (!window.isPrinting()) {
            figures.sendMs = ticks.nowMs();
            loop.quit();
        }
    });
    QElapsedTimer press;
    press.start();
    window.Command1->click();
    figures.pressMs = press.nsecsElapsed() / 1e6;
    ticks.start();
    loop.exec();
    figures.worstGapMs = ticks.worstGapMs();
    return figures;
}

// Runs a scenario a few times; the printer stand-in is made by `printer` for each round.
template <typename MakePrinter>
void Measure(const char* what, mainfrm& window, bool cancel, const MakePrinter& printer) {
    Figures worst;
    QString report;
    for (int round = 0; round < kRounds; ++round) {
        const auto stand = printer();
        const Figures f = PrintOnce(window, cancel);
        worst.pressMs = std::max(worst.pressMs, f.pressMs);
        worst.worstGapMs = std::max(worst.worstGapMs, f.worstGapMs);
        worst.sendMs = std::max(worst.sendMs, f.sendMs);
        worst.cancelToCloseMs = std::max(worst.cancelToCloseMs, f.cancelToCloseMs);
        report = f.report;
    }
    std::printf("%s\n  press %5.1f ms, then worst tick gap %5.1f ms, send to outcome %7.1f ms", what,
                worst.pressMs, worst.worstGapMs, worst.sendMs);
    if (worst.cancelToCloseMs >= 0)
        std::printf(", 취소 to box closed %6.1f ms", worst.cancelToCloseMs);
    // The report's first sentence: how many bytes of how many reached the printer.
    const qsizetype end = report.indexOf(QStringLiteral("전달되었습니다."));
    std::printf("\n  %s\n", report.isEmpty() ? "printed whole" : qPrintable(report.left(end + 8)));
}

} // namespace

int main(int argc, char** argv) {
    IgnoreChannelSignals();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallKoreanFontSubstitutions();

    // An application folder whose layout makes the book job 300 KB (a comment field in line 3).
    QTemporaryDir dir;
    const QDir sample(QStringLiteral(HANLABEL_SAMPLE_APP));
    for (const QString& name : sample.entryList(QDir::Files))
        QFile::copy(sample.filePath(name), dir.filePath(name));
    QStringList layout = ReadSettingsFile(dir.filePath(QStringLiteral("DPOS.ini")), 5);
    layout[2] += QStringLiteral("^FX") + QString(kJobSize, u'x');
    WriteSettingsFile(dir.filePath(QStringLiteral("DPOS.ini")), layout);
    const QString fifo = dir.filePath(QStringLiteral("printer.fifo"));
    ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
    qputenv("HANLABEL_HOME", QFile::encodeName(dir.path()));
    qputenv("HANLABEL_LPT1", QFile::encodeName(fifo));
    qputenv("HANLABEL_STALL_NOTICE_MS", "500");

    mainfrm window;
    window.Form_Load();
    window.show();
    window.Combo1->setEditText(QStringLiteral("LPT1"));
    window.Text1->setText(QStringLiteral("A1"));
    window.Text5->setText(QStringLiteral("1"));

    std::printf("300 KB book job through the window to LPT1 on a FIFO; window-thread timer every 5 ms;\n"
                "stall notice after 0.5 s; worst of %d rounds\n"
                "(targets: worst tick gap <= 50 ms, 취소 to box closed <= 200 ms)\n",
                kRounds);
    Measure("printer reading about 100 KB a second:", window, false,
            [&] { return std::make_unique<SlowPrinter>(fifo, qint64(1) << 40); });
    Measure("printer that stops after 100 KB, 취소 on the notice:", window, true,
            [&] { return std::make_unique<SlowPrinter>(fifo, 100 * 1024); });
    Measure("nobody reading, 취소 on the notice:", window, true,
            [] { return std::unique_ptr<SlowPrinter>(); });
    return 0;
}
