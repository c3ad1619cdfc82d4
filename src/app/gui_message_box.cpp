#include "app/gui_message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/message_box.h"

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

int Show(const QString& text, const QString& caption, MessageIcon icon, MessageButtons buttons) {
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    if (buttons == MessageButtons::OkCancel) {
        qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
    } else if (buttons == MessageButtons::YesNo) {
        qtButtons = QMessageBox::Yes | QMessageBox::No;
    } else if (buttons == MessageButtons::YesNoCancel) {
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    QMessageBox box(ToQtIcon(icon), caption, text, qtButtons, QApplication::activeWindow());
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            if (buttons == MessageButtons::YesNoCancel) {
                return IDCANCEL;
            }
            return buttons == MessageButtons::YesNo ? IDNO : IDOK;
    }
}

}  // namespace

void InstallGuiMessageBox() {
    SetMessageBoxHandler(Show);
}
