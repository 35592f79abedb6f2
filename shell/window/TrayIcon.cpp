#include "shell/window/TrayIcon.h"

#include "shell/ProgramIdentity.h"
#include "shell/form/ControlTable.h"
#include "shell/window/Icons.h"
#include "shell/window/QtText.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace kelmora {

namespace {

constexpr int kMinimumBalloonSpacingMs = 200;

// Qt's own balloon window, "QBalloonTip", closes at the end of its time only
// when the pointer is not over it.
void CloseQtBalloons() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qstrcmp(window->metaObject()->className(), "QBalloonTip") == 0 && window->isVisible()) {
            window->close();
        }
    }
}

} // namespace

TrayIcon::TrayIcon(QWidget* window, const MenuPress& press)
    : icon_(new QSystemTrayIcon(window)), menu_(new QMenu(window)), spacing_(new QTimer(window)),
      expiry_(new QTimer(window)) {
    spacing_->setSingleShot(true);
    expiry_->setSingleShot(true);
    QObject::connect(expiry_, &QTimer::timeout, window, [] { CloseQtBalloons(); });
    QObject::connect(spacing_, &QTimer::timeout, window, [this] {
        if (waiting_) {
            const Balloon next = *waiting_;
            waiting_.reset();
            ShowNow(next);
        }
    });
    icon_->setObjectName(QStringLiteral("StatusIcon1"));
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
    icon_->setToolTip(QtFromCp(kApplicationTitle));

    // The entries of the control table; a bold one is the default.
    for (const form::ControlRow& row : form::ControlTable()) {
        const QString name = QString::fromLatin1(row.name.data(), qsizetype(row.name.size()));
        if (row.kind == form::Kind::Separator) {
            menu_->addSeparator()->setObjectName(name);
        } else if (row.kind == form::Kind::Menu) {
            QAction* entry = menu_->addAction(QtFromCp(row.caption));
            entry->setObjectName(name);
            if (row.bold) {
                QFont bold = entry->font();
                bold.setBold(true);
                entry->setFont(bold);
                menu_->setDefaultAction(entry);
            }
            QObject::connect(entry, &QAction::triggered, window,
                             [press, control = row.name] { press(control); });
        }
    }
    QObject::connect(icon_, &QSystemTrayIcon::activated, window,
                     [press](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick) {
                             press("Show_window");
                         }
                     });

    icon_->setContextMenu(menu_);
    icon_->setIcon(TrayImage(0));
    icon_->show();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::SetImage(int image) {
    if (image != image_) {
        image_ = image;
        icon_->setIcon(TrayImage(image));
    }
}

void TrayIcon::ShowBalloon(const QString& title, const QString& text, int timeoutMs) {
    if (observer_) {
        observer_(title, text, timeoutMs);
    }
    const Balloon balloon{title, text, timeoutMs};
    if (spacing_->isActive()) {
        waiting_ = balloon; // shown when the one on screen has had its time
    } else {
        ShowNow(balloon);
    }
}

void TrayIcon::ShowNow(const Balloon& balloon) {
    ++shown_;
    lastText_ = balloon.text;
    if (icon_->isVisible() && QSystemTrayIcon::supportsMessages()) {
        icon_->showMessage(balloon.title, balloon.text, QSystemTrayIcon::Information,
                           balloon.timeoutMs);
    }
    expiry_->start(std::max(balloon.timeoutMs, 0));
    spacing_->start(std::max(balloon.timeoutMs, kMinimumBalloonSpacingMs));
}

bool TrayIcon::BalloonOnScreen() const {
    return expiry_->isActive();
}

void TrayIcon::Hide() {
    spacing_->stop();
    expiry_->stop();
    CloseQtBalloons();
    waiting_.reset();
    icon_->hide();
}

} // namespace kelmora
