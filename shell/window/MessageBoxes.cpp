#include "shell/window/MessageBoxes.h"

#include "shell/window/QtText.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace kelmora {

namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
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

} // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const MessageBox& box) {
    const QString caption =
        box.caption.empty() ? QtFromCp(kApplicationTitle) : QtFromCp(box.caption);
    const bool question = box.buttons == MessageButtons::YesNo;
    auto dialog = std::make_unique<QMessageBox>(
        QtIcon(box.icon), caption, QtFromCp(box.text),
        question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    if (question) {
        dialog->button(QMessageBox::Yes)->setText(QStringLiteral("Ano"));
        dialog->button(QMessageBox::No)->setText(QStringLiteral("Ne"));
        dialog->setDefaultButton(QMessageBox::Yes);
        dialog->setEscapeButton(QMessageBox::No);
    }
    return dialog;
}

MessageAnswer ShowMessageBox(QWidget* owner, const MessageBox& box) {
    const std::unique_ptr<QMessageBox> dialog = MakeMessageBox(owner, box);
    const int result = dialog->exec();
    if (box.buttons != MessageButtons::YesNo) {
        return MessageAnswer::Ok;
    }
    return result == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

} // namespace kelmora
