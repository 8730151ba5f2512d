#include "app/WindowManager.h"

#include "core/AppFolder.h"
#include "core/Failure.h"
#include "ui/dialogs/PositionDialogs.h"
#include "ui/dialogs/PrinterDialog.h"
#include "ui/kit/FormKit.h"
#include "ui/windows/BookLabelWindow.h"
#include "ui/windows/MemberCardWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>
#include <functional>
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
    PrepareApplicationFolder();
    m_book = createBookWindow();
    m_book->show();
}

namespace {

// Creates a label window and runs its load handler; throws Failure when it cannot load.
template <typename Window>
Window* CreateLabelWindow(WindowManager* manager, void (WindowManager::*switchOver)(),
                          void (WindowManager::*openDialog)(), void (WindowManager::*endProgram)(),
                          void (WindowManager::*copyLayout)(const QStringList&),
                          void (WindowManager::*openPrinterDialog)(LabelWindow*)) {
    auto window = std::make_unique<Window>();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Form_Load();
    QObject::connect(window.get(), &Window::switchRequested, manager, switchOver);
    QObject::connect(window.get(), &Window::positionDialogRequested, manager, openDialog);
    QObject::connect(window.get(), &Window::exitRequested, manager, endProgram);
    QObject::connect(window.get(), &Window::layoutLinesRead, manager, copyLayout);
    QObject::connect(window.get(), &Window::printerDialogRequested, manager,
                     [manager, openPrinterDialog, w = window.get()] { (manager->*openPrinterDialog)(w); });
    return window.release();
}

// Shows the other label window, creating it first; the current one closes only once the new one
// has loaded, so a failure leaves it as it was.
template <typename Next, typename Current>
void SwitchWindows(QPointer<Next>& next, QPointer<Current>& current, const std::function<Next*()>& create) {
    if (!next) {
        try {
            next = create();
        } catch (const Failure& failure) {
            ShowFailure(current, failure.message());
            return;
        }
        TakePlaceOf(next, current);
    }
    next->show();
    if (current)
        current->close();
}

// Shows a position dialog modally, without an owner window; its load handler runs when it is
// created here. A layout file that cannot be read is reported and nothing opens.
template <typename Dialog> void OpenDialog(QPointer<Dialog>& dialog, QWidget* window) {
    if (!dialog) {
        auto created = std::make_unique<Dialog>();
        try {
            created->Form_Load();
        } catch (const Failure& failure) {
            ShowFailure(window, failure.message());
            return;
        }
        dialog = created.release();
    }
    // exec discards the dialog when it closes.
    dialog->exec();
}

// A job's copy of its layout lines, into the dialog, which is created hidden when absent.
template <typename Dialog> void CopyLayout(QPointer<Dialog>& dialog, const QStringList& lines) {
    if (!dialog) {
        auto created = std::make_unique<Dialog>();
        // The job's lines fill every box right after, so a load that fails changes nothing here.
        try {
            created->Form_Load();
        } catch (const Failure&) {
        }
        dialog = created.release();
    }
    dialog->setLayoutLines(lines);
}

} // namespace

mainfrm* WindowManager::createBookWindow() {
    return CreateLabelWindow<mainfrm>(this, &WindowManager::switchToMemberCards,
                                      &WindowManager::openBookDialog, &WindowManager::endProgram,
                                      &WindowManager::copyBookLayout, &WindowManager::openPrinterDialog);
}

main1frm* WindowManager::createMemberWindow() {
    return CreateLabelWindow<main1frm>(this, &WindowManager::switchToBookLabels,
                                       &WindowManager::openMemberDialog, &WindowManager::endProgram,
                                       &WindowManager::copyMemberLayout, &WindowManager::openPrinterDialog);
}

void WindowManager::switchToMemberCards() {
    SwitchWindows<main1frm, mainfrm>(m_member, m_book, [this] { return createMemberWindow(); });
}

void WindowManager::switchToBookLabels() {
    SwitchWindows<mainfrm, main1frm>(m_book, m_member, [this] { return createBookWindow(); });
}

void WindowManager::openBookDialog() { OpenDialog(m_bookDialog, m_book); }
void WindowManager::openMemberDialog() { OpenDialog(m_memberDialog, m_member); }
void WindowManager::copyBookLayout(const QStringList& lines) { CopyLayout(m_bookDialog, lines); }
void WindowManager::copyMemberLayout(const QStringList& lines) { CopyLayout(m_memberDialog, lines); }

// The printer connection dialog over the label window, which shows the new mapping in its port
// box's tooltip afterwards.
void WindowManager::openPrinterDialog(LabelWindow* window) {
    PrinterDialogSetup setup;
    setup.framing = window->framing();
    PrinterDialog dialog(std::move(setup), window);
    dialog.exec();
    window->updatePortTooltip();
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

namespace {

// Set for the package test, which has no one to read or answer what the program shows: the first
// window and any start-up message go to standard output, then the program ends by itself.
bool Unattended() { return qEnvironmentVariableIsSet("HANLABEL_TEST_UNATTENDED"); }

void ReportShown(const QWidget* window) {
    const auto* box = qobject_cast<const QMessageBox*>(window);
    const QString text =
        box ? QStringLiteral("message: %1").arg(box->text())
            : QStringLiteral("window: %1 \"%2\" %3")
                  .arg(window->objectName(), window->windowTitle(),
                       window->isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden"));
    std::printf("hanlabel %s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int RunApplication(QApplication& app) {
    InstallKoreanFontSubstitutions();
    // Ends when no label window and no shown dialog is left; a hidden dialog does not count.
    app.setQuitOnLastWindowClosed(true);
    WindowManager windows;
    try {
        windows.start();
    } catch (const Failure& failure) {
        if (Unattended())
            QTimer::singleShot(0, [] {
                if (QWidget* box = QApplication::activeModalWidget()) {
                    ReportShown(box);
                    box->close();
                }
            });
        ShowFailure(nullptr, failure.message());
        return 1;
    }
    QObject::connect(&windows, &WindowManager::programEnded, &app, &QCoreApplication::exit);
    if (Unattended())
        QTimer::singleShot(0, &app, [&windows] {
            ReportShown(windows.bookWindow());
            QCoreApplication::exit(0);
        });
    return app.exec();
}

} // namespace hanlabel
