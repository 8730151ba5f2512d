// Prints figures for printing a member list: reading a 1,000-row list in code page 949 and composing
// every card before sending; a 200,000-row list read and matched against a full marks file, the
// run of that fully printed list (nothing to print), composing all of it; peak resident memory.
#include "core/Cp949.h"
#include "core/Signals.h"
#include "glyphs/GlyphSource.h"
#include "lists/ListCompose.h"
#include "lists/ListSend.h"
#include "lists/SentMarks.h"

#include "ui/dialogs/MemberListDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace hanlabel;

namespace {

double PeakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double Ms(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

// The processor time of this process, in milliseconds: on a busy machine the wall time also counts
// the others' work.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A list as a registrar exports it: a header, 1,000 members with Hangul names and departments.
QByteArray MakeList(int rows) {
    const QString family = QStringLiteral("김이박최정강조윤장임한오서신권황안송류홍");
    const QString given = QStringLiteral("민서준영지현수진우성은하경철희동재원혜");
    const QStringList departments = {QStringLiteral("국어국문학과"), QStringLiteral("전자공학과"),
                                     QStringLiteral("문헌정보학과"), QStringLiteral("경영학부"),
                                     QStringLiteral("국립중앙도서관")};
    QString text = QStringLiteral("소속,성명,학번,비고\r\n");
    for (int i = 0; i < rows; ++i)
        text += QStringLiteral("%1,%2%3%4,20%5,\"메모, %6\"\r\n")
                    .arg(departments[i % departments.size()])
                    .arg(family[i % family.size()])
                    .arg(given[(i / 3) % given.size()])
                    .arg(given[(i / 7) % given.size()])
                    .arg(240000 + i, 8, 10, QLatin1Char('0'))
                    .arg(i);
    return EncodeCp949(text);
}

} // namespace

int main(int argc, char** argv) {
    hanlabel::IgnoreChannelSignals();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    GlyphSource glyphs;
    glyphs.bind(QStringLiteral(HANLABEL_SAMPLE_APP "/견고딕24X24.mdb"));

    constexpr int kRows = 1000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("명단.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(MakeList(kRows)) < 0)
        return 1;
    file.close();

    const QStringList layout = {
        "^PR3^PW680^LL432", "260", "60", "260", "110", "^FO260,170^BY2^BCN,80,N,N,N", "^FO260,300^A0N,30,30"};
    MemberCardInputs window;
    window.portText = "COM1";
    window.originX = "20";
    window.originY = "10";

    std::vector<double> readTimes, composeTimes, totalTimes;
    ComposedList composed;
    int rows = 0;
    for (int round = 0; round < 15; ++round) {
        QElapsedTimer timer;
        timer.start();
        const MemberList list = ReadMemberList(path, {});
        const double read = timer.nsecsElapsed() / 1e6;
        composed =
            ComposeMemberList(list, RowsToPrint(list, {}), window, layout, ChannelKind::Serial, glyphs);
        const double total = timer.nsecsElapsed() / 1e6;
        readTimes.push_back(read);
        composeTimes.push_back(total - read);
        totalTimes.push_back(total);
        rows = int(list.rows.size());
    }
    if (rows != kRows || composed.cards.size() != kRows || !composed.errors.isEmpty()) {
        std::fprintf(stderr, "unexpected list: %d rows, %lld cards, %lld errors\n", rows,
                     (long long)composed.cards.size(), (long long)composed.errors.size());
        return 1;
    }

    // Opening the list again after every card was sent: the marks matched to the rows.
    MemberList list = ReadMemberList(path, {});
    SentMarks marks;
    MarkCardsSent(list, marks, composed, int(composed.cards.size()));
    std::vector<double> markTimes;
    for (int round = 0; round < 15; ++round) {
        QElapsedTimer timer;
        timer.start();
        ApplySentMarks(list, marks);
        markTimes.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (list.sentCount() != kRows)
        return 1;

    const double smallPeak = PeakMb();

    // 200,000 rows, every one marked sent: opening the list, and a run that finds nothing to print.
    constexpr int kLarge = 200000;
    const QString largePath = dir.filePath(QStringLiteral("대명단.csv"));
    {
        QFile large(largePath);
        if (!large.open(QIODevice::WriteOnly) || large.write(MakeList(kLarge)) < 0)
            return 1;
    }
    QElapsedTimer timer;
    timer.start();
    double cpu = CpuMs();
    MemberList big = ReadMemberList(largePath, {});
    const double bigRead = Ms(timer);
    {
        SentMarks all;
        for (const ListRow& row : big.rows)
            all.add(row);
        all.save(SentMarks::PathFor(largePath));
    }
    const double bigReadCpu = CpuMs() - cpu;
    timer.restart();
    cpu = CpuMs();
    SentMarks bigMarks = SentMarks::Load(SentMarks::PathFor(largePath));
    ApplySentMarks(big, bigMarks);
    const double bigMatch = Ms(timer);
    const double bigMatchCpu = CpuMs() - cpu;
    if (big.sentCount() != kLarge)
        return 1;
    const double loadPeak = PeakMb();

    // What a run of hanlabel-batch does before and after sending, with nothing left to send.
    timer.restart();
    cpu = CpuMs();
    {
        MemberList list2 = ReadMemberList(largePath, {});
        SentMarks marks2;
        ListRun run(largePath, QStringLiteral("bench"), list2, marks2);
        if (!RowsToPrint(list2, {}).isEmpty())
            return 1;
        run.finish(-1);
    }
    const double nothingRun = Ms(timer);
    const double nothingRunCpu = CpuMs() - cpu;

    // The list print dialog opening the large list: the longest time its event loop was held up,
    // seen by a timer that wants to run every millisecond.
    double longestBlock = 0;
    double dialogOpen = 0;
    {
        MemberCardInputs dialogWindow = window;
        dialogWindow.portText = "LPT1";
        MemberListDialog dialog(dialogWindow, JobEnvironment{QStringLiteral(HANLABEL_SAMPLE_APP), &glyphs});
        dialog.show();
        QElapsedTimer beat;
        QTimer heart;
        heart.setInterval(1);
        QObject::connect(&heart, &QTimer::timeout, [&] {
            longestBlock = std::max(longestBlock, Ms(beat));
            beat.restart();
        });
        app.processEvents();
        heart.start();
        beat.start();
        timer.restart();
        if (!dialog.openList(largePath))
            return 1;
        dialogOpen = Ms(timer);
        app.processEvents();
        longestBlock = std::max(longestBlock, Ms(beat));
        heart.stop();
    }

    // Composing every card of the large list (as a reprint with --again would); "bench_list open"
    // leaves it out, for profiling the opening alone.
    const bool openOnly = argc > 1 && QByteArray(argv[1]) == "open";
    timer.restart();
    const ComposedList bigComposed =
        openOnly ? ComposedList{}
                 : ComposeMemberList(big, RowsToPrint(big, {0, true}), window, layout, ChannelKind::Serial, glyphs);
    const double bigCompose = Ms(timer);

    std::printf("list: %d rows in code page 949, %lld bytes composed (serial)\n", kRows,
                (long long)composed.stream.size());
    std::printf("read list: median %.2f ms, worst %.2f ms\n", median(readTimes),
                *std::max_element(readTimes.begin(), readTimes.end()));
    std::printf("compose every card: median %.2f ms, worst %.2f ms\n", median(composeTimes),
                *std::max_element(composeTimes.begin(), composeTimes.end()));
    std::printf("read + compose: median %.2f ms, worst %.2f ms (target <= 100 ms)\n", median(totalTimes),
                *std::max_element(totalTimes.begin(), totalTimes.end()));
    std::printf("match %d sent marks to the rows: median %.2f ms\n", kRows, median(markTimes));
    std::printf("peak resident memory after the 1,000-row list: %.1f MB\n", smallPeak);
    std::printf("200,000 rows: read %.0f ms, marks loaded and matched %.0f ms, together %.0f ms (target < 2000 ms); "
                "processor time %.0f + %.0f ms\n",
                bigRead, bigMatch, bigRead + bigMatch, bigReadCpu, bigMatchCpu);
    std::printf("200,000 rows all sent: a run reads, locks, matches, prints nothing and rewrites the marks in "
                "%.0f ms (target < 3000 ms); processor time %.0f ms\n",
                nothingRun, nothingRunCpu);
    std::printf("peak resident memory after loading and matching 200,000 rows: %.1f MB\n", loadPeak);
    std::printf("list print dialog opening the 200,000 rows: %.0f ms, its event loop held up at most %.0f ms\n",
                dialogOpen, longestBlock);
    std::printf("200,000 rows composed: %.0f ms, %lld bytes, %lld cards; peak resident memory %.1f MB\n",
                bigCompose, (long long)bigComposed.stream.size(), (long long)bigComposed.cards.size(), PeakMb());
    return 0;
}
