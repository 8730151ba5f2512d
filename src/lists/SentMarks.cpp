#include "lists/SentMarks.h"

#include "core/Failure.h"
#include "core/RewriteFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hanlabel {

namespace {

const QByteArray kFirstLine = "hanlabel sent 1";
constexpr int kFingerprintDigits = 16;

QString ShownName(const QString& path) { return QFileInfo(path).fileName(); }

QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// What a line of the file says about a card.
enum class Kind { Sent, Sending, NotSent };

// One "[?|-\t]<line>\t<fingerprint>" line; false when it is not one.
bool ReadMark(const QByteArray& text, Kind& kind, SentMarks::Mark& mark) {
    QList<QByteArray> parts = text.split('\t');
    kind = Kind::Sent;
    if (parts.size() == 3 && (parts[0] == "?" || parts[0] == "-")) {
        kind = parts[0] == "?" ? Kind::Sending : Kind::NotSent;
        parts.removeFirst();
    }
    bool ok = false;
    mark.line = parts.value(0).toInt(&ok);
    mark.fingerprint = parts.value(1);
    return parts.size() == 2 && ok && mark.line > 0 && !mark.fingerprint.isEmpty();
}

QByteArray MarkLine(const char* prefix, int line, const QByteArray& fingerprint) {
    return prefix + QByteArray::number(line) + '\t' + fingerprint + '\n';
}

// Gives each row without a mark yet the first unused mark it takes: first by line and fingerprint,
// then by fingerprint alone in list order. Hash look-ups keep it linear.
void Match(MemberList& list, const QList<SentMarks::Mark>& marks, bool ListRow::*flag) {
    if (marks.isEmpty())
        return;
    QList<bool> used(marks.size(), false);
    QHash<SentMarks::Mark, qsizetype> exact;
    exact.reserve(marks.size());
    for (qsizetype i = 0; i < marks.size(); ++i)
        exact.insert(marks[i], i);
    const auto taken = [](const ListRow& row) { return row.sent || row.uncertain; };
    qsizetype left = marks.size();
    for (ListRow& row : list.rows) {
        if (taken(row))
            continue;
        const auto it = exact.constFind({row.line, row.fingerprint});
        if (it != exact.constEnd() && !used[*it]) {
            row.*flag = used[*it] = true;
            --left;
        }
    }
    if (left == 0)
        return;
    QHash<QByteArray, QList<qsizetype>> byFingerprint;
    for (qsizetype i = 0; i < marks.size(); ++i)
        if (!used[i])
            byFingerprint[marks[i].fingerprint].append(i);
    QHash<QByteArray, qsizetype> next; // how far each fingerprint's list has been used up
    for (ListRow& row : list.rows) {
        if (taken(row))
            continue;
        const auto it = byFingerprint.constFind(row.fingerprint);
        if (it == byFingerprint.constEnd())
            continue;
        qsizetype& at = next[row.fingerprint];
        while (at < it->size() && used[it->at(at)])
            ++at;
        if (at < it->size())
            row.*flag = used[it->at(at++)] = true;
    }
}

} // namespace

QString SentMarks::PathFor(const QString& listPath) { return listPath + QStringLiteral(".sent"); }

SentMarks SentMarks::Load(const QString& path) {
    SentMarks marks;
    QFile file(path);
    if (!file.exists())
        return marks;
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("보낸 표시 파일을 읽을 수 없습니다: %1\n(%2)")
                          .arg(ShownName(path), file.errorString()));
    const QByteArray content = file.readAll();
    QList<QByteArray> lines = content.split('\n');
    // The line after the last line end: empty, or one the program was writing when it ended.
    const QByteArray unfinished = lines.takeLast();
    if (lines.isEmpty())
        lines.append(unfinished);
    if (lines.value(0).trimmed() != kFirstLine)
        throw Failure(QStringLiteral("보낸 표시 파일의 형식이 아닙니다: %1").arg(ShownName(path)));

    QSet<Mark>& sent = marks.m_sentSet;
    QSet<Mark> sending;
    sent.reserve(lines.size());
    marks.m_marks.reserve(lines.size());
    const auto take = [&](Kind kind, const Mark& mark) {
        if (kind == Kind::Sent) {
            const qsizetype before = sent.size();
            sent.insert(mark);
            if (sent.size() != before)
                marks.m_marks.append(mark);
            if (!sending.isEmpty())
                sending.remove(mark);
        } else if (kind == Kind::Sending) {
            if (!sending.contains(mark))
                marks.m_uncertain.append(mark);
            sending.insert(mark);
        } else {
            sending.remove(mark);
        }
    };
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        Kind kind;
        Mark mark;
        if (!ReadMark(line, kind, mark))
            throw Failure(QStringLiteral("보낸 표시 파일 %1의 %2행을 읽을 수 없습니다.")
                              .arg(ShownName(path))
                              .arg(i + 1));
        take(kind, mark);
    }
    Kind kind;
    Mark mark;
    if (lines.size() > 1 && ReadMark(unfinished.trimmed(), kind, mark) &&
        mark.fingerprint.size() == kFingerprintDigits)
        take(kind, mark);
    marks.m_uncertain.removeIf([&](const Mark& m) { return !sending.contains(m) || sent.contains(m); });
    return marks;
}

void SentMarks::save(const QString& path) const {
    QByteArray content = kFirstLine + '\n';
    for (const Mark& mark : m_marks)
        content += MarkLine("", mark.line, mark.fingerprint);
    for (const Mark& mark : m_uncertain)
        content += MarkLine("?\t", mark.line, mark.fingerprint);
    if (const QString reason = RewriteFile(path, content); !reason.isEmpty())
        throw Failure(
            QStringLiteral("보낸 표시 파일에 쓸 수 없습니다: %1\n(%2)").arg(ShownName(path), reason));
}

void SentMarks::add(const ListRow& row) {
    const Mark mark{row.line, row.fingerprint};
    if (!m_uncertain.isEmpty())
        m_uncertain.removeOne(mark); // few: only the cards of runs that ended unseen
    if (!m_sentSet.contains(mark)) {
        m_sentSet.insert(mark);
        m_marks.append(mark);
    }
}

void SentMarks::addUncertain(const ListRow& row) {
    const Mark mark{row.line, row.fingerprint};
    if (!m_uncertain.contains(mark) && !m_sentSet.contains(mark))
        m_uncertain.append(mark);
}

void SentMarks::clear() {
    m_marks.clear();
    m_uncertain.clear();
    m_sentSet.clear();
}

void ApplySentMarks(MemberList& list, const SentMarks& marks) {
    for (ListRow& row : list.rows)
        row.sent = row.uncertain = false;
    Match(list, marks.marks(), &ListRow::sent);
    Match(list, marks.uncertain(), &ListRow::uncertain);
}

void MarkCardsSent(MemberList& list, SentMarks& marks, const ComposedList& composed, int count) {
    for (int i = 0; i < count && i < composed.cards.size(); ++i) {
        ListRow& row = list.rows[composed.cards[i].row];
        row.sent = true;
        row.uncertain = false;
        marks.add(row);
    }
}

QString BesideListFailure(const QString& what, const QString& path, const QString& reason) {
    const QString home = qEnvironmentVariable("HOME");
    return QStringLiteral("%1에 쓸 수 없습니다: %2\n(%3)\n아무것도 보내지 않았습니다. 명단이 있는 폴더에 쓸 수 "
                          "없으면, 명단 파일을 쓸 수 있는 폴더%4에 복사해 그 사본을 열어 인쇄하십시오.")
        .arg(what, QDir::toNativeSeparators(path), reason,
             home.isEmpty() ? QString() : QStringLiteral("(예: 사용자 폴더 %1)").arg(home));
}

std::unique_ptr<MarksJournal> MarksJournal::Open(const QString& listPath) {
    const QString path = SentMarks::PathFor(listPath);
    const auto refuse = [&](int error) {
        return Failure(BesideListFailure(QStringLiteral("보낸 표시 파일"), path, SystemText(error)));
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw refuse(errno);
    std::unique_ptr<MarksJournal> journal(new MarksJournal(fd, path));
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw refuse(errno);
    if (!S_ISREG(st.st_mode))
        throw refuse(EINVAL);
    char last = '\n';
    if (st.st_size == 0) {
        journal->append(kFirstLine + '\n');
        // The new name itself must survive a power cut.
        const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    } else if (::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') {
        journal->append("\n"); // ends a line cut short, which reading leaves out
    }
    return journal;
}

MarksJournal::~MarksJournal() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void MarksJournal::append(const QByteArray& line) {
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(m_fd, line.constData() + done, size_t(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw Failure(QStringLiteral("보낸 표시 파일에 쓸 수 없습니다: %1\n(%2)")
                              .arg(ShownName(m_path), SystemText(n < 0 ? errno : ENOSPC)));
        done += n;
    }
    while (::fdatasync(m_fd) != 0) {
        if (errno != EINTR)
            throw Failure(QStringLiteral("보낸 표시 파일을 디스크에 쓸 수 없습니다: %1\n(%2)")
                              .arg(ShownName(m_path), SystemText(errno)));
    }
}

void MarksJournal::sending(const ListRow& row) { append(MarkLine("?\t", row.line, row.fingerprint)); }

void MarksJournal::sent(const ListRow& row) { append(MarkLine("", row.line, row.fingerprint)); }

void MarksJournal::notSent(const ListRow& row) { append(MarkLine("-\t", row.line, row.fingerprint)); }

} // namespace hanlabel
