#include "printers/PrinterMapping.h"

#include "core/AppFolder.h"
#include "core/Failure.h"
#include "core/LineBreak.h"
#include "core/SystemReason.h"
#include "printers/PrinterTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>

namespace hanlabel {

namespace {

const QString kGlyphsKey = QStringLiteral("GLYPHS");
const QString kGlyphsEveryCard = QStringLiteral("every-card");

QMutex& SystemFileLock() {
    static QMutex lock;
    return lock;
}

QString& SystemFile() {
    static QString path = QStringLiteral("/etc/hanlabel/printer.ini");
    return path;
}

} // namespace

// The mapping file is read by programs started from anywhere, so a path in it must not depend on
// the current folder.
QString PortValueProblem(ChannelKind kind, const QString& value) {
    if (value.isEmpty())
        return {};
    for (QChar ch : value)
        if (IsLineBreak(ch) || (ch.unicode() < 0x20 && ch != u'\t') || ch.unicode() == 0x7f)
            return QStringLiteral("값 안에 줄바꿈이나 제어 문자가 있습니다");
    const PrinterTarget target = PrinterTarget::parse(value);
    if (!target.valid())
        return QStringLiteral("네트워크 프린터의 주소와 포트를 읽을 수 없습니다: %1").arg(value);
    const bool isPath =
        target.kind() == PrinterTarget::Kind::Device || target.kind() == PrinterTarget::Kind::File;
    if (kind == ChannelKind::Serial && !isPath)
        return QStringLiteral("직렬 포트에는 장치만 정할 수 있습니다: %1").arg(value);
    const bool hasPath =
        isPath || (target.kind() == PrinterTarget::Kind::Preview && !target.filePath().isEmpty());
    if (hasPath && QDir::isRelativePath(target.filePath()))
        return QStringLiteral("전체 경로가 아닙니다 (/로 시작해야 합니다): %1").arg(target.filePath());
    return {};
}

namespace {

// A line shown in a message: its first characters, with control characters made visible.
QString ShownLine(const QString& line) {
    QString shown;
    for (QChar ch : line.left(60))
        shown += ch.unicode() < 0x20 || IsLineBreak(ch) ? QChar(u'\uFFFD') : ch;
    return line.size() > 60 ? shown + QStringLiteral("...") : shown;
}

// The entry of one port in a mapping.
QString& Entry(PrinterMapping& mapping, ChannelKind kind) {
    return kind == ChannelKind::Parallel ? mapping.lpt1 : mapping.com1;
}

QString SourceNote(const PortTarget& port) {
    switch (port.source) {
    case TargetSource::Environment:
        return QStringLiteral(" (프로그램을 시작할 때 정해진 연결: 프린터 연결 창에 나옵니다)");
    case TargetSource::SystemFile:
        return QStringLiteral(" (이 컴퓨터 전체의 설정 %1)").arg(port.origin);
    case TargetSource::Default:
        return QStringLiteral(" (프린터를 아직 고르지 않아 기본 장치)");
    case TargetSource::OperatorFile:
        break;
    }
    return {};
}

} // namespace

MappingFileContent ReadPrinterMappingFile(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("프린터 연결 설정 파일을 읽을 수 없습니다: %1\n(%2)")
                          .arg(path, errno != 0 ? SystemReason(errno) : file.errorString()));
    MappingFileContent content;
    int number = 0;
    for (QByteArray raw : file.readAll().split('\n')) {
        ++number;
        if (raw.endsWith('\r'))
            raw.chop(1);
        QStringDecoder decode(QStringDecoder::Utf8);
        const QString whole = decode(raw);
        const auto problem = [&](const QString& why) {
            content.problems << QStringLiteral("%1, %2번째 줄: %3").arg(path).arg(number).arg(why);
        };
        if (decode.hasError()) {
            problem(QStringLiteral("UTF-8로 읽을 수 없는 글자가 있습니다"));
            continue;
        }
        const QString line = whole.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        const QString key = equals < 0 ? QString() : line.left(equals).trimmed().toUpper();
        // Inside the line, not only its trimmed ends: a break there would be a line of its own
        // in another reader.
        const QString value = whole.mid(whole.indexOf(u'=') + 1).trimmed();
        const bool broken = std::any_of(whole.begin(), whole.end(), [](QChar ch) { return IsLineBreak(ch); });
        if (key == PortName(ChannelKind::Parallel) || key == PortName(ChannelKind::Serial)) {
            const ChannelKind kind =
                key == PortName(ChannelKind::Parallel) ? ChannelKind::Parallel : ChannelKind::Serial;
            const QString why = broken ? QStringLiteral("값 안에 줄바꿈이나 제어 문자가 있습니다")
                                       : PortValueProblem(kind, value);
            if (!why.isEmpty())
                problem(why);
            else
                Entry(content.mapping, kind) = value;
        } else if (key == kGlyphsKey) {
            if (!broken && (value.isEmpty() || value == kGlyphsEveryCard))
                content.mapping.setGlyphsEveryCard(!value.isEmpty());
            else
                problem(QStringLiteral("GLYPHS에는 %1만 쓸 수 있습니다").arg(kGlyphsEveryCard));
        } else {
            problem(QStringLiteral("알 수 없는 줄입니다: %1").arg(ShownLine(line)));
        }
    }
    return content;
}

PrinterMapping ReadPrinterMapping(const QString& path) {
    MappingFileContent content = ReadPrinterMappingFile(path);
    if (!content.problems.isEmpty())
        throw Failure(QStringLiteral("프린터 연결 설정 파일에 읽을 수 없는 줄이 있습니다.\n%1")
                          .arg(content.problems.join(u'\n')));
    return content.mapping;
}

void WritePrinterMapping(const QString& path, const PrinterMapping& mapping) {
    const QByteArray content =
        (QStringLiteral("# hanlabel 프린터 연결: 라벨 창의 포트 선택 LPT1과 COM1이 인쇄되는 곳\n"
                        "LPT1=%1\nCOM1=%2\n")
             .arg(mapping.lpt1, mapping.com1) +
         (mapping.glyphsEveryCard() ? QStringLiteral("%1=%2\n").arg(kGlyphsKey, kGlyphsEveryCard)
                                    : QString()))
            .toUtf8();
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (file.write(content) != content.size())
        reason = file.errorString();
    else if (!file.commit())
        reason = file.errorString();
    if (!reason.isEmpty())
        throw Failure(QStringLiteral("프린터 연결 설정 파일에 쓸 수 없습니다: %1\n(%2)").arg(path, reason));
}

QString SystemPrinterMappingFile() {
    QMutexLocker locker(&SystemFileLock());
    return SystemFile();
}

void SetSystemPrinterMappingFile(const QString& path) {
    QMutexLocker locker(&SystemFileLock());
    SystemFile() = path;
}

MappingPlaces DefaultMappingPlaces() {
    return {ApplicationFile(ApplicationFolder(), PrinterMappingFileName), SystemPrinterMappingFile()};
}

bool GlyphsEveryCard(const MappingPlaces& places) {
    return ReadPrinterMapping(places.operatorFile).glyphsEveryCard();
}

void SetGlyphsEveryCard(bool everyCard, const MappingPlaces& places) {
    PrinterMapping mapping = ReadPrinterMapping(places.operatorFile);
    mapping.setGlyphsEveryCard(everyCard);
    WritePrinterMapping(places.operatorFile, mapping);
}

QString PortVariable(ChannelKind kind) {
    return kind == ChannelKind::Parallel ? QStringLiteral("HANLABEL_LPT1") : QStringLiteral("HANLABEL_COM1");
}

QString PortName(ChannelKind kind) {
    return kind == ChannelKind::Parallel ? QStringLiteral("LPT1") : QStringLiteral("COM1");
}

QString DefaultPortTarget(ChannelKind kind) {
#ifdef Q_OS_WIN
    return PortName(kind);
#else
    return kind == ChannelKind::Parallel ? QStringLiteral("/dev/lp0") : QStringLiteral("/dev/ttyS0");
#endif
}

PortTarget ResolvePortTarget(ChannelKind kind, const MappingPlaces& places, QStringList* problems) {
    // Collecting, both files are read so that every line in question is named at once.
    PrinterMapping own, system;
    if (problems) {
        MappingFileContent ownContent = ReadPrinterMappingFile(places.operatorFile);
        MappingFileContent systemContent = ReadPrinterMappingFile(places.systemFile);
        *problems << ownContent.problems << systemContent.problems;
        own = ownContent.mapping;
        system = systemContent.mapping;
    }
    const QString variable = PortVariable(kind);
    if (const QString value = qEnvironmentVariable(variable.toLatin1().constData()); !value.isEmpty())
        return {value, TargetSource::Environment, variable};
    if (!problems)
        own = ReadPrinterMapping(places.operatorFile);
    if (const QString& value = Entry(own, kind); !value.isEmpty())
        return {value, TargetSource::OperatorFile, places.operatorFile};
    if (!problems)
        system = ReadPrinterMapping(places.systemFile);
    if (const QString& value = Entry(system, kind); !value.isEmpty())
        return {value, TargetSource::SystemFile, places.systemFile};
    return {DefaultPortTarget(kind), TargetSource::Default, {}};
}

PortTarget ResolvePortTarget(ChannelKind kind, const MappingPlaces& places) {
    return ResolvePortTarget(kind, places, nullptr);
}

PortTarget ResolvePortTarget(ChannelKind kind) { return ResolvePortTarget(kind, DefaultMappingPlaces()); }

QString PortDestinationText(const QString& portText, SerialFraming framing, const MappingPlaces& places) {
    const ChannelKind kind = ChooseChannel(portText);
    const QString shown = portText.isEmpty() ? QStringLiteral("(빈 칸)") : portText;
    // Any other text than "LPT1" is serial port 1, which the tooltip says when it is not "COM1".
    const QString port = kind == ChannelKind::Serial && portText != PortName(kind)
                             ? QStringLiteral("직렬 포트 1: ")
                             : QString();
    try {
        const PortTarget target = ResolvePortTarget(kind, places);
        return QStringLiteral("%1 → %2%3%4")
            .arg(shown, port, PortTargetName(kind, target.target, framing), SourceNote(target));
    } catch (const Failure& failure) {
        return QStringLiteral("%1 → %2?\n%3").arg(shown, port, failure.message());
    }
}

QString PortTargetName(ChannelKind kind, const QString& target, SerialFraming framing) {
    if (kind == ChannelKind::Serial)
        return QStringLiteral("직렬 장치 %1 (%2)").arg(target, FramingText(framing));
    return PrinterTarget::parse(target).spokenName();
}

bool NoPrinterChosen(ChannelKind kind, const MappingPlaces& places) {
    try {
        const PortTarget target = ResolvePortTarget(kind, places);
        return target.source == TargetSource::Default && !QFileInfo::exists(target.target);
    } catch (const Failure&) {
        return false; // the files say something, even if it cannot be read
    }
}

bool PrintsToPreviewWindow(ChannelKind kind) {
    if (kind != ChannelKind::Parallel)
        return false;
    try {
        return PrinterTarget::parse(ResolvePortTarget(kind).target) == PrinterTarget::preview();
    } catch (const Failure&) {
        return false;
    }
}

bool NoPrinterChosen(ChannelKind kind) { return NoPrinterChosen(kind, DefaultMappingPlaces()); }

QString PortDestinationText(const QString& portText, SerialFraming framing) {
    return PortDestinationText(portText, framing, DefaultMappingPlaces());
}

QString PrinterDialogHint() {
    return QStringLiteral("\n메뉴의 \"프린터 연결...\"에서 프린터를 고르고 \"연결 확인\"을 눌러 보세요.");
}

} // namespace hanlabel
