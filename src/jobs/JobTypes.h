#pragma once

#include "channels/Transport.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace hanlabel {

class GlyphSource;

// What a job needs from the window that runs it, besides the control values.
struct JobEnvironment {
    QString folder;                // the application folder with the settings files
    GlyphSource* glyphs = nullptr; // the window's bound glyph database
    ProgressFn progress;           // optional: called while the job is transmitted
};

enum class JobStatus {
    Printed,         // the whole job has left for the printer
    QuantityMissing, // book job: Text5 was empty; nothing sent
    Failed,          // failure holds the message for the operator
};

} // namespace hanlabel
