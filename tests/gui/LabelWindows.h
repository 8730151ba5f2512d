#pragma once

#include "ui/windows/BookLabelWindow.h"
#include "ui/windows/MemberCardWindow.h"

#include <QLineEdit>
#include <QString>
#include <QTest>

#include <memory>

namespace hanlabel::test {

// A label window by its object name ("mainfrm" or "main1frm").
inline std::unique_ptr<LabelWindow> MakeWindow(const QString& kind) {
    if (kind == QLatin1String("mainfrm"))
        return std::make_unique<mainfrm>();
    return std::make_unique<main1frm>();
}

// The same, loaded from the application folder of HANLABEL_HOME.
inline std::unique_ptr<LabelWindow> Loaded(const QString& kind) {
    auto window = MakeWindow(kind);
    window->Form_Load();
    return window;
}

// The same, shown and active; null when it never became active.
inline std::unique_ptr<LabelWindow> ShownLoaded(const QString& kind) {
    auto window = Loaded(kind);
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
