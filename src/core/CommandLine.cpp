#include "core/CommandLine.h"

#include <QLoggingCategory>

namespace hanlabel {

QString VersionText(const QString& program) {
    return QStringLiteral("%1 %2\n"
                          "Copyright (C) 2026 hanlabel maintainers\n"
                          "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n")
        .arg(program, QStringLiteral(HANLABEL_VERSION));
}

void QuietQtMessages() {
    // The environment's rules are applied after these, so they can turn any category back on.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
}

} // namespace hanlabel
