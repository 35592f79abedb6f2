#include "shell/window/DirectoryDialog.h"

#include "shell/window/QtText.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace kelmora {

namespace {

// How long the model takes to sort a directory it has just read.
constexpr int kSortSettleMs = 100;

} // namespace

QString NearestDirectory(const QString& path) {
    QString candidate = QDir::cleanPath(QDir::fromNativeSeparators(path.trimmed()));
    if (candidate.isEmpty()) {
        return QDir::currentPath();
    }
    candidate = QFileInfo(candidate).absoluteFilePath();
    while (!QFileInfo(candidate).isDir()) {
        const QString up = QFileInfo(candidate).path();
        if (up == candidate) {
            return QDir::currentPath();
        }
        candidate = up;
    }
    return candidate;
}

std::optional<QString> ConfirmDirectory(QWidget* owner, const QString& typed,
                                        const MessageAnswerer& ask) {
    const QString path = QDir::cleanPath(typed.trimmed());
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo info(path);
    if (info.isDir()) {
        return QDir::toNativeSeparators(path);
    }
    if (info.exists()) {
        const std::string text = CpFromQt(QStringLiteral("%1\nnení adresář.").arg(path));
        ask(owner, {text, {}, MessageIcon::Error, MessageButtons::Ok});
        return std::nullopt;
    }
    const std::string question =
        CpFromQt(QStringLiteral("Adresář %1 neexistuje.\nVytvořit ho?").arg(path));
    if (ask(owner, {question, CpFromQt(QStringLiteral("Potvrzení")), MessageIcon::Question,
                    MessageButtons::YesNo}) != MessageAnswer::Yes) {
        return std::nullopt;
    }
    if (!QDir().mkpath(path)) {
        const std::string text = CpFromQt(QStringLiteral("Adresář %1 nelze vytvořit.").arg(path));
        ask(owner, {text, {}, MessageIcon::Error, MessageButtons::Ok});
        return std::nullopt;
    }
    return QDir::toNativeSeparators(path);
}

DirectoryDialog::DirectoryDialog(QWidget* owner, const QString& start, MessageAnswerer ask)
    : QDialog(owner), ask_(std::move(ask)), model_(new QFileSystemModel(this)),
      tree_(new QTreeView), path_(new QLineEdit(start)) {
    setObjectName(QStringLiteral("DirectoryDialog"));
    setWindowTitle(QStringLiteral("Výběr adresáře"));
    resize(420, 380);

    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());
    tree_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) {
        tree_->hideColumn(column);
    }
    tree_->header()->hide();
    // The tree opens at the directory in the field, or at its nearest
    // existing parent while the field keeps what was typed.
    const QString startDirectory = NearestDirectory(start);
    const QModelIndex startIndex = model_->index(startDirectory);
    if (startIndex.isValid()) {
        tree_->setCurrentIndex(startIndex);
        ShowCurrent();
        // The model reads the directories on a thread of its own and sorts
        // each once read, which moves the rows: whenever a directory on the
        // way to the start is in, show the start again.
        connect(model_, &QFileSystemModel::directoryLoaded, this,
                [this, startDirectory](const QString& loaded) {
                    const QString prefix =
                        loaded.endsWith(QLatin1Char('/')) ? loaded : loaded + QLatin1Char('/');
                    if (loaded == startDirectory || startDirectory.startsWith(prefix)) {
                        QTimer::singleShot(kSortSettleMs, this, [this] { ShowCurrent(); });
                    }
                });
    }
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    path_->setText(QDir::toNativeSeparators(model_->filePath(current)));
                }
            });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Help);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
    buttons->button(QDialogButtonBox::Help)->setText(QStringLiteral("Nápověda"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DirectoryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DirectoryDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { ShowHelp(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_, 1);
    auto* label = new QLabel(QStringLiteral("Adresář:"));
    label->setBuddy(path_);
    layout->addWidget(label);
    layout->addWidget(path_);
    layout->addWidget(buttons);
}

void DirectoryDialog::ShowCurrent() {
    const QModelIndex current = tree_->currentIndex();
    for (QModelIndex up = current.parent(); up.isValid(); up = up.parent()) {
        tree_->expand(up);
    }
    tree_->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

void DirectoryDialog::accept() {
    if (auto chosen = ConfirmDirectory(this, path_->text(), ask_)) {
        chosen_ = *chosen;
        QDialog::accept();
    }
}

void DirectoryDialog::ShowHelp() {
    const std::string text =
        CpFromQt(QStringLiteral("Vyberte adresář ve stromu nebo napište jeho cestu.\n"
                                "Adresář, který ještě neexistuje, bude po potvrzení vytvořen."));
    ask_(this, {text, CpFromQt(QStringLiteral("Nápověda")), MessageIcon::Information,
                MessageButtons::Ok});
}

std::optional<QString> DirectoryDialog::Choose(QWidget* owner, const QString& start,
                                               const MessageAnswerer& ask) {
    DirectoryDialog dialog(owner, start, ask);
    if (dialog.exec() == QDialog::Accepted) {
        return dialog.Chosen();
    }
    return std::nullopt;
}

} // namespace kelmora
