#include "app/KoreanTranslation.h"
#include "app/WindowManager.h"
#include "core/Signals.h"

#include <QApplication>

// The hanlabel program: book labels and member cards on a ZPL II label printer.
int main(int argc, char** argv) {
    hanlabel::IgnoreChannelSignals();
    QApplication app(argc, argv);
    // Also names the per-user folder: ~/.local/share/hanlabel.
    QApplication::setApplicationName(QStringLiteral("hanlabel"));
    hanlabel::InstallKoreanTranslation(app);
    return hanlabel::RunApplication(app);
}
