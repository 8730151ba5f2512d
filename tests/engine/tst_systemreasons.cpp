#include "core/SystemReason.h"
#include "printers/CupsQueues.h"

#include <QTest>

#include <cerrno>
#include <clocale>

#include <cups/ipp.h>
#include <netdb.h>

using namespace hanlabel;

// The reasons a print or a check fails, in the program's own Korean whatever the locale: the C
// library's texts are English under C and its own Korean under ko_KR.UTF-8.
class TestSystemReasons : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { std::setlocale(LC_ALL, "C"); }
    void reasons_data();
    void reasons();
};

void TestSystemReasons::reasons_data() {
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("kind"); // errno, lookup (getaddrinfo) or cups (IPP status, errno)
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason"); // a trailing … : the system's text follows
    const struct {
        const char* kind;
        const char* name;
        int code;
        int error;
        QString reason;
    } rows[] = {
        {"errno", "ENOENT", ENOENT, 0, QStringLiteral("그런 파일이나 장치가 없습니다")},
        {"errno", "ENXIO", ENXIO, 0, QStringLiteral("장치가 없거나 받는 쪽이 열려 있지 않습니다")},
        {"errno", "ENODEV", ENODEV, 0, QStringLiteral("장치가 없거나 받는 쪽이 열려 있지 않습니다")},
        {"errno", "EACCES", EACCES, 0, QStringLiteral("권한이 없습니다")},
        {"errno", "EPERM", EPERM, 0, QStringLiteral("권한이 없습니다")},
        {"errno", "EPIPE", EPIPE, 0, QStringLiteral("받는 쪽이 닫혀 더 보낼 수 없습니다")},
        {"errno", "EBUSY", EBUSY, 0, QStringLiteral("다른 프로그램이 장치를 쓰고 있습니다")},
        {"errno", "ENOSPC", ENOSPC, 0, QStringLiteral("디스크에 남은 공간이 없습니다")},
        {"errno", "EIO", EIO, 0, QStringLiteral("장치와 주고받는 중에 입출력 오류가 났습니다")},
        {"errno", "ECONNREFUSED", ECONNREFUSED, 0,
         QStringLiteral("상대가 연결을 거부했습니다 (그 포트에서 받는 프린터가 없습니다)")},
        {"errno", "EHOSTUNREACH", EHOSTUNREACH, 0, QStringLiteral("프린터에 닿는 경로가 없습니다")},
        {"errno", "ENETUNREACH", ENETUNREACH, 0, QStringLiteral("그 네트워크에 닿을 수 없습니다")},
        {"errno", "EHOSTDOWN", EHOSTDOWN, 0, QStringLiteral("상대 컴퓨터나 프린터가 꺼져 있거나 네트워크에 없습니다")},
        {"errno", "ETIMEDOUT", ETIMEDOUT, 0, QStringLiteral("정해진 시간 안에 응답이 없습니다")},
        {"errno", "ECONNRESET", ECONNRESET, 0, QStringLiteral("상대가 연결을 끊었습니다")},
        {"errno", "EROFS", EROFS, 0, QStringLiteral("읽기 전용 디스크라 쓸 수 없습니다")},
        {"errno", "unknown EREMOTEIO", EREMOTEIO, 0, QStringLiteral("시스템 오류 121 (…")},
        {"lookup", "EAI_NONAME", EAI_NONAME, 0, QStringLiteral("그런 이름의 컴퓨터를 찾을 수 없습니다")},
        {"lookup", "EAI_AGAIN", EAI_AGAIN, 0,
         QStringLiteral("이름을 지금 찾을 수 없습니다 (이름 서버가 응답하지 않습니다)")},
        {"cups", "not found", IPP_STATUS_ERROR_NOT_FOUND, 0, QStringLiteral("그런 프린터 큐가 없습니다")},
        {"cups", "forbidden", IPP_STATUS_ERROR_FORBIDDEN, 0,
         QStringLiteral("CUPS 서버가 이 사용자의 인쇄를 허락하지 않습니다")},
        {"cups", "not accepting", IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS, 0,
         QStringLiteral("프린터 큐가 작업을 받지 않도록 멈춰 있습니다")},
        {"cups", "server host down", IPP_STATUS_ERROR_SERVICE_UNAVAILABLE, EHOSTDOWN,
         QStringLiteral("상대 컴퓨터나 프린터가 꺼져 있거나 네트워크에 없습니다")},
        {"cups", "server unavailable", IPP_STATUS_ERROR_SERVICE_UNAVAILABLE, 0,
         QStringLiteral("CUPS 서버에 연결할 수 없습니다")},
        {"cups", "unknown status", IPP_STATUS_ERROR_PRINTER_IS_DEACTIVATED, 0,
         QStringLiteral("CUPS 오류 0x50a (…")},
    };
    for (const QByteArray& locale : {QByteArray("C"), QByteArray("ko_KR.UTF-8")})
        for (const auto& row : rows)
            QTest::addRow("%s, %s", locale.constData(), row.name)
                << locale << QString::fromLatin1(row.kind) << row.code << row.error << row.reason;
}

void TestSystemReasons::reasons() {
    QFETCH(QByteArray, locale);
    QFETCH(QString, kind);
    QFETCH(int, code);
    QFETCH(int, error);
    QFETCH(QString, reason);
    if (!std::setlocale(LC_ALL, locale.constData()))
        QFAIL(qPrintable(QStringLiteral("locale %1 missing: scripts/setup.sh generates it")
                             .arg(QString::fromLatin1(locale))));
    const QString found = kind == QLatin1String("errno")    ? SystemReason(code)
                          : kind == QLatin1String("lookup") ? NameLookupReason(code)
                                                            : CupsStatusReason(code, error);
    if (reason.endsWith(u'…')) {
        // The program's summary, then the system's own words in parentheses.
        QVERIFY2(found.startsWith(reason.chopped(1)) && found.endsWith(u')') &&
                     found.size() > reason.size() + 1,
                 qPrintable(found));
    } else {
        QCOMPARE(found, reason);
    }
}

QTEST_MAIN(TestSystemReasons)
#include "tst_systemreasons.moc"
