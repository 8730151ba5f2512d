#pragma once

#include <QStringList>

namespace hanlabel {

// Exit statuses of hanlabel-batch.
enum BatchExit {
    ExitSent = 0,      // everything asked for was sent
    ExitRowErrors = 1, // some rows were errors (listed on stderr); the others were sent
    ExitFailed = 2,    // a usage error, or the job or its channel failed
};

// Runs hanlabel-batch with its command line (the program's name first); returns the exit status.
// Needs a QGuiApplication (fonts for glyphs and previews), runs its event loop while sending.
int RunBatch(const QStringList& arguments);

} // namespace hanlabel
