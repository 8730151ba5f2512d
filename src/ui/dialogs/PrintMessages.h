#pragma once

#include <QString>
#include <QTime>

#include <functional>

class QWidget;

namespace hanlabel {

// What the label windows tell the operator after a print, besides the plain failure box.

// The first print of a fresh install found no printer: none has been chosen yet. The box offers
// "프린터 연결..." itself, which closes it and calls openDialog; the operator prints again after
// choosing. `device` is the built-in device the print tried.
void ShowNoPrinterChosen(QWidget* parent, const QString& device, const std::function<void()>& openDialog);

// The operator's own cancel, which is no error: the information icon, the title "인쇄 취소".
void ShowPrintCancelled(QWidget* parent, const QString& message);

// The window's status line after a print went to a printer, file or queue:
// "인쇄를 보냈습니다 (3장, 14:02)".
QString PrintSentText(int labels, QTime at);

} // namespace hanlabel
