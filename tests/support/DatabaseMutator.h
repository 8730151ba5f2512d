#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <random>
#include <vector>

namespace hanlabel::test {

constexpr qsizetype kJetPageSize = 4096;

// Where the main table of an Access 2000 (Jet 4) file lies: the table whose definition most data
// pages name, its data pages and the long-value (memo) pages, in file order.
struct JetLayout {
    qsizetype tableDefinitionPage = -1;
    qsizetype tableDefinitionLength = 0; // bytes of the definition on its page
    QList<qsizetype> dataPages;
    QList<qsizetype> longValuePages;
};
JetLayout FindJetLayout(const QByteArray& file);

// Number of rows in the row-offset table of a data page.
int RowCountOfPage(const QByteArray& file, qsizetype page);

// Damaged copies of an Access 2000 (Jet 4) database, each with 1 to 64 bytes changed, made from a
// fixed seed so that every run makes the same copies. The places changed are taken in turn from
// the main table's data-page headers, their row-offset tables, its table definition, and anywhere.
class DatabaseMutator {
  public:
    enum class Region { DataPageHeaders, RowOffsetTables, TableDefinition, Anywhere };

    struct Mutant {
        QByteArray bytes;
        Region region;
        int changedBytes = 0;
        QString describe(int index) const;
    };

    DatabaseMutator(QByteArray original, std::uint32_t seed);
    Mutant next();
    // Number of byte positions each region offers; a region without any is never chosen.
    qsizetype regionSize(Region region) const;

  private:
    std::uint32_t below(std::uint32_t bound); // uniform enough for test data, same on every library

    QByteArray m_original;
    std::mt19937 m_random;
    std::vector<qsizetype> m_offsets[4];
    int m_made = 0;
};

} // namespace hanlabel::test
