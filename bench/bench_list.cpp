// Prints figures for printing a member list: reading a 1,000-row list in code page 949 and composing
// every card before sending, and peak resident memory.
#include "core/Cp949.h"
#include "core/Signals.h"
#include "glyphs/GlyphSource.h"
#include "lists/ListCompose.h"
#include "lists/SentMarks.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace hanlabel;

namespace {

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
    QGuiApplication app(argc, argv);
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

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("list: %d rows in code page 949, %lld bytes composed (serial)\n", kRows,
                (long long)composed.stream.size());
    std::printf("read list: median %.2f ms, worst %.2f ms\n", median(readTimes),
                *std::max_element(readTimes.begin(), readTimes.end()));
    std::printf("compose every card: median %.2f ms, worst %.2f ms\n", median(composeTimes),
                *std::max_element(composeTimes.begin(), composeTimes.end()));
    std::printf("read + compose: median %.2f ms, worst %.2f ms (target <= 100 ms)\n", median(totalTimes),
                *std::max_element(totalTimes.begin(), totalTimes.end()));
    std::printf("match %d sent marks to the rows: median %.2f ms\n", kRows, median(markTimes));
    std::printf("peak resident memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
