#include "batch/BatchRun.h"
#include "core/CommandLine.h"
#include "core/Signals.h"

#include <QGuiApplication>

// hanlabel-batch: the book labels and member card lists of the windows, from a script.
int main(int argc, char** argv) {
    hanlabel::IgnoreChannelSignals();
    // Its stderr carries its own messages only (QStandardPaths complains about XDG_RUNTIME_DIR in
    // a cron job or a service).
    hanlabel::QuietQtMessages();
    // Glyphs drawn from a font and preview pictures need Qt Gui, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Also names the per-user folder, as the program does: ~/.local/share/hanlabel.
    QGuiApplication::setApplicationName(QStringLiteral("hanlabel"));
    return hanlabel::RunBatch(QGuiApplication::arguments());
}
