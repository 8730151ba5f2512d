#include "core/SystemReason.h"

#include <cerrno>
#include <cstring>

#include <netdb.h>

namespace hanlabel {

QString SystemReason(int error) {
    switch (error) {
    case ENOENT:
        return QStringLiteral("그런 파일이나 장치가 없습니다");
    case ENODEV:
    case ENXIO:
        return QStringLiteral("장치가 없거나 받는 쪽이 열려 있지 않습니다");
    case EACCES:
    case EPERM:
        return QStringLiteral("권한이 없습니다");
    case EROFS:
        return QStringLiteral("읽기 전용 디스크라 쓸 수 없습니다");
    case EPIPE:
        return QStringLiteral("받는 쪽이 닫혀 더 보낼 수 없습니다");
    case EBUSY:
        return QStringLiteral("다른 프로그램이 장치를 쓰고 있습니다");
    case ENOSPC:
        return QStringLiteral("디스크에 남은 공간이 없습니다");
    case EDQUOT:
        return QStringLiteral("사용자에게 허용된 디스크 공간을 다 썼습니다");
    case EISDIR:
        return QStringLiteral("파일이 아니라 폴더입니다");
    case ENOTDIR:
        return QStringLiteral("경로 가운데 폴더가 아닌 것이 있습니다");
    case EIO:
        return QStringLiteral("장치와 주고받는 중에 입출력 오류가 났습니다");
    case ECONNREFUSED:
        return QStringLiteral("상대가 연결을 거부했습니다 (그 포트에서 받는 프린터가 없습니다)");
    case EHOSTUNREACH:
        return QStringLiteral("프린터에 닿는 경로가 없습니다");
    case ENETUNREACH:
        return QStringLiteral("그 네트워크에 닿을 수 없습니다");
    case EHOSTDOWN:
        return QStringLiteral("상대 컴퓨터나 프린터가 꺼져 있거나 네트워크에 없습니다");
    case ETIMEDOUT:
        return QStringLiteral("정해진 시간 안에 응답이 없습니다");
    case ECONNRESET:
        return QStringLiteral("상대가 연결을 끊었습니다");
    case ENETDOWN:
        return QStringLiteral("이 컴퓨터의 네트워크가 꺼져 있습니다");
    case EADDRNOTAVAIL:
        return QStringLiteral("그 주소를 쓸 수 없습니다");
    case ENAMETOOLONG:
        return QStringLiteral("경로가 너무 깁니다");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("열린 파일이 너무 많습니다");
    default:
        break;
    }
    return QStringLiteral("시스템 오류 %1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
}

QString NameLookupReason(int code) {
    switch (code) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
        return QStringLiteral("그런 이름의 컴퓨터를 찾을 수 없습니다");
    case EAI_AGAIN:
        return QStringLiteral("이름을 지금 찾을 수 없습니다 (이름 서버가 응답하지 않습니다)");
    case EAI_FAIL:
        return QStringLiteral("이름 서버가 이름을 찾지 못했습니다");
    case EAI_SYSTEM:
        return SystemReason(errno);
    default:
        break;
    }
    return QStringLiteral("이름 찾기 오류 %1 (%2)")
        .arg(code)
        .arg(QString::fromLocal8Bit(::gai_strerror(code)));
}

} // namespace hanlabel
