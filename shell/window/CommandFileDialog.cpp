#include "shell/window/CommandFileDialog.h"

#include "shell/window/QtText.h"

#include <QDir>
#include <QFileDialog>

namespace kelmora {

std::unique_ptr<QFileDialog> MakeOpenDialog1(QWidget* owner) {
    auto dialog = std::make_unique<QFileDialog>(
        owner, QStringLiteral("Soubory příkazů do terminálu."), QStringLiteral("."),
        QStringLiteral("Konfigurační soubory (*.cfg);;Bat soubory (*.bat)"));
    dialog->setObjectName(QStringLiteral("OpenDialog1"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // Names only: the detail view's dates follow the system's locale.
    dialog->setViewMode(QFileDialog::List);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(QStringLiteral("cfg"));
    return dialog;
}

std::optional<std::string> ShowOpenDialog1(QWidget* owner) {
    const std::unique_ptr<QFileDialog> dialog = MakeOpenDialog1(owner);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return CpFromQt(QDir::toNativeSeparators(dialog->selectedFiles().first()));
}

} // namespace kelmora
