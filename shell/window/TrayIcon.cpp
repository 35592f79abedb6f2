#include "shell/window/TrayIcon.h"

#include "shell/window/Icons.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace kelmora {

TrayIcon::TrayIcon(QWidget* window, TrayHandlers handlers)
    : icon_(new QSystemTrayIcon(window)), menu_(new QMenu(window)) {
    icon_->setObjectName(QStringLiteral("StatusIcon1"));
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
    icon_->setToolTip(QStringLiteral("Kelmora 2013"));

    QAction* show = menu_->addAction(QStringLiteral("Zobrazit program"));
    show->setObjectName(QStringLiteral("Show_window"));
    QFont bold = show->font();
    bold.setBold(true);
    show->setFont(bold);
    menu_->setDefaultAction(show);
    QAction* hide = menu_->addAction(QStringLiteral("Schovat program"));
    hide->setObjectName(QStringLiteral("Hide_window"));
    menu_->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction* quit = menu_->addAction(QStringLiteral("Konec"));
    quit->setObjectName(QStringLiteral("Konec"));

    QObject::connect(show, &QAction::triggered, window, [h = handlers.showWindow] { h(); });
    QObject::connect(hide, &QAction::triggered, window, [h = handlers.hideWindow] { h(); });
    QObject::connect(quit, &QAction::triggered, window, [h = handlers.quit] { h(); });
    QObject::connect(icon_, &QSystemTrayIcon::activated, window,
                     [h = handlers.showWindow](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick) {
                             h();
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
    if (icon_->isVisible() && QSystemTrayIcon::supportsMessages()) {
        icon_->showMessage(title, text, QSystemTrayIcon::Information, timeoutMs);
    }
}

void TrayIcon::Hide() {
    icon_->hide();
}

} // namespace kelmora
