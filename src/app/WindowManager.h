#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class QApplication;
class QWidget;

namespace hanlabel {

class mainfrm;
class main1frm;
class defrm;
class de1frm;
class LabelWindow;

// Owns the four windows of the program: at most one of each, created on first use and discarded
// when closed. Wires the label windows' switch, menu, exit and layout signals.
class WindowManager : public QObject {
    Q_OBJECT
  public:
    explicit WindowManager(QObject* parent = nullptr);
    ~WindowManager() override;

    // Creates the book label window, loads and shows it. Throws Failure when it cannot load.
    void start();

    // The windows that exist now, or null.
    mainfrm* bookWindow() const;
    main1frm* memberWindow() const;
    defrm* bookDialog() const;
    de1frm* memberDialog() const;

  signals:
    // The operator confirmed the exit; every window is already hidden and will not run again.
    void programEnded(int exitCode);

  private:
    mainfrm* createBookWindow();
    main1frm* createMemberWindow();
    void switchToMemberCards();
    void switchToBookLabels();
    void openBookDialog();
    void openMemberDialog();
    void copyBookLayout(const QStringList& lines);
    void copyMemberLayout(const QStringList& lines);
    void openPrinterDialog(LabelWindow* window);
    void endProgram();

    QPointer<mainfrm> m_book;
    QPointer<main1frm> m_member;
    QPointer<defrm> m_bookDialog;
    QPointer<de1frm> m_memberDialog;
};

// The whole program on an existing application object: the book label window first, then the
// operator's events. A failure while the first window loads is shown and ends it with 1.
int RunApplication(QApplication& app);

} // namespace hanlabel
