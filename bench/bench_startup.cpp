// Start-up and printing figures of the application, offscreen:
// - the time from process start to the book label window shown;
// - the peak resident memory of a process that prints a 13-syllable book run.
// The benchmark runs itself as a child process for each measurement.

#include "app/WindowManager.h"
#include "core/Signals.h"
#include "ui/kit/FormKit.h"
#include "ui/windows/BookLabelWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace hanlabel;

namespace {

constexpr int StartRuns = 9;
constexpr int PrintRuns = 3;
const QString ThirteenSyllables = QStringLiteral("대한민국국립중앙도서관자료");

// Peak resident memory of this process in kB (VmHWM).
long PeakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Child: brings the book label window up; with print, prints a 13-syllable run and reports memory.
int Child(int argc, char** argv, bool print) {
    QApplication app(argc, argv);
    InstallKoreanFontSubstitutions();
    WindowManager windows;
    windows.start();
    mainfrm* book = windows.bookWindow();
    while (!book->windowHandle() || !book->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("shown\n");
    std::fflush(stdout);
    if (!print)
        return 0;
    book->Text1->setText(ThirteenSyllables);
    book->Text2->setText(QStringLiteral("0000000000001"));
    book->Text5->setText(QStringLiteral("13"));
    book->Command1->click();
    // The send runs on a worker; leaving before its end would cancel it and measure half a print.
    QElapsedTimer clock;
    clock.start();
    while (book->isPrinting() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (book->isPrinting())
        return 1;
    std::printf("peak_kb %ld\n", PeakResidentKb());
    std::fflush(stdout);
    return 0;
}

struct ChildRun {
    double shownMs = -1;
    long peakKb = -1;
};

ChildRun RunChild(const QString& self, const QString& mode, const QProcessEnvironment& env) {
    ChildRun run;
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    child.start(self, {mode});
    QByteArray out;
    while (child.waitForReadyRead(30000) || child.state() == QProcess::Running) {
        out += child.readAllStandardOutput();
        if (run.shownMs < 0 && out.contains("shown\n"))
            run.shownMs = double(clock.nsecsElapsed()) / 1e6;
        if (out.contains("peak_kb") && out.endsWith('\n'))
            break;
        if (mode == QLatin1String("--child-start") && run.shownMs >= 0)
            break;
        if (clock.elapsed() > 60000)
            break;
    }
    if (!child.waitForFinished(30000))
        child.kill();
    out += child.readAllStandardOutput();
    const int at = out.indexOf("peak_kb ");
    if (at >= 0)
        run.peakKb = out.mid(at + 8).split('\n').value(0).toLong();
    return run;
}

} // namespace

int main(int argc, char** argv) {
    hanlabel::IgnoreChannelSignals();
    if (argc > 1 && std::strcmp(argv[1], "--child-start") == 0)
        return Child(argc, argv, false);
    if (argc > 1 && std::strcmp(argv[1], "--child-print") == 0)
        return Child(argc, argv, true);

    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QDir sample(QStringLiteral(HANLABEL_SAMPLE_APP));
    for (const QString& name : sample.entryList(QDir::Files))
        QFile::copy(sample.filePath(name), folder.filePath(name));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HANLABEL_HOME"), folder.path());
    env.insert(QStringLiteral("HANLABEL_LPT1"), folder.filePath(QStringLiteral("LPT1.zpl")));
    // A port text of exactly "LPT1" sends the run to the file above.
    QFile channel(folder.filePath(QStringLiteral("OH.ini")));
    if (channel.open(QIODevice::WriteOnly | QIODevice::Truncate))
        channel.write("LPT1\r\n2\r\n");
    channel.close();

    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> shown;
    RunChild(self, QStringLiteral("--child-start"), env); // warm the file cache
    for (int i = 0; i < StartRuns; ++i)
        if (const ChildRun run = RunChild(self, QStringLiteral("--child-start"), env); run.shownMs >= 0)
            shown.push_back(run.shownMs);
    long peakKb = -1;
    for (int i = 0; i < PrintRuns; ++i)
        peakKb = std::max(peakKb, RunChild(self, QStringLiteral("--child-print"), env).peakKb);
    const qint64 printed = QFileInfo(folder.filePath(QStringLiteral("LPT1.zpl"))).size();

    QTextStream out(stdout);
    if (shown.empty()) {
        out << "start-up: the book label window never came up\n";
        return 1;
    }
    std::sort(shown.begin(), shown.end());
    out << "start-up to book label window shown (offscreen, " << shown.size() << " runs): median "
        << QString::number(shown[shown.size() / 2], 'f', 1) << " ms, min "
        << QString::number(shown.front(), 'f', 1) << " ms, max " << QString::number(shown.back(), 'f', 1)
        << " ms (target <= 400 ms)\n";
    out << "peak resident memory printing a 13-syllable book run: "
        << (peakKb < 0 ? QStringLiteral("unknown") : QString::number(double(peakKb) / 1024.0, 'f', 1) + " MB")
        << " (target <= 120 MB); stream " << printed << " bytes\n";
    return peakKb < 0 || printed <= 0 ? 1 : 0;
}
