#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

namespace hanlabel::test {

// A TCP socket bound to a free port of 127.0.0.1, listening when backlog >= 0; its port goes to *port.
int LoopbackSocket(int backlog, quint16* port);

// The three strings of a "~HS" answer with the given fields of the first two.
QByteArray HostStatusAnswer(const QByteArray& first, const QByteArray& second);
// Answers of a ready printer, one out of paper, and one paused with two formats waiting.
extern const QByteArray kAllFine;
extern const QByteArray kPaperOut;
extern const QByteArray kPaused;

// A ZPL printer on 127.0.0.1 for one connection: waits for "~HS" and answers it (or, with an
// empty answer, reads and never answers).
class FakePrinter {
  public:
    explicit FakePrinter(QByteArray answer);
    ~FakePrinter();
    QString target() const;

  private:
    bool readable(int fd);
    void serve();

    QByteArray m_answer;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    QByteArray m_received;
};

} // namespace hanlabel::test
