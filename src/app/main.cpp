#include "app/WindowManager.h"
#include "core/Signals.h"
#include "ui/windows/PreviewWindow.h"

#include <QApplication>

// The hanlabel program: book labels and member cards on a ZPL II label printer.
int main(int argc, char** argv) {
    hanlabel::IgnoreChannelSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hanlabel"));
    hanlabel::InstallPreviewWindow();
    return hanlabel::RunApplication(app);
}
