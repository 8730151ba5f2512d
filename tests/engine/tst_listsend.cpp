#include "channels/CardSend.h"
#include "channels/Link.h"
#include "channels/ParallelTransport.h"
#include "core/Failure.h"
#include "lists/ListLock.h"
#include "lists/ListSend.h"
#include "lists/SentMarks.h"

#include "ChannelTesting.h"
#include "TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

using namespace hanlabel;

namespace {

// nobody: the tests run as root and act as an operator in a child process.
const test::Operator kOperator{65534, 65534, {}};

QString failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Failure& f) {
        return f.message();
    }
    return {};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// "line:fingerprint" of each mark, for comparing with literal tables.
QStringList Describe(const QList<SentMarks::Mark>& marks) {
    QStringList out;
    for (const SentMarks::Mark& m : marks)
        out << QStringLiteral("%1:%2").arg(m.line).arg(QString::fromLatin1(m.fingerprint));
    return out;
}

// Cards of the given sizes, each filled with its own letter and ended by "^XZ".
ComposedList Cards(const QList<int>& sizes) {
    ComposedList composed;
    for (int i = 0; i < sizes.size(); ++i) {
        const QByteArray card = QByteArray(sizes[i] - 3, char('a' + i)) + "^XZ";
        composed.cards.append({i, i + 2, composed.stream.size(), composed.stream.size() + card.size()});
        composed.stream += card;
    }
    return composed;
}

// A list of `count` members with the fingerprints the reader gives them.
MemberList Members(int count) {
    QByteArray csv = "소속,성명,회원번호\n";
    for (int i = 0; i < count; ++i)
        csv += "본관,회원" + QByteArray::number(i + 1) + ",2004-" + QByteArray::number(i + 1) + "\n";
    return ParseMemberList(csv, {});
}

// A printer that acknowledges slowly: each look at reached() acknowledges 100 more bytes, and
// writes are refused while `refuse` says so. It records how much was acknowledged at each write.
struct SlowAck {
    qint64 acked = 0;
    QList<std::pair<qint64, qint64>> writes; // (offset, acknowledged then)
    std::function<bool(qint64 offset)> refuse;
};

class SlowAckLink final : public Link {
  public:
    explicit SlowAckLink(SlowAck& state) : m_state(state) {}
    bool open(SendPump&) override { return true; }
    qint64 chunk() const override { return 256; }
    qint64 write(const char*, qint64 size) override {
        if (m_state.refuse && m_state.refuse(m_written))
            return 0;
        m_state.writes.append({m_written, m_state.acked});
        m_written += size;
        return size;
    }
    qint64 reached(qint64 written) override {
        m_state.acked = std::min(written, m_state.acked + 100);
        return m_state.acked;
    }
    LinkWait wait() const override { return {}; }

  private:
    SlowAck& m_state;
    qint64 m_written = 0;
};

class SlowAckTransport final : public Transport {
  public:
    explicit SlowAckTransport(SlowAck& state) : m_state(state) {}
    QString description() const override { return QStringLiteral("slow"); }

  protected:
    std::unique_ptr<Link> link() const override { return std::make_unique<SlowAckLink>(m_state); }

  private:
    SlowAck& m_state;
};

// Hands out the composed cards and records when it was told the printer forgot its graphics.
class RecordingSource final : public CardSource {
  public:
    explicit RecordingSource(ComposedList composed) : m_plain(std::move(composed)) {}
    int cardCount() const override { return m_plain.cardCount(); }
    QByteArray card(int index) override {
        m_asked << index;
        return m_plain.card(index);
    }
    void printerForgotGraphics() override { m_forgotBefore << m_asked.size(); }
    QList<int> m_asked;
    QList<int> m_forgotBefore; // how many cards had been asked for each time
  private:
    PlainCardSource m_plain;
};

} // namespace

// A list sent card by card: the boundaries, the journal of marks, the lock, stopping.
class TestListSend : public QObject {
    Q_OBJECT
  private slots:
    void marksFile_data();
    void marksFile();
    void uncertainRowIsNamed();
    void matchingTakesLineThenFingerprint();
    void noByteOfTheNextCardBeforeTheLastReached();
    void stallClearedMeansGraphicsForgotten();
    void journalBeforeAndAfterEachCard();
    void unwritableMarksSendNothing();
    void secondRunRefused();
    void secondUserRefused();
    void othersMarksReadAfterTheLock();
    void stopAfterCardMidCardThree();

  private:
    QTemporaryDir m_dir;
};

void TestListSend::marksFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("uncertain");
    const QByteArray head = "hanlabel sent 1\n";
    QTest::newRow("written by the earlier version")
        << head + "2\tab\n3\tcd\n" << QStringList{"2:ab", "3:cd"} << QStringList{};
    QTest::newRow("CR LF") << QByteArray("hanlabel sent 1\r\n2\tab\r\n") << QStringList{"2:ab"} << QStringList{};
    QTest::newRow("sending, then sent") << head + "?\t2\tab\n2\tab\n" << QStringList{"2:ab"} << QStringList{};
    QTest::newRow("sending, then the run ended")
        << head + "2\tab\n?\t3\tcd\n" << QStringList{"2:ab"} << QStringList{"3:cd"};
    QTest::newRow("sending, then stopped before the last byte")
        << head + "?\t3\tcd\n-\t3\tcd\n" << QStringList{} << QStringList{};
    QTest::newRow("a last line cut short is left out")
        << head + "?\t2\t0123456789abcdef\n2\t0123456789ab" << QStringList{}
        << QStringList{"2:0123456789abcdef"};
    QTest::newRow("a whole last line without its line end counts")
        << head + "?\t2\t0123456789abcdef\n2\t0123456789abcdef" << QStringList{"2:0123456789abcdef"}
        << QStringList{};
    QTest::newRow("a sending line cut short is left out") << head + "2\tab\n?\t3\tc" << QStringList{"2:ab"}
                                                          << QStringList{};
    QTest::newRow("compact form with a card in doubt")
        << head + "2\tab\n?\t4\tef\n" << QStringList{"2:ab"} << QStringList{"4:ef"};
    QTest::newRow("sent twice, listed once") << head + "2\tab\n?\t2\tab\n2\tab\n" << QStringList{"2:ab"}
                                             << QStringList{};
}

// Marks files of every version and every way a run ended read the same.
void TestListSend::marksFile() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, uncertain);
    const QString path = m_dir.filePath("marks.sent");
    writeFile(path, content);
    const SentMarks marks = SentMarks::Load(path);
    QCOMPARE(Describe(marks.marks()), sent);
    QCOMPARE(Describe(marks.uncertain()), uncertain);
    // The compact form keeps both.
    marks.save(path);
    const SentMarks again = SentMarks::Load(path);
    QCOMPARE(Describe(again.marks()), sent);
    QCOMPARE(Describe(again.uncertain()), uncertain);
}

void TestListSend::uncertainRowIsNamed() {
    MemberList list = ParseMemberList("소속,성명,회원번호\n"
                                      "본관,김철수,1-1\n본관,김철수,1-2\n본관,김철수,1-3\n본관,김철수,1-4\n"
                                      "본관,김철수,1-5\n본관,김철수,1-6\n본관,김철수,1-7\n본관,김철수,1-8\n"
                                      "본관,김철수,1-9\n본관,김철수,1-10\n본관,홍길동,2004-12\n",
                                      {});
    const QString path = m_dir.filePath("doubt.sent");
    writeFile(path, "hanlabel sent 1\n?\t12\t" + list.rows[10].fingerprint + "\n");
    ApplySentMarks(list, SentMarks::Load(path));
    QCOMPARE(list.uncertainCount(), 1);
    QVERIFY(list.rows[10].uncertain && !list.rows[10].sent);
    QCOMPARE(UncertainText(list.rows[10]), QStringLiteral("12행 홍길동: 보냈는지 알 수 없습니다"));
    // A row in doubt is printed unless the operator leaves it out.
    QCOMPARE(RowsToPrint(list, {}).size(), 11);
}

void TestListSend::matchingTakesLineThenFingerprint() {
    // Two equal rows; one mark at the second's line, one moved (a line was added above).
    MemberList list = ParseMemberList("A,B,1\nC,D,2\nA,B,1\nE,F,3\n", {});
    const QByteArray ab = list.rows[0].fingerprint, ef = list.rows[3].fingerprint;
    const QString path = m_dir.filePath("moved.sent");
    writeFile(path, "hanlabel sent 1\n3\t" + ab + "\n9\t" + ef + "\n7\t" + ab + "\n");
    ApplySentMarks(list, SentMarks::Load(path));
    QCOMPARE((QList<bool>{list.rows[0].sent, list.rows[1].sent, list.rows[2].sent, list.rows[3].sent}),
             (QList<bool>{true, false, true, true}));
}

// On a printer that acknowledges slowly, every card's first byte waits for the card before it.
void TestListSend::noByteOfTheNextCardBeforeTheLastReached() {
    SlowAck state;
    SlowAckTransport transport(state);
    RecordingSource cards(Cards({700, 300, 1000}));
    SendControl control;
    CardWatch watch;
    QList<int> delivered;
    watch.delivered = [&](int card) { delivered << card; };
    QCOMPARE(transport.sendCards(cards, control, watch), 3);
    QCOMPARE(delivered, (QList<int>{0, 1, 2}));
    const QList<qint64> starts = {0, 700, 1000};
    for (const auto& [offset, acked] : state.writes)
        if (starts.contains(offset))
            QVERIFY2(acked == offset, qPrintable(QStringLiteral("card at %1 began with %2 acknowledged")
                                                     .arg(offset)
                                                     .arg(acked)));
    QCOMPARE(cards.m_forgotBefore, QList<int>{0}); // a run starts with fresh graphics
}

// A printer that stalls and takes data again may have been switched off: the next card is told.
void TestListSend::stallClearedMeansGraphicsForgotten() {
    SlowAck state;
    bool stalled = false;
    state.refuse = [&](qint64 offset) { return offset >= 500 && offset < 600 && !stalled; };
    SlowAckTransport transport(state);
    RecordingSource cards(Cards({500, 500, 500}));
    SendControl control;
    control.stallAfter = std::chrono::milliseconds(30);
    control.stall = [&](bool now, const QString&) { stalled = stalled || now; };
    CardWatch watch;
    QCOMPARE(transport.sendCards(cards, control, watch), 3);
    QVERIFY(stalled);
    QCOMPARE(cards.m_forgotBefore, (QList<int>{0, 2})); // at the start, and before the card after the stall
}

// Each card's "sending" line is on the disk before its first byte, its "sent" line once it arrived.
void TestListSend::journalBeforeAndAfterEachCard() {
    const QString listPath = m_dir.filePath("journal.csv");
    writeFile(listPath, "x");
    MemberList list = Members(3);
    SentMarks marks;
    SlowAck state;
    QStringList seenAtWrites;
    const QString marksPath = SentMarks::PathFor(listPath);
    state.refuse = [&](qint64 offset) {
        if (offset == 0 || offset == 400 || offset == 800)
            seenAtWrites << QString::fromUtf8(test::ReadFileBytes(marksPath)).section(u'\n', -2, -2);
        return false;
    };
    SlowAckTransport transport(state);
    PlainCardSource cards(Cards({400, 400, 400}));
    ListRun run(listPath, QStringLiteral("test"), list, marks);
    SendControl control;
    CardWatch watch;
    run.watch(watch, list, {0, 1, 2});
    const CardWatch::Callback journal = watch.delivered;
    watch.delivered = [&](int card) {
        journal(card);
        run.delivered(card);
    };
    QCOMPARE(transport.sendCards(cards, control, watch), 3);
    const QByteArray fp1 = list.rows[1].fingerprint;
    QCOMPARE(seenAtWrites.value(1), "?\t3\t" + QString::fromLatin1(fp1));
    const QByteArray journalText = test::ReadFileBytes(marksPath);
    QVERIFY2(journalText.contains("?\t3\t" + fp1 + "\n3\t" + fp1 + "\n?\t4\t"), journalText.constData());
    run.finish(-1);
    const QByteArray compact = test::ReadFileBytes(marksPath);
    QVERIFY2(!compact.contains('?') && compact.count('\n') == 4, compact.constData());
    QCOMPARE(list.sentCount(), 3);
}

// A folder the operator cannot write: the run is refused before anything is sent, naming the file.
void TestListSend::unwritableMarksSendNothing() {
    QTemporaryDir shared;
    const QString listPath = shared.filePath("명단.csv");
    writeFile(listPath, "x");
    ::chmod(QFile::encodeName(shared.path()).constData(), 0755); // root's, read-only for the operator
    const QString message = test::FailureAsOperator(kOperator, [&] {
        MemberList list = Members(1);
        SentMarks marks;
        ListRun run(listPath, QStringLiteral("test"), list, marks);
    });
    QVERIFY2(message.contains(QStringLiteral("명단.csv.lock")) && message.contains(QStringLiteral("아무것도 보내지 않았습니다")),
             qPrintable(message));
    // The lock file is there (made by IT for the desk), the marks file is not and cannot be.
    writeFile(ListLock::PathFor(listPath), "");
    ::chmod(QFile::encodeName(ListLock::PathFor(listPath)).constData(), 0666);
    const QString marks = test::FailureAsOperator(kOperator, [&] {
        MemberList list = Members(1);
        SentMarks sent;
        ListRun run(listPath, QStringLiteral("test"), list, sent);
    });
    QVERIFY2(marks.contains(QStringLiteral("보낸 표시 파일")) && marks.contains(QStringLiteral("명단.csv.sent")) &&
                 marks.contains(QStringLiteral("복사")),
             qPrintable(marks));
}

void TestListSend::secondRunRefused() {
    const QString listPath = m_dir.filePath("two.csv");
    writeFile(listPath, "x");
    {
        const ListLock first(listPath, QStringLiteral("hanlabel-batch"));
        const QString refused = failureOf([&] { ListLock second(listPath, QStringLiteral("hanlabel")); });
        QVERIFY2(refused.contains(QStringLiteral("이 명단은 지금 다른 곳에서 인쇄 중입니다")) &&
                     refused.contains(QStringLiteral("hanlabel-batch, 사용자 root")),
                 qPrintable(refused));
    }
    // Released with its run; the file stays where it is.
    QCOMPARE(failureOf([&] { ListLock again(listPath, QStringLiteral("hanlabel")); }), QString());
    QVERIFY(QFile::exists(ListLock::PathFor(listPath)));
}

// Another user of the machine is refused as well, even when the lock file is not theirs to write.
void TestListSend::secondUserRefused() {
    QTemporaryDir shared;
    ::chmod(QFile::encodeName(shared.path()).constData(), 0777);
    const QString listPath = shared.filePath("desk.csv");
    writeFile(listPath, "x");
    const ListLock held(listPath, QStringLiteral("hanlabel"));
    const QString refused = test::FailureAsOperator(kOperator, [&] { ListLock mine(listPath, QStringLiteral("hanlabel-batch")); });
    QVERIFY2(refused.contains(QStringLiteral("이 명단은 지금 다른 곳에서 인쇄 중입니다 (hanlabel, 사용자 root")),
             qPrintable(refused));
}

// Desk B opened the list before desk A printed it: B's run prints only what is still unmarked.
void TestListSend::othersMarksReadAfterTheLock() {
    const QString listPath = m_dir.filePath("desks.csv");
    writeFile(listPath, "x");
    MemberList deskB = Members(4);
    const QList<int> before = RowsToPrint(deskB, {});
    QCOMPARE(before.size(), 4);
    // Desk A printed the first three meanwhile.
    writeFile(SentMarks::PathFor(listPath), "hanlabel sent 1\n2\t" + deskB.rows[0].fingerprint + "\n3\t" +
                                                deskB.rows[1].fingerprint + "\n4\t" + deskB.rows[2].fingerprint + "\n");
    SentMarks marks;
    ListRun run(listPath, QStringLiteral("test"), deskB, marks);
    QCOMPARE(SentMeanwhile(deskB, before), 3);
    QCOMPARE(RowsToPrint(deskB, {}), QList<int>{3});
}

// "이 카드 다음에 멈춤" while card 3 of 5 is on its way to a slow printer: cards 1-3 arrive whole
// and are marked, 4 and 5 are not sent.
void TestListSend::stopAfterCardMidCardThree() {
    const QString listPath = m_dir.filePath("stop.csv");
    writeFile(listPath, "x");
    MemberList list = Members(5);
    SentMarks marks;
    const ComposedList composed = Cards({6000, 6000, 6000, 6000, 6000});
    test::FifoReader printer(m_dir.filePath("stop.fifo"));
    printer.start({18000, -1, 0, false, 100}); // 100 ms a kilobyte: card 3 takes over half a second
    ListRun run(listPath, QStringLiteral("test"), list, marks);
    CardSendJob job(MakeParallelTransport(printer.path()), std::make_unique<PlainCardSource>(composed));
    run.watch(job.watch(), list, CardRows(composed));
    connect(&job, &CardSendJob::cardDelivered, this, [&](int card) { run.delivered(card); });
    connect(&job, &CardSendJob::progress, this, [&](qint64 reached, qint64) {
        if (reached > 12000 + 1000)
            job.stopAfterCard();
    });
    QSignalSpy finished(&job, &CardSendJob::finished);
    job.start();
    QVERIFY(finished.wait(10000));
    QVERIFY(job.wasStopped());
    QCOMPARE(job.delivered(), 3);
    QVERIFY2(finished[0][1].toString().contains(QStringLiteral("3 / 5장")), qPrintable(finished[0][1].toString()));
    run.finish(job.cardInDoubt());
    QCOMPARE(printer.finish(), composed.stream.left(18000));
    QCOMPARE(list.sentCount(), 3);
    QVERIFY(list.rows[2].sent && !list.rows[3].sent && !list.rows[4].sent);
    QCOMPARE(SentMarks::Load(SentMarks::PathFor(listPath)).marks().size(), 3);
}

QTEST_GUILESS_MAIN(TestListSend)
#include "tst_listsend.moc"
