#include "DatabaseMutator.h"

#include <QHash>
#include <QSet>
#include <QtEndian>

namespace hanlabel::test {

namespace {

constexpr char kDataPage = 0x01;
constexpr char kTableDefinitionPage = 0x02;
constexpr qsizetype kDataPageHeaderSize = 14; // type .. row count
constexpr qsizetype kRowCountOffset = 12;
constexpr int kMostChangedBytes = 64;

quint32 int32At(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 int16At(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

const char* regionName(DatabaseMutator::Region region) {
    switch (region) {
    case DatabaseMutator::Region::DataPageHeaders:
        return "data-page headers";
    case DatabaseMutator::Region::RowOffsetTables:
        return "row-offset tables";
    case DatabaseMutator::Region::TableDefinition:
        return "table definition";
    case DatabaseMutator::Region::Anywhere:
        break;
    }
    return "whole file";
}

} // namespace

QString DatabaseMutator::Mutant::describe(int index) const {
    return QStringLiteral("copy %1: %2 bytes changed in the %3")
        .arg(index)
        .arg(changedBytes)
        .arg(QLatin1String(regionName(region)));
}

JetLayout FindJetLayout(const QByteArray& file) {
    JetLayout layout;
    const qsizetype pages = file.size() / kJetPageSize;
    QHash<quint32, int> owners;
    for (qsizetype page = 1; page < pages; ++page) {
        const qsizetype at = page * kJetPageSize;
        if (file[at] == kDataPage && file.mid(at + 4, 4) != "LVAL")
            ++owners[int32At(file, at + 4)];
    }
    quint32 mainTable = 0;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it)
        if (!mainTable || it.value() > owners.value(mainTable))
            mainTable = it.key();
    for (qsizetype page = 1; page < pages; ++page) {
        const qsizetype at = page * kJetPageSize;
        if (file[at] != kDataPage)
            continue;
        if (file.mid(at + 4, 4) == "LVAL")
            layout.longValuePages.append(page);
        else if (int32At(file, at + 4) == mainTable)
            layout.dataPages.append(page);
    }
    if (mainTable > 0 && qsizetype(mainTable) < pages &&
        file[qsizetype(mainTable) * kJetPageSize] == kTableDefinitionPage) {
        layout.tableDefinitionPage = mainTable;
        // The definition's own length (at offset 8) bounds the bytes worth changing.
        layout.tableDefinitionLength =
            qMin<qsizetype>(kJetPageSize, 8 + int32At(file, qsizetype(mainTable) * kJetPageSize + 8));
    }
    return layout;
}

int RowCountOfPage(const QByteArray& file, qsizetype page) {
    return int16At(file, page * kJetPageSize + kRowCountOffset);
}

DatabaseMutator::DatabaseMutator(QByteArray original, std::uint32_t seed)
    : m_original(std::move(original)), m_random(seed) {
    const JetLayout layout = FindJetLayout(m_original);
    for (const qsizetype page : layout.dataPages + layout.longValuePages) {
        const qsizetype at = page * kJetPageSize;
        for (qsizetype i = 0; i < kDataPageHeaderSize; ++i)
            m_offsets[int(Region::DataPageHeaders)].push_back(at + i);
        const qsizetype offsetBytes =
            qMin<qsizetype>(2 * RowCountOfPage(m_original, page), kJetPageSize - kDataPageHeaderSize);
        for (qsizetype i = 0; i < offsetBytes; ++i)
            m_offsets[int(Region::RowOffsetTables)].push_back(at + kDataPageHeaderSize + i);
    }
    for (qsizetype i = 0; i < layout.tableDefinitionLength; ++i)
        m_offsets[int(Region::TableDefinition)].push_back(layout.tableDefinitionPage * kJetPageSize + i);
    for (qsizetype i = 0; i < m_original.size(); ++i)
        m_offsets[int(Region::Anywhere)].push_back(i);
}

qsizetype DatabaseMutator::regionSize(Region region) const {
    return qsizetype(m_offsets[int(region)].size());
}

std::uint32_t DatabaseMutator::below(std::uint32_t bound) { return std::uint32_t(m_random() % bound); }

DatabaseMutator::Mutant DatabaseMutator::next() {
    Mutant mutant;
    Region region = Region(m_made++ % 4);
    while (m_offsets[int(region)].empty())
        region = Region((int(region) + 1) % 4);
    const std::vector<qsizetype>& offsets = m_offsets[int(region)];
    mutant.region = region;
    mutant.changedBytes = qMin(1 + int(below(kMostChangedBytes)), int(offsets.size()));
    mutant.bytes = m_original;
    QSet<qsizetype> changed; // each byte once, so that none changes back
    // Lengths and counts break most often at their extremes, so some bytes get one of those.
    static const char kExtremes[] = {'\x00', '\x01', '\x7F', '\x80', '\xFE', '\xFF'};
    for (int i = 0; i < mutant.changedBytes; ++i) {
        qsizetype at = offsets[below(std::uint32_t(offsets.size()))];
        while (changed.contains(at))
            at = offsets[below(std::uint32_t(offsets.size()))];
        changed.insert(at);
        const char old = mutant.bytes[at];
        char value;
        switch (below(3)) {
        case 0:
            value = char(old ^ (1 << below(8)));
            break;
        case 1:
            value = kExtremes[below(sizeof kExtremes)];
            break;
        default:
            value = char(below(256));
            break;
        }
        if (value == old)
            value = char(~old);
        mutant.bytes[at] = value;
    }
    return mutant;
}

} // namespace hanlabel::test
