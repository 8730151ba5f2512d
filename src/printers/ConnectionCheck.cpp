#include "printers/ConnectionCheck.h"

#include "core/Failure.h"
#include "core/SystemReason.h"
#include "printers/PrinterTarget.h"
#include "printers/SerialLine.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QTcpSocket>

#include <cerrno>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace hanlabel {

namespace {

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';

// The <STX>...<ETX> strings of an answer, without their control characters.
QList<QByteArray> StatusStrings(const QByteArray& answer) {
    QList<QByteArray> strings;
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = answer.indexOf(kStx, from);
        if (start < 0)
            break;
        const qsizetype end = answer.indexOf(kEtx, start + 1);
        if (end < 0)
            break;
        strings << answer.mid(start + 1, end - start - 1);
        from = end + 1;
    }
    return strings;
}

CheckResult Result(CheckResult::Verdict verdict, QStringList lines) { return {verdict, std::move(lines)}; }

const QString kAnswered = QStringLiteral("프린터가 응답했습니다.");
const QString kNoAnswer = QStringLiteral("장치는 열리지만 프린터의 응답은 확인하지 못했습니다.");
const QString kWritable = QStringLiteral("파일에 쓸 수 있습니다.");

QString Seconds(std::chrono::milliseconds time) { return QString::number(time.count() / 1000.0); }

// The group an operator must belong to for a device, and how to join it.
QString GroupHint(const QString& group) {
    return QStringLiteral("운영자를 %1 그룹에 넣고 다시 로그인하세요: sudo usermod -aG %1 사용자이름")
        .arg(group);
}

// The outcome of asking "~HS": what was opened, then the answer, its absence or its state.
CheckResult StatusOutcome(const QString& opened, const QByteArray& answer, std::chrono::milliseconds waited) {
    if (answer.isEmpty())
        return Result(
            CheckResult::Attention,
            {kNoAnswer,
             QStringLiteral("%1: %2초 안에 상태 요청에 답이 없었습니다.").arg(opened, Seconds(waited)),
             QStringLiteral("프린터가 꺼져 있거나, 상태를 알리지 않는 기종이거나, 용지·리본이 없거나 "
                            "헤드가 열려 있으면 답하지 않습니다.")});
    QStringList lines{kAnswered, opened};
    const std::optional<HostStatus> status = ParseHostStatus(answer);
    if (!status) {
        lines << QStringLiteral("상태 응답을 읽을 수 없습니다: %1")
                     .arg(QString::fromLatin1(answer.left(80).toPercentEncoding(" ,")));
        return Result(CheckResult::Attention, lines);
    }
    const QStringList problems = HostStatusProblems(*status);
    if (problems.isEmpty()) {
        lines << QStringLiteral("프린터 상태: 이상 없음 (인쇄 준비됨)");
        return Result(CheckResult::Ready, lines);
    }
    for (const QString& problem : problems)
        lines << QStringLiteral("프린터 상태: %1").arg(problem);
    return Result(CheckResult::Attention, lines);
}

// Writes "~HS" to a descriptor opened for reading and writing and reads the answer until its
// three strings are in or the time is up. A descriptor that reports its end (/dev/null) has
// nobody to answer.
QByteArray AskStatus(int fd, std::chrono::milliseconds limit) {
    QDeadlineTimer deadline(limit);
    const QByteArray request("~HS");
    qsizetype written = 0;
    while (written < request.size() && !deadline.hasExpired()) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
            continue;
        const ssize_t n = ::write(fd, request.constData() + written, size_t(request.size() - written));
        if (n > 0)
            written += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return {};
    }
    QByteArray answer;
    while (written == request.size() && StatusStrings(answer).size() < 3 && !deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            answer.append(buffer, n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return answer;
}

// A device node: it opens; when it also reads (a USB printer's back channel), the printer is
// asked for its status. Another job's lock on the device is left alone.
CheckResult CheckDevice(const QString& path, const CheckOptions& options) {
    const QString name = PrinterTarget::path(path).spokenName();
    if (!QFileInfo::exists(path))
        return Result(CheckResult::Failed,
                      {QStringLiteral("장치가 없습니다: %1").arg(path),
                       QStringLiteral("프린터가 켜져 있고 케이블이 꽂혀 있는지 확인하세요.")});
    const QByteArray native = QFile::encodeName(path);
    const int flags = O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    bool readable = true;
    int fd = ::open(native.constData(), O_RDWR | flags);
    if (fd < 0) {
        readable = false;
        fd = ::open(native.constData(), O_WRONLY | flags);
    }
    if (fd < 0) {
        const int error = errno;
        QStringList lines{QStringLiteral("장치를 열 수 없습니다: %1 (%2)").arg(path, SystemReason(error))};
        if (error == EACCES || error == EPERM)
            lines << GroupHint(QStringLiteral("lp"));
        return Result(CheckResult::Failed, lines);
    }
    CheckResult result;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        result = Result(
            CheckResult::Attention,
            {kNoAnswer, QStringLiteral("%1: 다른 인쇄 작업이 보내는 중이라 묻지 않았습니다.").arg(name)});
    else if (!readable)
        result = Result(
            CheckResult::Attention,
            {kNoAnswer, QStringLiteral("%1: 쓰기로만 열려 프린터의 답을 읽을 수 없습니다.").arg(name)});
    else
        result = StatusOutcome(name, AskStatus(fd, options.status), options.status);
    ::close(fd);
    return result;
}

// A plain file: it, or the folder it would be made in, can be written. Nothing is written.
CheckResult CheckFile(const QString& path, const CheckOptions& options) {
    const QFileInfo file(path);
    if (file.exists() && !file.isFile())
        return CheckDevice(path, options);
    if (file.exists())
        return file.isWritable()
                   ? Result(CheckResult::Ready,
                            {kWritable, QStringLiteral("%1 (인쇄할 때마다 새로 씁니다)").arg(path)})
                   : Result(
                         CheckResult::Failed,
                         {QStringLiteral("파일에 쓸 수 없습니다: %1 (%2)").arg(path, SystemReason(EACCES))});
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return Result(CheckResult::Failed, {QStringLiteral("폴더가 없습니다: %1").arg(folder.filePath())});
    if (!folder.isWritable())
        return Result(CheckResult::Failed, {QStringLiteral("폴더에 파일을 만들 수 없습니다: %1 (%2)")
                                                .arg(folder.filePath(), SystemReason(EACCES))});
    return Result(CheckResult::Ready, {kWritable, QStringLiteral("%1 (첫 인쇄 때 만듭니다)").arg(path)});
}

// Why a network printer could not be reached, in the program's words.
QString SocketReason(const QTcpSocket& socket) {
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return SystemReason(ECONNREFUSED);
    case QAbstractSocket::HostNotFoundError:
        return NameLookupReason(EAI_NONAME);
    case QAbstractSocket::SocketTimeoutError:
        return SystemReason(ETIMEDOUT);
    case QAbstractSocket::RemoteHostClosedError:
        return SystemReason(ECONNRESET);
    case QAbstractSocket::NetworkError:
        return SystemReason(ENETUNREACH);
    case QAbstractSocket::SocketAccessError:
        return SystemReason(EACCES);
    default:
        break;
    }
    return QStringLiteral("연결 오류 (%1)").arg(socket.errorString());
}

// A network printer: the connection, then its answer to "~HS" within the status time.
CheckResult CheckNetwork(const PrinterTarget& printer, const CheckOptions& options) {
    const QString name = printer.spokenName();
    if (!printer.valid())
        return Result(
            CheckResult::Failed,
            {QStringLiteral("네트워크 프린터의 주소와 포트를 읽을 수 없습니다: %1").arg(printer.text())});
    QTcpSocket socket;
    socket.connectToHost(printer.host(), quint16(printer.port()));
    if (!socket.waitForConnected(int(options.connect.count())))
        return Result(CheckResult::Failed,
                      {QStringLiteral("%1에 연결할 수 없습니다: %2").arg(name, SocketReason(socket))});
    socket.write("~HS");
    QByteArray answer;
    QDeadlineTimer deadline(options.status);
    while (StatusStrings(answer).size() < 3 && !deadline.hasExpired() &&
           socket.state() == QAbstractSocket::ConnectedState) {
        if (socket.bytesToWrite() > 0)
            socket.waitForBytesWritten(int(deadline.remainingTime()));
        else if (socket.waitForReadyRead(int(deadline.remainingTime())))
            answer += socket.readAll();
    }
    answer += socket.readAll();
    socket.abort();
    return StatusOutcome(name, answer, options.status);
}

// A CUPS queue ("cups:" alone is the server's default queue): it exists; its state and reasons.
CheckResult CheckQueue(const QString& wanted, const CheckOptions& options) {
    const CupsQueueList list = ListCupsQueues(options.cups, int(options.connect.count()));
    if (!list.failure.isEmpty())
        return Result(CheckResult::Failed, {list.failure});
    const QString server = CupsServerName(options.cups);
    for (const CupsQueue& queue : list.queues) {
        if (wanted.isEmpty() ? !queue.isDefault : queue.name != wanted)
            continue;
        const bool ready = queue.state != 5 && queue.accepting && queue.reasons.isEmpty();
        return Result(ready ? CheckResult::Ready : CheckResult::Attention,
                      {QStringLiteral("CUPS 서버가 프린터 큐 %1을(를) 알려 주었습니다 (서버 %2).")
                           .arg(queue.name, server),
                       QStringLiteral("상태: %1").arg(CupsQueueStateText(queue))});
    }
    return Result(CheckResult::Failed,
                  {wanted.isEmpty()
                       ? QStringLiteral("CUPS 서버 %1에 기본 프린터 큐가 없습니다.").arg(server)
                       : QStringLiteral("CUPS 서버 %1에 프린터 큐 %2이(가) 없습니다.").arg(server, wanted)});
}

// Serial port 1: the device opens at 9600 baud with the framing and the printer is asked for its
// status on the line.
CheckResult CheckSerial(const QString& device, SerialFraming framing, const CheckOptions& options) {
    if (!QFileInfo::exists(device))
        return Result(CheckResult::Failed, {QStringLiteral("직렬 장치가 없습니다: %1").arg(device),
                                            QStringLiteral("USB 직렬 변환기라면 꽂혀 있는지 확인하세요.")});
    QSerialPort port;
    try {
        OpenSerialLine(port, device, framing, QIODevice::ReadWrite);
    } catch (const Failure& failure) {
        QStringList lines{failure.message()};
        if (!QFileInfo(device).isWritable())
            lines << GroupHint(QStringLiteral("dialout"));
        return Result(CheckResult::Failed, lines);
    }
    const int fd = int(port.handle());
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const QByteArray answer = AskStatus(fd, options.status);
    port.close();
    return StatusOutcome(QStringLiteral("직렬 장치 %1 (%2)").arg(device, FramingText(framing)), answer,
                         options.status);
}

} // namespace

std::optional<HostStatus> ParseHostStatus(const QByteArray& answer) {
    const QList<QByteArray> strings = StatusStrings(answer);
    if (strings.size() < 2)
        return std::nullopt;
    const QList<QByteArray> first = strings[0].trimmed().split(',');
    const QList<QByteArray> second = strings[1].trimmed().split(',');
    if (first.size() < 12 || second.size() < 4)
        return std::nullopt;
    const auto flag = [](const QByteArray& field) { return field.trimmed() == "1"; };
    HostStatus status;
    status.paperOut = flag(first[1]);
    status.paused = flag(first[2]);
    status.formatsInBuffer = first[4].trimmed().toInt();
    status.bufferFull = flag(first[5]);
    status.partialFormat = flag(first[7]);
    status.corruptRam = flag(first[9]);
    status.underTemperature = flag(first[10]);
    status.overTemperature = flag(first[11]);
    status.headOpen = flag(second[2]);
    status.ribbonOut = flag(second[3]);
    return status;
}

QStringList HostStatusProblems(const HostStatus& status) {
    QStringList problems;
    const std::pair<bool, QString> conditions[] = {
        {status.paperOut, QStringLiteral("용지가 없습니다")},
        {status.paused, QStringLiteral("일시 정지되어 있습니다 (PAUSE 버튼으로 풉니다)")},
        {status.headOpen, QStringLiteral("헤드가 열려 있습니다")},
        {status.ribbonOut, QStringLiteral("리본이 없습니다")},
        {status.bufferFull, QStringLiteral("수신 버퍼가 가득 찼습니다")},
        {status.partialFormat, QStringLiteral("다 받지 못한 라벨 형식이 프린터에 남아 있습니다 (끊긴 작업)")},
        {status.corruptRam, QStringLiteral("프린터 설정 데이터가 손상되었습니다")},
        {status.underTemperature, QStringLiteral("헤드 온도가 너무 낮습니다")},
        {status.overTemperature, QStringLiteral("헤드 온도가 너무 높습니다")},
    };
    for (const auto& [present, text] : conditions)
        if (present)
            problems << text;
    if (status.formatsInBuffer > 0 && !problems.isEmpty())
        problems << QStringLiteral("인쇄를 기다리는 라벨 형식: %1개").arg(status.formatsInBuffer);
    return problems;
}

CheckResult CheckPortTarget(ChannelKind kind, const QString& target, SerialFraming framing,
                            const CheckOptions& options) {
    if (kind == ChannelKind::Serial)
        return CheckSerial(target, framing, options);
    const PrinterTarget printer = PrinterTarget::parse(target);
    switch (printer.kind()) {
    case PrinterTarget::Kind::Device:
        return CheckDevice(target, options);
    case PrinterTarget::Kind::Queue:
        return CheckQueue(printer.queueName(), options);
    case PrinterTarget::Kind::Network:
        return CheckNetwork(printer, options);
    case PrinterTarget::Kind::Preview:
        if (!printer.filePath().isEmpty())
            return CheckFile(printer.filePath(), options);
        return Result(CheckResult::Ready, {QStringLiteral("라벨을 화면의 미리보기 창에 보여 줍니다.")});
    case PrinterTarget::Kind::File:
        break;
    }
    return CheckFile(target, options);
}

} // namespace hanlabel
