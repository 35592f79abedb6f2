#include "shell/window/TrayIcon.h"

#include "shell/window/Icons.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace kelmora {

namespace {
constexpr int kMinimumBalloonSpacingMs = 200;
}

TrayIcon::TrayIcon(QWidget* window, TrayHandlers handlers)
    : icon_(new QSystemTrayIcon(window)), menu_(new QMenu(window)), spacing_(new QTimer(window)) {
    spacing_->setSingleShot(true);
    QObject::connect(spacing_, &QTimer::timeout, window, [this] {
        if (waiting_) {
            const Balloon next = *waiting_;
            waiting_.reset();
            ShowNow(next);
        }
    });
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
    spacing_->start(std::max(balloon.timeoutMs, kMinimumBalloonSpacingMs));
}

void TrayIcon::Hide() {
    spacing_->stop();
    waiting_.reset();
    icon_->hide();
}

} // namespace kelmora
