// kelmora-screenshots: shows the window against the terminals of a
// configuration and saves PNGs for review: every page, the window during a
// download (the command given by --download, sent from the command line) with
// a press the busy program ignored, a long status pair, the dialogs and
// message boxes, an open drop-down list and a sheet of the program's
// pictures. On a desktop with a window manager it adds the window with its
// frame; with a notification area, a balloon with the pointer on it, before
// and after its time; with --program, the message of a second copy of that
// program. Message boxes of the window are answered by themselves (OK, and
// No to every question) and written to standard error.
//
//   kelmora-screenshots --config FILE --out DIR [--download COMMAND] [--program KELMORA]
//
// Exit status 1 when a picture could not be saved or a balloon outlived its
// time.
#include "engine/EventLog.h"
#include "platform/SingleInstance.h"
#include "shell/window/Application.h"
#include "shell/window/CommandFileDialog.h"
#include "shell/window/DirectoryDialog.h"
#include "shell/window/Icons.h"
#include "shell/window/MessageBoxes.h"
#include "shell/window/QtText.h"
#include "shell/window/StatusPanels.h"
#include "shell/window/Style.h"
#include "shell/window/TForm1.h"
#include "shell/window/TrayIcon.h"
#include "tools/MessageBoxSamples.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>

using namespace kelmora;

namespace {

void Settle(int ms) {
    QTimer wait;
    wait.setSingleShot(true);
    wait.start(ms);
    while (wait.isActive()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

class Pictures {
public:
    explicit Pictures(const QDir& out) : out_(out) {}

    void Save(const QPixmap& picture, const QString& name) {
        const QString path = out_.filePath(name + QStringLiteral(".png"));
        const bool saved = !picture.isNull() && picture.save(path);
        std::cerr << (saved ? "saved " : "cannot save ") << path.toStdString() << '\n';
        failures_ += saved ? 0 : 1;
    }
    void Save(QWidget& widget, const QString& name) { Save(widget.grab(), name); }
    // What the screen shows in `area` (other windows, the frame, balloons).
    void SaveScreen(const QRect& area, const QString& name) {
        QScreen* screen = QGuiApplication::primaryScreen();
        Save(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()), name);
    }
    void Fail(const char* why) {
        std::cerr << why << '\n';
        ++failures_;
    }
    int Failures() const { return failures_; }

private:
    QDir out_;
    int failures_ = 0;
};

QPixmap PictureSheet(qreal scale) {
    const int cell = 40;
    QPixmap sheet(QSize(cell * 10 + 160, 330) * scale);
    sheet.setDevicePixelRatio(scale);
    sheet.fill(quartz::Window);
    QPainter p(&sheet);
    for (int i = 0; i < 2; ++i) {
        TrayImage(i).paint(&p, QRect(8 + cell * i, 8, 16, 16));
        TrayImage(i).paint(&p, QRect(8 + cell * i, 30, 32, 32));
    }
    for (int i = 0; i < 5; ++i) {
        TabIcon(i).paint(&p, QRect(8 + cell * i, 80, 24, 24));
    }
    const QColor squares[4] = {QColor(0, 255, 0), QColor(0, 255, 255), QColor(255, 0, 0),
                               QColor(255, 255, 255)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(squares[i].darker(175));
        p.setBrush(squares[i]);
        p.drawRoundedRect(QRectF(8 + 44 * i, 130, 32, 32), 6, 6);
        IndicatorIcon(i).paint(&p, QRect(12 + 44 * i, 134, 24, 24));
    }
    for (int i = 0; i <= static_cast<int>(Glyph::Erase); ++i) {
        GlyphIcon(static_cast<Glyph>(i)).paint(&p, QRect(8 + cell * i, 190, 16, 16));
        GlyphIcon(static_cast<Glyph>(i)).paint(&p, QRect(8 + cell * i, 214, 32, 32));
    }
    PaintAboutPicture(p, QRectF(cell * 10, 8, 145, 311));
    return sheet;
}

// Shows `dialog` without waiting for an answer, saves it and closes it.
void SaveDialog(Pictures& pictures, QWidget& dialog, const QString& name, int settleMs = 400) {
    dialog.show();
    Settle(settleMs);
    pictures.Save(dialog, name);
    dialog.close();
}

void DownloadPictures(Pictures& pictures, TForm1& form, const QString& command) {
    form.Ui().Edit1->setText(command);
    int busyTicks = 0;
    QTimer during;
    during.setInterval(100);
    QObject::connect(&during, &QTimer::timeout, [&] {
        // Runs inside the job's serial waits, a second and a half into the
        // download: the picture of the job, then a press it ignores. Nothing
        // here may wait: the download's byte timeouts run meanwhile.
        if (!form.GetEngine().Busy()) {
            return;
        }
        ++busyTicks;
        if (busyTicks == 10) {
            pictures.Save(form, QStringLiteral("6-stahovani"));
        } else if (busyTicks == 15) {
            form.Ui().BitBtn1->click(); // "Příkazy ze souboru": ignored, and says so
            pictures.Save(form, QStringLiteral("8-stisk-behem-ulohy"));
        }
    });
    during.start();
    form.Form().Button1Click();
    during.stop();
    form.StatusBar1()->ClearNote(); // the status bar as the job left it
    Settle(300);
    pictures.Save(form, QStringLiteral("7-po-stazeni"));
    if (busyTicks < 15) {
        pictures.Fail("the download ended before its pictures were taken");
    }
}

void DialogPictures(Pictures& pictures, TForm1& form) {
    const std::unique_ptr<QFileDialog> files = MakeOpenDialog1(&form);
    files->setDirectory(QDir::current());
    SaveDialog(pictures, *files, QStringLiteral("10-soubor-prikazu"), 800);

    form.Ui().PageControl1->setCurrentIndex(0);
    const std::unique_ptr<QMenu> menu(form.Ui().Edit1->createStandardContextMenu());
    menu->popup(form.Ui().Edit1->mapToGlobal(QPoint(20, 10)));
    Settle(300);
    pictures.Save(*menu, QStringLiteral("11-menu-prikazoveho-radku"));
    menu->hide();

    const MessageAnswerer ok = [](QWidget*, const MessageBox&) { return MessageAnswer::Ok; };
    DirectoryDialog directories(&form, form.Ui().Path_data->text(), ok);
    SaveDialog(pictures, directories, QStringLiteral("12-vyber-adresare"), 1500);

    for (const auto& [name, box] : screenshots::SampleMessageBoxes()) {
        const std::unique_ptr<QMessageBox> shown = MakeMessageBox(&form, box);
        SaveDialog(pictures, *shown, QStringLiteral("13") + QString::fromLatin1(name));
    }
}

// The window and an open list, as the screen shows them.
void DropDownPicture(Pictures& pictures, TForm1& form) {
    form.Ui().PageControl1->setCurrentIndex(2);
    QComboBox* list = form.Ui().Delay_add;
    list->showPopup();
    Settle(400);
    const QRect area = form.frameGeometry().united(list->view()->window()->frameGeometry());
    pictures.SaveScreen(area.adjusted(-4, -4, 4, 4), QStringLiteral("14-seznam-prodlouzeni"));
    list->hidePopup();
    form.Ui().PageControl1->setCurrentIndex(0);
}

// The status pair of a full 2500-person memory read after one re-sent
// command: wider than its panel.
void StatusPairPicture(Pictures& pictures, TForm1& form) {
    form.StatusBar1()->ClearNote();
    form.SetStatusPanel(1, "2501,2500");
    form.SetStatusPanel(3, "60003");
    Settle(100);
    pictures.Save(form, QStringLiteral("9-dlouhy-status"));
}

QWidget* QtBalloon() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qstrcmp(window->metaObject()->className(), "QBalloonTip") == 0 && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// "Start programu" with the pointer on it: on show, then gone after its time.
void BalloonPictures(Pictures& pictures, TForm1& form) {
    form.ShowBalloon("Kelmora 2013", "Start programu", 500);
    Settle(150);
    QWidget* balloon = QtBalloon();
    if (balloon == nullptr) {
        pictures.Fail("no balloon showed on this desktop");
        return;
    }
    const QRect tray = form.StatusIcon1().Icon()->geometry();
    const QRect area = balloon->frameGeometry().united(tray).adjusted(-30, -30, 30, 30);
    QCursor::setPos(balloon->frameGeometry().center());
    Settle(100);
    pictures.SaveScreen(area, QStringLiteral("16-bublina"));
    Settle(1500);
    pictures.SaveScreen(area, QStringLiteral("17-bublina-po-case"));
    if (QtBalloon() != nullptr) {
        pictures.Fail("the balloon stayed under the pointer after its time");
    }
}

// A second copy of `program` started while this tool holds the program's
// single-instance mark: its message, as the screen shows it.
void SecondCopyPicture(Pictures& pictures, const QString& program) {
    SingleInstance mark("Kelmoraprogram");
    if (!mark.Held()) {
        pictures.Fail("the single-instance mark is held by another copy");
        return;
    }
    QProcess second;
    second.start(program, {});
    if (!second.waitForStarted(5000)) {
        pictures.Fail("the second copy did not start");
        return;
    }
    Settle(2500);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize size(420, 200);
    pictures.SaveScreen(QRect(screen.center() - QPoint(size.width() / 2, size.height() / 2), size),
                        QStringLiteral("18-druha-kopie"));
    second.kill();
    second.waitForFinished(5000);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (!PrepareApplication(app)) {
        std::cerr << "Qt's Czech texts (qtbase_cs.qm) are missing\n";
    }

    QString config;
    QString outDir = QStringLiteral("screenshots");
    QString download;
    QString program;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--config")) {
            config = args[i + 1];
        } else if (args[i] == QStringLiteral("--out")) {
            outDir = args[i + 1];
        } else if (args[i] == QStringLiteral("--download")) {
            download = args[i + 1];
        } else if (args[i] == QStringLiteral("--program")) {
            program = args[i + 1];
        }
    }
    if (config.isEmpty()) {
        std::cerr << "usage: kelmora-screenshots --config FILE --out DIR [--download COMMAND] "
                     "[--program KELMORA]\n";
        return 2;
    }
    QDir out(outDir);
    if (!out.mkpath(QStringLiteral("."))) {
        std::cerr << "cannot create " << outDir.toStdString() << '\n';
        return 1;
    }
    Pictures pictures(out);

    WindowOptions options;
    options.trayAvailable = true; // starts hidden; shown below, whatever the desktop offers
    options.dialogs.message = [](QWidget*, const MessageBox& box) {
        const bool question = box.buttons == MessageButtons::YesNo;
        std::cerr << "message: " << utf8_from_cp1250(box.text)
                  << (question ? " [Ne]\n" : " [OK]\n");
        return question ? MessageAnswer::No : MessageAnswer::Ok;
    };
    options.quit = [] {};
    EngineOptions engineOptions;
    engineOptions.iniPath = CpFromQt(config);
    engineOptions.startDirectory = CaptureStartDirectory();
    TForm1 form(std::move(engineOptions), std::move(options));
    form.FormCreate();
    form.show();
    Settle(1500);

    const char* names[5] = {"1-ovladani-terminalu", "2-konfigurace-terminalu",
                            "3-servisni-nastaveni", "4-o-programu", "5-chybova-hlaseni"};
    for (int page = 0; page < 5; ++page) {
        if (page == 4) {
            form.Form().Button2Click();
        } else {
            form.Ui().PageControl1->setCurrentIndex(page);
        }
        Settle(300);
        pictures.Save(form, QString::fromLatin1(names[page]));
    }
    form.Form().BitBtn2Click();
    form.Form().FormActivate();

    if (!download.isEmpty()) {
        DownloadPictures(pictures, form, download);
    }
    StatusPairPicture(pictures, form);
    DialogPictures(pictures, form);
    DropDownPicture(pictures, form);

    if (form.frameGeometry() != form.geometry()) { // a window manager draws the frame
        Settle(300);
        pictures.SaveScreen(form.frameGeometry(), QStringLiteral("15-okno-s-ramem"));
    }
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        BalloonPictures(pictures, form);
    }
    if (!program.isEmpty()) {
        SecondCopyPicture(pictures, program);
    }

    pictures.Save(PictureSheet(form.devicePixelRatioF()), QStringLiteral("0-obrazky"));
    form.FormDestroy();
    return pictures.Failures() == 0 ? 0 : 1;
}
