#include "app/WindowManager.h"

#include "core/Failure.h"
#include "settings/PositionDialogs.h"
#include "windows/BookLabelWindow.h"
#include "windows/FormKit.h"
#include "windows/MemberCardWindow.h"

#include <QApplication>

#include <memory>

namespace hanlabel {

namespace {
// Puts the new label window where the operator had the old one.
void TakePlaceOf(QWidget* next, QWidget* current) {
    if (current)
        next->move(current->pos());
}
} // namespace

WindowManager::WindowManager(QObject* parent) : QObject(parent) {}

WindowManager::~WindowManager() {
    delete m_bookDialog.data();
    delete m_memberDialog.data();
    delete m_book.data();
    delete m_member.data();
}

mainfrm* WindowManager::bookWindow() const { return m_book; }
main1frm* WindowManager::memberWindow() const { return m_member; }
defrm* WindowManager::bookDialog() const { return m_bookDialog; }
de1frm* WindowManager::memberDialog() const { return m_memberDialog; }

void WindowManager::start() {
    m_book = createBookWindow();
    m_book->show();
}

mainfrm* WindowManager::createBookWindow() {
    auto window = std::make_unique<mainfrm>();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Form_Load();
    connect(window.get(), &mainfrm::switchRequested, this, &WindowManager::switchToMemberCards);
    connect(window.get(), &mainfrm::positionDialogRequested, this, &WindowManager::openBookDialog);
    connect(window.get(), &mainfrm::exitRequested, this, &WindowManager::endProgram);
    connect(window.get(), &mainfrm::layoutLinesRead, this, &WindowManager::copyBookLayout);
    return window.release();
}

main1frm* WindowManager::createMemberWindow() {
    auto window = std::make_unique<main1frm>();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Form_Load();
    connect(window.get(), &main1frm::switchRequested, this, &WindowManager::switchToBookLabels);
    connect(window.get(), &main1frm::positionDialogRequested, this, &WindowManager::openMemberDialog);
    connect(window.get(), &main1frm::exitRequested, this, &WindowManager::endProgram);
    connect(window.get(), &main1frm::layoutLinesRead, this, &WindowManager::copyMemberLayout);
    return window.release();
}

void WindowManager::switchToMemberCards() {
    // The new window loads before the current one closes: a failure leaves the current one as it was.
    if (!m_member) {
        try {
            m_member = createMemberWindow();
        } catch (const Failure& failure) {
            ShowFailure(m_book, failure.message());
            return;
        }
        TakePlaceOf(m_member, m_book);
    }
    m_member->show();
    if (m_book)
        m_book->close();
}

void WindowManager::switchToBookLabels() {
    if (!m_book) {
        try {
            m_book = createBookWindow();
        } catch (const Failure& failure) {
            ShowFailure(m_member, failure.message());
            return;
        }
        TakePlaceOf(m_book, m_member);
    }
    m_book->show();
    if (m_member)
        m_member->close();
}

void WindowManager::openBookDialog() {
    if (!m_bookDialog) {
        auto dialog = std::make_unique<defrm>();
        try {
            dialog->Form_Load();
        } catch (const Failure& failure) {
            ShowFailure(m_book, failure.message());
            return;
        }
        m_bookDialog = dialog.release();
    }
    // Modal, without an owner window; exec discards the dialog when it closes.
    m_bookDialog->exec();
}

void WindowManager::openMemberDialog() {
    if (!m_memberDialog) {
        auto dialog = std::make_unique<de1frm>();
        try {
            dialog->Form_Load();
        } catch (const Failure& failure) {
            ShowFailure(m_member, failure.message());
            return;
        }
        m_memberDialog = dialog.release();
    }
    m_memberDialog->exec();
}

void WindowManager::copyBookLayout(const QStringList& lines) {
    if (!m_bookDialog) {
        auto dialog = std::make_unique<defrm>();
        // The job's copy fills every box right after, so a load that fails changes nothing here.
        try {
            dialog->Form_Load();
        } catch (const Failure&) {
        }
        m_bookDialog = dialog.release();
    }
    m_bookDialog->setLayoutLines(lines);
}

void WindowManager::copyMemberLayout(const QStringList& lines) {
    if (!m_memberDialog) {
        auto dialog = std::make_unique<de1frm>();
        try {
            dialog->Form_Load();
        } catch (const Failure&) {
        }
        m_memberDialog = dialog.release();
    }
    m_memberDialog->setLayoutLines(lines);
}

void WindowManager::endProgram() {
    // Hidden at once and deleted later: the signal comes from inside a label window's handler.
    const QList<QWidget*> windows{m_book, m_member, m_bookDialog, m_memberDialog};
    for (QWidget* window : windows) {
        if (!window)
            continue;
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->hide();
        window->deleteLater();
    }
    emit programEnded(0);
}

int RunApplication(QApplication& app) {
    InstallKoreanFontSubstitutions();
    // Ends when no label window and no shown dialog is left; a hidden dialog does not count.
    app.setQuitOnLastWindowClosed(true);
    WindowManager windows;
    try {
        windows.start();
    } catch (const Failure& failure) {
        ShowFailure(nullptr, failure.message());
        return 1;
    }
    QObject::connect(&windows, &WindowManager::programEnded, &app, &QCoreApplication::exit);
    return app.exec();
}

} // namespace hanlabel
