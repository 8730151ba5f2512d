#include "ui/dialogs/PrintMessages.h"

#include "ui/kit/FormKit.h"

#include <QMessageBox>
#include <QPushButton>

namespace hanlabel {

void ShowNoPrinterChosen(QWidget* parent, const QString& device, const std::function<void()>& openDialog) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("프린터를 고르세요"),
                    QStringLiteral("아직 이 컴퓨터의 프린터를 고르지 않았습니다.\n\n"
                                   "\"프린터 연결...\"을 눌러 라벨 프린터를 고른 뒤 다시 인쇄하세요.\n"
                                   "(기본으로 찾아본 장치 %1이(가) 없습니다.)")
                        .arg(device),
                    QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("noPrinterChosen"));
    box.setFont(GulimFont(9));
    QPushButton* choose = box.addButton(QStringLiteral("프린터 연결..."), QMessageBox::AcceptRole);
    choose->setObjectName(QStringLiteral("choosePrinter"));
    box.addButton(QMessageBox::Close);
    box.setDefaultButton(choose);
    box.exec();
    if (box.clickedButton() == choose && openDialog)
        openDialog();
}

void ShowPrintCancelled(QWidget* parent, const QString& message) {
    ShowMessage(parent, message, QStringLiteral("인쇄 취소"), QMessageBox::Information);
}

QString PrintSentText(int labels, QTime at) {
    return QStringLiteral("인쇄를 보냈습니다 (%1장, %2)")
        .arg(labels)
        .arg(at.toString(QStringLiteral("HH:mm")));
}

} // namespace hanlabel
