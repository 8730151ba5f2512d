#pragma once

#include "TestSupport.h"

#include "ui/windows/LabelWindow.h"

#include <QFile>
#include <QString>
#include <QTest>
#include <QWidget>

#include <memory>

namespace hanlabel::test {

// Types text the way a keyboard would, one character at a time (also Hangul, which
// QTest::keyClicks cannot type).
inline void Type(QWidget* widget, const QString& text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// Waits until a label window has shown the outcome of its print job; false if it is still
// printing after the time given.
inline bool WaitForOutcome(const LabelWindow* window, int timeoutMs = 60000) {
    return QTest::qWaitFor([window] { return !window->isPrinting(); }, timeoutMs);
}

// A fresh application folder for a label window, with "LPT1" mapped to a file in it.
template <typename Window> class WindowFixture {
  public:
    void reset() {
        m_folder = std::make_unique<AppFolderFixture>();
        m_lpt = m_folder->file(QStringLiteral("lpt1.out"));
        qputenv("HANLABEL_HOME", m_folder->path().toLocal8Bit());
        qputenv("HANLABEL_LPT1", m_lpt.toLocal8Bit());
    }
    AppFolderFixture& folder() const { return *m_folder; }
    QString lptPath() const { return m_lpt; }

    // A window whose load handler ran on the folder.
    std::unique_ptr<Window> loaded() const {
        auto window = std::make_unique<Window>();
        window->Form_Load();
        return window;
    }
    // The same, shown and active (focus assertions hold only then); null when it never became active.
    std::unique_ptr<Window> shownLoaded() const {
        auto window = loaded();
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return {};
        return window;
    }
    // The bytes the last job wrote to LPT1.
    QByteArray printed() const { return ReadFileBytes(m_lpt); }
    void forgetPrinted() const { QFile::remove(m_lpt); }

  private:
    std::unique_ptr<AppFolderFixture> m_folder;
    QString m_lpt;
};

} // namespace hanlabel::test
