#include "app/KoreanTranslation.h"
#include "app/WindowManager.h"
#include "core/CommandLine.h"
#include "core/Signals.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

const char kHelp[] =
    "사용법: hanlabel [--help | --version]\n"
    "\n"
    "도서 바코드 라벨과 회원증을 ZPL II 라벨 프린터로 인쇄하는 창을 엽니다.\n"
    "다른 인자는 읽지 않습니다. 창 없이 인쇄하려면 hanlabel-batch --help를 보십시오.\n"
    "\n"
    "설정 파일(OH.ini, position.ini, DPOS.ini, OH1.ini, position1.ini, DPOS1.ini, printer.ini)은\n"
    "HANLABEL_HOME, 실행 파일의 폴더 또는 ~/.local/share/hanlabel에 있습니다.\n"
    "모든 사용자의 프린터 연결: /etc/hanlabel/printer.ini\n"
    "\n"
    "환경 변수:\n"
    "  HANLABEL_HOME=폴더              응용 프로그램 폴더\n"
    "  HANLABEL_LPT1=대상              \"LPT1\"의 대상: 장치나 파일, tcp://호스트:포트, cups:큐, preview:\n"
    "  HANLABEL_COM1=장치              직렬 포트 1의 장치\n"
    "  HANLABEL_STALL_NOTICE_MS=밀리초 프린터가 멈췄다고 알리기까지의 시간 (기본 5000)\n"
    "\n"
    "자세한 내용: man hanlabel\n";

// --version and --help answer without a window, so they need no display; any other argument is
// ignored, as the program reads no command line. Returns whether one was answered.
bool AnswerCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(hanlabel::VersionText(QStringLiteral("hanlabel")).toUtf8().constData(), stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
    }
    return false;
}

} // namespace

// The hanlabel program: book labels and member cards on a ZPL II label printer.
int main(int argc, char** argv) {
    if (AnswerCommandLine(argc, argv))
        return 0;
    hanlabel::IgnoreChannelSignals();
    QApplication app(argc, argv);
    // Also names the per-user folder: ~/.local/share/hanlabel.
    QApplication::setApplicationName(QStringLiteral("hanlabel"));
    // Lets the desktop match the window to the menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral(HANLABEL_APP_ID));
    hanlabel::InstallKoreanTranslation(app);
    return hanlabel::RunApplication(app);
}
