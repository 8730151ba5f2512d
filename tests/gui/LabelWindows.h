#pragma once

#include "ui/windows/BookLabelWindow.h"
#include "ui/windows/MemberCardWindow.h"

#include <QLineEdit>
#include <QString>
#include <QTest>

#include <memory>

namespace hanlabel::test {

// A label window by its object name ("mainfrm" or "main1frm"), loaded from the application folder
// of HANLABEL_HOME, shown and active; null when it never became active.
inline std::unique_ptr<LabelWindow> ShownLoaded(const QString& kind) {
    std::unique_ptr<LabelWindow> window;
    if (kind == QLatin1String("mainfrm"))
        window = std::make_unique<mainfrm>();
    else
        window = std::make_unique<main1frm>();
    window->Form_Load();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        return {};
    return window;
}

// Gives a label window's entry boxes something to print.
inline void FillEntries(LabelWindow* window) {
    if (auto* book = qobject_cast<mainfrm*>(window)) {
        book->Text1->setText(QStringLiteral("A1"));
        book->Text2->setText(QStringLiteral("0001"));
        book->Text5->setText(QStringLiteral("2"));
    } else if (auto* member = qobject_cast<main1frm*>(window)) {
        member->Text1->setText(QStringLiteral("A1"));
        member->Text2->setText(QStringLiteral("BC"));
        member->Text3->setText(QStringLiteral("200401"));
        member->Text4->setText(QStringLiteral("0123"));
    }
}

} // namespace hanlabel::test
