#include "core/AppFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace hanlabel {

QString ApplicationFolder() {
    const QString home = qEnvironmentVariable("HANLABEL_HOME");
    if (!home.isEmpty())
        return home;
    return QCoreApplication::applicationDirPath();
}

QString ApplicationFile(const QString& folder, const QString& fileName) {
    return folder + QLatin1Char('/') + fileName;
}

} // namespace hanlabel
