#pragma once

#include "ModalBoxes.h"
#include "TestSupport.h"

#include "ui/windows/LabelWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QList>
#include <QString>
#include <QStringList>
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

// The object name of the control that has the keyboard focus; empty when none has.
inline QString FocusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

// Presses Tab (forward) or Shift+Tab on the control that has the focus.
inline void PressTab(bool forward) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return;
    if (forward)
        QTest::keyClick(focus, Qt::Key_Tab);
    else
        QTest::keyClick(focus, Qt::Key_Backtab, Qt::ShiftModifier);
}

// Presses Tab until the named control has the focus, at most 40 times; false when it never does.
inline bool TabTo(const QString& name) {
    for (int i = 0; i < 40 && FocusName() != name; ++i)
        PressTab(true);
    return FocusName() == name;
}

// Presses Tab (true) or Shift+Tab (false) in turn; the name that has the focus after each.
inline QStringList FocusAfter(const QList<bool>& forwardKeys) {
    QStringList names;
    for (bool forward : forwardKeys) {
        PressTab(forward);
        names << FocusName();
    }
    return names;
}

// Puts text on the clipboard and pastes it into the control with Ctrl+V.
inline void Paste(QWidget* control, const QString& text) {
    QApplication::clipboard()->setText(text);
    QTest::keyClick(control, Qt::Key_V, Qt::ControlModifier);
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
    template <typename W = Window> std::unique_ptr<W> loaded() const {
        auto window = std::make_unique<W>();
        window->Form_Load();
        return window;
    }
    // The same, shown and active (focus assertions hold only then); null when it never became active.
    template <typename W = Window> std::unique_ptr<W> shownLoaded() const {
        auto window = loaded<W>();
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
