#include "batch/BatchRun.h"

#include "batch/BatchOptions.h"
#include "channels/SendJob.h"
#include "channels/TargetFactory.h"
#include "core/AppFolder.h"
#include "core/CommandLine.h"
#include "core/Failure.h"
#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"
#include "jobs/JobSteps.h"
#include "lists/ListJob.h"
#include "lists/ListSend.h"
#include "lists/SentMarks.h"
#include "printers/PrinterMapping.h"
#include "printers/PrinterTarget.h"
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace hanlabel {

namespace {

// A message on stderr, each of its lines led by the program's name as the platform's commands do.
void Report(const QString& text) {
    QString lines;
    for (const QString& line : text.split(u'\n'))
        lines += QStringLiteral("hanlabel-batch: ") + line + u'\n';
    std::fputs(qPrintable(lines), stderr);
    std::fflush(stderr);
}

// Until the list's cards start to go, a signal ends the command with nothing sent; from then on
// SIGINT, SIGTERM and SIGHUP reach the event loop through a pipe: the first stops after the card
// on its way, a second cancels at once.
int g_signalPipe[2] = {-1, -1};
volatile sig_atomic_t g_sending = 0;

void OnSignal(int) {
    if (!g_sending) {
        static const char kEnded[] = "신호를 받아 끝냅니다. 아무것도 보내지 않았습니다.\n";
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, kEnded, sizeof kEnded - 1);
        ::_exit(ExitFailed);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// Makes SIGINT, SIGTERM and SIGHUP go through OnSignal instead of ending the process.
void CatchInterrupts() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Failure(QStringLiteral("신호를 받을 파이프를 만들 수 없습니다."));
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

// Sends a composed order as the windows do and waits for it: stalls reported on stderr, given up
// after the stall limit, cancelled by SIGINT/SIGTERM. `progress` sees each report.
SendResult Send(const SendOrder& order, const BatchOptions& options, ProgressFn progress) {
    SendWatch watch;
    watch.progress = std::move(progress);
    watch.stall = [](bool stalled, const QString& notice) {
        Report(stalled ? notice + QStringLiteral(" (기다립니다. Ctrl+C로 취소)")
                       : QStringLiteral("프린터가 다시 받습니다."));
    };
    if (options.stallLimit)
        watch.giveUpAfterStall = std::chrono::milliseconds(qint64(*options.stallLimit * 1000));
    watch.gaveUp = [&options] {
        Report(QStringLiteral("%1초를 기다렸지만 프린터가 받지 않아 인쇄를 취소합니다.").arg(*options.stallLimit));
    };
    watch.cancelDescriptor = g_signalPipe[0];
    g_sending = 1;
    return SendAndWait(order, watch);
}

// The port and origin a label window starts with, and the names its origin boxes have there.
void StartAsWindow(const QString& folder, LabelKind kind, LabelJobInputs& in) {
    const JobSteps::WindowSettings settings = JobSteps::ReadWindowSettings(folder, kind);
    in.portText = settings.portText;
    in.framing = settings.framing.value_or(SerialFraming::None8);
    in.originX = settings.originX;
    in.originY = settings.originY;
    in.originBoxes = kind == LabelKind::Book
                         ? OriginBoxNames{QStringLiteral("좌측위치(Text3)"), QStringLiteral("상하위치(Text4)")}
                         : OriginBoxNames{QStringLiteral("좌측위치(Text6)"), QStringLiteral("상하위치(Text5)")};
}

// The overrides of this run: port and framing go with the job, never into the settings files;
// --to becomes the port's mapping for this process. Throws Failure for a target the port cannot take.
void ApplyOverrides(const BatchOptions& options, LabelJobInputs& in) {
    in.sendPort = options.port;
    in.sendFraming = options.framing;
    if (!options.target)
        return;
    const ChannelKind kind = ChooseChannel(options.port.value_or(in.portText));
    const PrinterTarget::Kind targetKind = PrinterTarget::parse(*options.target).kind();
    if (kind == ChannelKind::Serial && targetKind != PrinterTarget::Kind::Device &&
        targetKind != PrinterTarget::Kind::File)
        throw Failure(
            QStringLiteral("--to %1: 직렬 포트(%2)에는 장치만 줄 수 있습니다. --port LPT1과 함께 쓰십시오.")
                .arg(*options.target, options.port.value_or(in.portText)));
    qputenv(qPrintable(PortVariable(kind)), options.target->toLocal8Bit());
}

// The message of a job that did not get to its channel, and the status it ends the run with.
int JobStopped(const LabelJobOutcome& out) {
    Report(out.failure.isEmpty() ? QStringLiteral("인쇄하지 않았습니다.") : out.failure);
    return ExitFailed;
}

// The environment every command prints in: the application folder and the glyph database.
struct BatchEnvironment {
    QString folder;
    GlyphSource glyphs;
};

int RunBook(const BatchOptions& options, BatchEnvironment& env) {
    BookLabelInputs in;
    StartAsWindow(env.folder, LabelKind::Book, in);
    ApplyOverrides(options, in);
    in.labelText = options.text;
    in.firstSerial = options.serial;
    in.ascending = !options.descending;
    in.quantity = options.quantity;
    BookLabelJob job(in, JobEnvironment{env.folder, &env.glyphs});
    BookLabelOutcome out = job.compose();
    if (out.status == JobStatus::QuantityMissing) {
        Report(QStringLiteral("--quantity %1: 수량은 숫자여야 합니다.").arg(options.quantity));
        return ExitFailed;
    }
    if (out.status != JobStatus::Composed)
        return JobStopped(out);
    const SendResult sent = Send(out.order, options, {});
    SendEnded(out, sent);
    if (!sent.ok) {
        Report(sent.message);
        return ExitFailed;
    }
    Report(QStringLiteral("라벨 %1장을 보냈습니다.").arg(options.quantity.trimmed()));
    return ExitSent;
}

// How a list's send ended.
struct CardsResult {
    bool ok = false;
    QString message; // the failure, cancel report or stop report
    int delivered = 0;
};

// Sends the cards on the worker and waits for it: each card marked as it arrives, stalls reported
// on stderr and given up after the stall limit, the first signal stops after the card on its way
// and a second cancels. Progress ("12 / 250") on stderr when it is a terminal.
CardsResult SendCards(CardSendJob& job, ListRun& run, const BatchOptions& options) {
    job.setStallAfter(StallNoticeTime());
    const bool showProgress = ::isatty(STDERR_FILENO);
    QEventLoop loop;
    CardsResult result;
    QObject::connect(&job, &CardSendJob::cardDelivered, &loop, [&](int card) {
        run.delivered(card);
        if (showProgress)
            std::fprintf(stderr, "\rhanlabel-batch: %d / %d", card + 1, job.cardCount());
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &job, [&] {
        Report(QStringLiteral("%1초를 기다렸지만 프린터가 받지 않아 인쇄를 취소합니다.").arg(*options.stallLimit));
        job.cancel();
    });
    QObject::connect(&job, &CardSendJob::stallChanged, &loop, [&](bool stalled, const QString& notice) {
        if (stalled) {
            Report(notice + QStringLiteral(" (기다립니다. Ctrl+C로 멈춤)"));
            if (options.stallLimit)
                giveUp.start(std::chrono::milliseconds(qint64(*options.stallLimit * 1000)));
        } else {
            Report(QStringLiteral("프린터가 다시 받습니다."));
            giveUp.stop();
        }
    });
    int received = 0;
    QSocketNotifier interrupt(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupt, &QSocketNotifier::activated, &job, [&] {
        char byte;
        while (::read(g_signalPipe[0], &byte, 1) > 0)
            ++received;
        if (received == 1) {
            Report(QStringLiteral("\n신호를 받았습니다: 보내고 있는 카드를 마저 보내고 멈춥니다 (바로 취소하려면 한 번 더)."));
            job.stopAfterCard();
        } else {
            job.cancel();
        }
    });
    QObject::connect(&job, &CardSendJob::finished, &loop, [&](bool ok, const QString& message) {
        result.ok = ok;
        result.message = message;
        loop.quit();
    });
    g_sending = 1;
    job.start();
    loop.exec();
    if (showProgress)
        std::fputs("\n", stderr);
    result.delivered = job.delivered();
    return result;
}

// The last line of the list that holds a row.
int LastLine(const MemberList& list) {
    int last = list.headerLine;
    for (const ListRow& row : list.rows)
        last = std::max(last, row.line);
    return last;
}

int RunMembers(const BatchOptions& options, BatchEnvironment& env) {
    ListReadOptions read{options.affiliation, std::nullopt};
    if (!options.columns.isEmpty())
        read.columns = ParseColumnMap(options.columns);
    MemberList list = ReadMemberList(options.listPath, read);
    if (options.fromLine > LastLine(list)) {
        Report(QStringLiteral("--from %1: 명단의 마지막 행은 %2행입니다.").arg(options.fromLine).arg(LastLine(list)));
        Report(QStringLiteral("도움말: hanlabel-batch --help"));
        return ExitFailed;
    }
    SentMarks marks;
    ListRun run(options.listPath, QStringLiteral("hanlabel-batch"), list, marks);

    MemberCardInputs window;
    StartAsWindow(env.folder, LabelKind::Member, window);
    ApplyOverrides(options, window);
    window.maskSecondPart = !options.unmasked;

    const QList<int> rows = RowsToPrint(list, {options.fromLine, options.again, options.skipUncertain});
    for (const ListRow& row : list.rows)
        if (row.uncertain && row.status == RowStatus::Ready && row.line >= options.fromLine)
            Report(UncertainText(row) + (options.skipUncertain
                                             ? QStringLiteral(". 건너뜁니다 (--skip-uncertain).")
                                             : QStringLiteral(". 다시 인쇄합니다 (건너뛰려면 --skip-uncertain).")));
    ListPrintOutcome out = PrepareListPrint(list, rows, window, JobEnvironment{env.folder, &env.glyphs});
    if (out.status != JobStatus::Composed)
        return JobStopped(out);
    MarkComposeErrors(list, out.composed);

    int errors = 0;
    int skipped = 0;
    for (const ListRow& row : list.rows) {
        if (row.line < options.fromLine)
            continue;
        if (row.status == RowStatus::Error) {
            Report(QStringLiteral("오류 ") + RowErrorText(row));
            ++errors;
        } else if (row.sent && !options.again) {
            ++skipped;
        }
    }
    if (skipped)
        Report(QStringLiteral("이미 보낸 %1행은 건너뜁니다 (다시 인쇄하려면 --again).").arg(skipped));

    const int total = int(out.composed.cards.size());
    CardsResult sent{true, {}, 0};
    int inDoubt = -1;
    if (total > 0) {
        CardSendJob job(OpenTransport(out.order.kind, out.order.framing),
                        std::make_unique<PlainCardSource>(out.composed));
        run.watch(job.watch(), list, CardRows(out.composed));
        sent = SendCards(job, run, options);
        inDoubt = job.cardInDoubt();
    }
    run.finish(inDoubt);
    if (!sent.ok) {
        Report(sent.message);
        Report(QStringLiteral("카드 %1 / %2장을 온전히 보냈습니다. 이어서 인쇄하면 나머지만 보냅니다.")
                   .arg(sent.delivered)
                   .arg(total));
        if (inDoubt >= 0)
            Report(UncertainText(list.rows[CardRows(out.composed)[inDoubt]]));
        return ExitFailed;
    }
    Report((total > 0 ? QStringLiteral("카드 %1장을 보냈습니다. ").arg(total)
                      : QStringLiteral("보낼 카드가 없습니다. ")) +
           ListSummary(list));
    return errors > 0 ? ExitRowErrors : ExitSent;
}

} // namespace

int RunBatch(const QStringList& arguments) {
    BatchOptions options;
    try {
        options = ParseBatchOptions(arguments);
    } catch (const Failure& failure) {
        Report(failure.message());
        Report(QStringLiteral("도움말: hanlabel-batch --help"));
        return ExitFailed;
    }
    if (options.command == BatchOptions::Command::Help) {
        std::fputs(qPrintable(BatchHelpText()), stdout);
        return ExitSent;
    }
    if (options.command == BatchOptions::Command::Version) {
        std::fputs(qPrintable(VersionText(QStringLiteral("hanlabel-batch"))), stdout);
        return ExitSent;
    }
    try {
        CatchInterrupts();
        const FolderChoice choice = PrepareApplicationFolder();
        BatchEnvironment env;
        env.folder = choice.folder;
        env.glyphs.bind(ShippedFile(choice, GlyphDatabaseName));
        return options.command == BatchOptions::Command::Book ? RunBook(options, env)
                                                              : RunMembers(options, env);
    } catch (const Failure& failure) {
        Report(failure.message());
        return ExitFailed;
    }
}

} // namespace hanlabel
