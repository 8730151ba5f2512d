// Prints the time the virtual printer takes to render one book label and one member card (the
// sample layouts with Hangul text), and to add the caption and encode the PNG file.
#include "core/Signals.h"
#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"
#include "jobs/MemberCardJob.h"
#include "preview/ZplRenderer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace hanlabel;

namespace {

struct Figures {
    double median, worst;
};

Figures Time(int rounds, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void Report(const char* what, const QByteArray& stream) {
    RenderZpl(stream); // fonts and libraries warmed up once
    const Figures render = Time(200, [&] { RenderZpl(stream); });
    const PreviewResult result = RenderZpl(stream);
    const Figures png = Time(50, [&] {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        PreviewPicture(result).save(&buffer, "PNG");
    });
    std::printf("%-12s %6lld bytes  %4d x %-4d dots  render median %6.2f ms, worst %6.2f ms (target <= 20 ms)"
                "  | caption + PNG median %6.2f ms\n",
                what, static_cast<long long>(stream.size()), result.label.width(), result.label.height(),
                render.median, render.worst, png.median);
}

} // namespace

int main(int argc, char** argv) {
    hanlabel::IgnoreChannelSignals();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    GlyphSource glyphs;
    glyphs.bind(QStringLiteral(HANLABEL_SAMPLE_APP "/견고딕24X24.mdb"));

    BookLabelInputs book;
    book.portText = "LPT1";
    book.originX = "20";
    book.originY = "10";
    book.labelText = QStringLiteral("대한민국국립중앙도서관본관");
    book.firstSerial = "0000000000001";
    book.quantity = "100";
    const QStringList bookLayout = {"40", "30", "^PR3^PW400^LL200", "^FO40,65^A0N,28,28",
                                    "^FO40,100^BY2^BCN,60,Y,N,N"};
    Report("book label", ComposeBookLabel(book, bookLayout, ChannelKind::Parallel, glyphs));

    MemberCardInputs member;
    member.portText = "LPT1";
    member.originX = "0";
    member.originY = "0";
    member.affiliation = QStringLiteral("국립중앙도서관");
    member.name = QStringLiteral("홍길동");
    member.memberNumberFirst = "200401";
    member.memberNumberSecond = "0123";
    const QStringList memberLayout = {
        "^PR3^PW680^LL432", "260", "60", "260", "110", "^FO260,170^BY2^BCN,80,N,N,N", "^FO260,300^A0N,30,30"};
    Report("member card", ComposeMemberCard(member, memberLayout, ChannelKind::Parallel, glyphs));
    return 0;
}
