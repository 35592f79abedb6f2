#include "shell/window/TrayIcon.h"

#include "shell/ProgramIdentity.h"
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

TrayIcon::TrayIcon(QWidget* window, const TrayHandlers& handlers)
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
