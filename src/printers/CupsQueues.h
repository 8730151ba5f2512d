#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace hanlabel {

// The CUPS server to ask. libcups keeps its server per thread, so a worker thread is handed the
// one the user-interface thread was set up with.
struct CupsServerAddress {
    QByteArray host; // a host name or the path of a local socket
    int port = 631;
};
// The server libcups talks to on this thread (CUPS_SERVER, client.conf or cupsSetServer).
CupsServerAddress CurrentCupsServer();
// "host:port", or the socket's path.
QString CupsServerName(const CupsServerAddress& server);

// One print queue of the server.
struct CupsQueue {
    QString name;
    QString info;
    int state = 3; // 3 idle, 4 processing, 5 stopped (IPP printer-state)
    QStringList reasons;
    bool accepting = true;
    bool isDefault = false;
};

struct CupsQueueList {
    QList<CupsQueue> queues;
    QString failure; // why the server could not be asked, in Korean; empty when it answered
};

// The server's queues, asked over an own connection that gives up after the timeout.
CupsQueueList ListCupsQueues(const CupsServerAddress& server, int timeoutMs = 3000);

// Waits for a descriptor's events for at most ms; the events that came.
using DescriptorWait = std::function<short(int fd, short events, int ms)>;
// Why the CUPS server cannot be reached, in Korean: libcups names every failed connection alike
// ("Host is down"), so one bare connection attempt within the time asks the system. A server that
// accepts it after all is "연결이 끊어졌습니다". Gives up early once stop says so.
QString CupsConnectReason(const QByteArray& host, int port, int timeoutMs, const DescriptorWait& wait,
                          const std::function<bool()>& stop = {});

// Why the CUPS server failed a request, in the program's words whatever the locale: from the IPP
// status libcups reports (cupsLastError), or from the system's error number when the server could
// not be reached at all. An unknown status keeps libcups' own text after a Korean summary.
QString CupsStatusReason(int status, int systemError = 0);

// A queue's state in Korean: "대기 중", "인쇄 중, 용지 없음 (media-empty-error)", "멈춤, 작업 안 받음".
QString CupsQueueStateText(const CupsQueue& queue);

} // namespace hanlabel
