#include "lists/SentMarks.h"

#include "core/RewriteFile.h"
#include "core/Failure.h"

#include <QFile>
#include <QFileInfo>

namespace hanlabel {

namespace {

const QByteArray kFirstLine = "hanlabel sent 1";

QString ShownName(const QString& path) { return QFileInfo(path).fileName(); }

// One "<line>\t<fingerprint>" line; false when it is not one.
bool ReadMark(const QByteArray& text, SentMarks::Mark& mark) {
    const QList<QByteArray> parts = text.split('\t');
    bool ok = false;
    mark.line = parts.value(0).toInt(&ok);
    mark.fingerprint = parts.value(1);
    return parts.size() == 2 && ok && mark.line > 0 && !mark.fingerprint.isEmpty();
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
    QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray& line : lines)
        line = line.trimmed();
    if (lines.value(0) != kFirstLine)
        throw Failure(QStringLiteral("보낸 표시 파일의 형식이 아닙니다: %1").arg(ShownName(path)));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        Mark mark;
        if (!ReadMark(lines[i], mark))
            throw Failure(QStringLiteral("보낸 표시 파일 %1의 %2행을 읽을 수 없습니다.")
                              .arg(ShownName(path))
                              .arg(i + 1));
        marks.m_marks.append(mark);
    }
    return marks;
}

void SentMarks::save(const QString& path) const {
    QByteArray content = kFirstLine + '\n';
    for (const Mark& mark : m_marks)
        content += QByteArray::number(mark.line) + '\t' + mark.fingerprint + '\n';
    if (const QString reason = RewriteFile(path, content); !reason.isEmpty())
        throw Failure(
            QStringLiteral("보낸 표시 파일에 쓸 수 없습니다: %1\n(%2)").arg(ShownName(path), reason));
}

void SentMarks::add(const ListRow& row) {
    const Mark mark{row.line, row.fingerprint};
    if (!m_marks.contains(mark))
        m_marks.append(mark);
}

void ApplySentMarks(MemberList& list, const SentMarks& marks) {
    const QList<SentMarks::Mark>& all = marks.marks();
    QList<bool> used(all.size(), false);
    for (ListRow& row : list.rows)
        row.sent = false;
    // Each pass gives a row the first unused mark it accepts.
    const auto pass = [&](auto accepts) {
        for (ListRow& row : list.rows)
            for (qsizetype i = 0; !row.sent && i < all.size(); ++i)
                if (!used[i] && accepts(row, all[i]))
                    row.sent = used[i] = true;
    };
    pass([](const ListRow& row, const SentMarks::Mark& m) {
        return m.line == row.line && m.fingerprint == row.fingerprint;
    });
    pass([](const ListRow& row, const SentMarks::Mark& m) { return m.fingerprint == row.fingerprint; });
}

void MarkCardsSent(MemberList& list, SentMarks& marks, const ComposedList& composed, int count) {
    for (int i = 0; i < count && i < composed.cards.size(); ++i) {
        ListRow& row = list.rows[composed.cards[i].row];
        row.sent = true;
        marks.add(row);
    }
}

} // namespace hanlabel
