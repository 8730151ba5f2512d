#pragma once

#include <QString>

class QCoreApplication;
class QTranslator;

namespace hanlabel {

// Loads Qt's own Korean translation (qtbase_ko.qm) from the folder, Qt's translations folder by
// default, whatever the system locale, so that standard buttons read 확인, 예, 아니요, 취소. Returns
// the installed translator (owned by the application), or null when the file is missing: the
// buttons then stay in English and nothing is said.
QTranslator* InstallKoreanTranslation(QCoreApplication& app, const QString& folder = {});

} // namespace hanlabel
