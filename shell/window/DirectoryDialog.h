// The directory selection of Path_data: a tree of the directories, the path
// as text (the operator may type a directory that does not exist yet), and
// OK, Cancel and Help. It opens at the directory in the field, unfolded down
// to it. A new directory is created after asking.
#pragma once

#include "shell/window/WindowOptions.h"

#include <QDialog>
#include <optional>

class QFileSystemModel;
class QLineEdit;
class QTreeView;

namespace kelmora {

// The directory the tree opens at for the field's text: the text itself
// when it names a directory, else its nearest existing parent; the current
// directory for an empty text.
QString NearestDirectory(const QString& path);

// What OK does with the typed path: an existing directory is taken; a missing
// one is created once the operator agrees; anything else is refused with a
// message. None: the dialog stays open.
std::optional<QString> ConfirmDirectory(QWidget* owner, const QString& typed,
                                        const MessageAnswerer& ask);

class DirectoryDialog : public QDialog {
public:
    DirectoryDialog(QWidget* owner, const QString& start, MessageAnswerer ask);

    QString Chosen() const { return chosen_; }

    void accept() override;

    // Shows the dialog; the chosen directory or none.
    static std::optional<QString> Choose(QWidget* owner, const QString& start,
                                         const MessageAnswerer& ask);

private:
    void ShowHelp();
    // The current directory unfolded and in the middle of the tree.
    void ShowCurrent();

    MessageAnswerer ask_;
    QFileSystemModel* model_;
    QTreeView* tree_;
    QLineEdit* path_;
    QString chosen_;
};

} // namespace kelmora
