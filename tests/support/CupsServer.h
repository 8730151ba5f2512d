#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace hanlabel::test {

// A port on 127.0.0.1 where nothing listens (it was free a moment ago).
quint16 FreeLoopbackPort();

// A private cupsd on 127.0.0.1 with one raw queue "hanlabel" whose device is a TCP peer, and any
// further queues given as printers.conf entries.
class CupsServer {
  public:
    // False, with the reason, when cupsd is missing, the test is not root or it did not come up.
    bool start(quint16 devicePort, QString* why, const QString& moreQueues = {});
    ~CupsServer();

    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QByteArray readLog() const;

  private:
    bool accepting() const;

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

} // namespace hanlabel::test
