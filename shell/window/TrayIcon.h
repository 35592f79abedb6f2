// StatusIcon1, the notification-area icon, with its menu PopupMenu1, whose
// entries are the control table's: "Zobrazit program" (the default entry,
// bold), "Schovat program", a separator and "Konec". A double click is
// "Zobrazit program". Its balloons always
// carry the information icon. Visible from the window's creation to its
// destruction; where the desktop has no notification area it stays unseen.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string_view>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace kelmora {

// A menu entry chosen, by its component name.
using MenuPress = std::function<void(std::string_view entry)>;

class TrayIcon {
public:
    TrayIcon(QWidget* window, const MenuPress& press);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Image 0 idle, 1 while a job runs.
    void SetImage(int image);
    int Image() const { return image_; }

    // A job shows a balloon for every line; the desktop gets at most one per
    // balloon time, each with the latest text, so a long job cannot flood a
    // notification service that stacks its messages. A balloon goes when its
    // time is up, wherever the pointer is: Qt's own balloon (a desktop whose
    // notification area is an XEmbed tray) would wait for the pointer to
    // leave it, so the icon closes it itself. A notification service keeps
    // its own time.
    void ShowBalloon(const QString& title, const QString& text, int timeoutMs);
    // Whether a balloon is on show (its time not yet up).
    bool BalloonOnScreen() const;
    // Told of every balloon, shown or not (the offscreen desktop has no
    // notification area).
    void SetBalloonObserver(std::function<void(const QString&, const QString&, int)> observer) {
        observer_ = std::move(observer);
    }

    void Hide();

    // What went to the desktop: how many balloons, and the last one's text.
    int BalloonsShown() const { return shown_; }
    QString LastBalloonText() const { return lastText_; }

    QSystemTrayIcon* Icon() const { return icon_; }
    QMenu* Menu() const { return menu_; }

private:
    struct Balloon {
        QString title;
        QString text;
        int timeoutMs = 0;
    };
    void ShowNow(const Balloon& balloon);

    QSystemTrayIcon* icon_;
    QMenu* menu_;
    QTimer* spacing_;
    QTimer* expiry_;
    std::optional<Balloon> waiting_;
    int shown_ = 0;
    QString lastText_;
    int image_ = 0;
    std::function<void(const QString&, const QString&, int)> observer_;
};

} // namespace kelmora
