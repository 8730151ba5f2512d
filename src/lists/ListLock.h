#pragma once

#include <QString>

namespace hanlabel {

// One run of a list at a time: an exclusive flock(2) on "LIST.csv.lock" beside the list, held for
// the whole run by whoever prints it (the list print dialog, hanlabel-batch), whatever user of the
// machine. The file is created once and never renamed or deleted, so the lock stays put while the
// marks file beside it is rewritten. It records who holds it, for the refusal of the next one.
//
//     ListLock lock(listPath, QStringLiteral("hanlabel-batch"));  // throws Failure when held
//     ... read the marks again, send, rewrite the marks ...
//                                                                 // released when it goes
class ListLock {
  public:
    // Takes the lock at once or throws Failure: "이 명단은 지금 다른 곳에서 인쇄 중입니다" with the
    // program and user the file records, or the lock file cannot be made (naming it, the reason and
    // where a copy of the list can go). `program` is recorded for the others.
    ListLock(const QString& listPath, const QString& program);
    ~ListLock();
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

    // The lock file of a list file.
    static QString PathFor(const QString& listPath);

  private:
    int m_fd = -1;
};

} // namespace hanlabel
