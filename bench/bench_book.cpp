// Prints figures for the book label print path: opening the glyph database and answering the
// first lookup, composing a 13-syllable book job, and peak resident memory.
#include "core/Signals.h"
#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"

#include <QElapsedTimer>
#include <QGuiApplication>

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

} // namespace

int main(int argc, char** argv) {
    hanlabel::IgnoreChannelSignals();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString database = QStringLiteral(HANLABEL_SAMPLE_APP "/견고딕24X24.mdb");

    std::vector<double> openTimes;
    for (int round = 0; round < 15; ++round) {
        QElapsedTimer timer;
        timer.start();
        GlyphSource glyphs;
        glyphs.bind(database);
        const Glyph g = glyphs.lookup(U'한');
        openTimes.push_back(timer.nsecsElapsed() / 1e6);
        if (g.data.size() != 280 || g.fromFont) {
            std::fprintf(stderr, "unexpected glyph for 한\n");
            return 1;
        }
    }

    GlyphSource glyphs;
    glyphs.bind(database);
    BookLabelInputs in;
    in.portText = "COM1";
    in.originX = "20";
    in.originY = "10";
    in.labelText = QStringLiteral("대한민국국립중앙도서관본관");
    in.firstSerial = "0000000000001";
    in.quantity = "100";
    const QStringList layout = {"40", "30", "^PR3", "^FO40,65^A0N,28,28", "^FO40,100^BY2^BCN,60,Y,N,N"};
    std::vector<double> composeTimes;
    qsizetype bytes = 0;
    for (int round = 0; round < 200; ++round) {
        QElapsedTimer timer;
        timer.start();
        bytes = ComposeBookLabel(in, layout, ChannelKind::Serial, glyphs).size();
        composeTimes.push_back(timer.nsecsElapsed() / 1e6);
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("glyph database: %d records\n", glyphs.recordCount());
    std::printf("open database + first lookup: median %.2f ms, worst %.2f ms (target <= 50 ms)\n",
                median(openTimes), *std::max_element(openTimes.begin(), openTimes.end()));
    std::printf("compose 13-syllable book job (%lld bytes): median %.3f ms, worst %.3f ms (target <= 1 ms)\n",
                (long long)bytes, median(composeTimes),
                *std::max_element(composeTimes.begin(), composeTimes.end()));
    std::printf("time to send it at 9600 baud (8N1, 10 bits a byte): %.1f s\n", bytes * 10 / 9600.0);
    std::printf("peak resident memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
