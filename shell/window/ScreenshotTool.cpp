// kelmora-screenshots: shows the window against the terminals of a
// configuration and saves a PNG of every page, of the window during a
// download (the command given by --download, sent from the command line) and
// a sheet of the program's pictures. Message boxes are answered by themselves
// (OK, and No to every question) and written to standard error.
//
//   kelmora-screenshots --config FILE --out DIR [--download COMMAND]
#include "engine/EventLog.h"
#include "shell/window/Application.h"
#include "shell/window/Icons.h"
#include "shell/window/QtText.h"
#include "shell/window/StatusPanels.h"
#include "shell/window/Style.h"
#include "shell/window/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <iostream>

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

bool Save(QWidget& window, const QDir& out, const QString& name) {
    const QString path = out.filePath(name + QStringLiteral(".png"));
    const bool saved = window.grab().save(path);
    std::cerr << (saved ? "saved " : "cannot save ") << path.toStdString() << '\n';
    return saved;
}

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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (!PrepareApplication(app)) {
        std::cerr << "Qt's Czech texts (qtbase_cs.qm) are missing\n";
    }

    QString config;
    QString outDir = QStringLiteral("screenshots");
    QString download;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QStringLiteral("--config")) {
            config = args[i + 1];
        } else if (args[i] == QStringLiteral("--out")) {
            outDir = args[i + 1];
        } else if (args[i] == QStringLiteral("--download")) {
            download = args[i + 1];
        }
    }
    if (config.isEmpty()) {
        std::cerr << "usage: kelmora-screenshots --config FILE --out DIR [--download COMMAND]\n";
        return 2;
    }
    QDir out(outDir);
    if (!out.mkpath(QStringLiteral("."))) {
        std::cerr << "cannot create " << outDir.toStdString() << '\n';
        return 1;
    }

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

    int failures = 0;
    const char* names[5] = {"1-ovladani-terminalu", "2-konfigurace-terminalu",
                            "3-servisni-nastaveni", "4-o-programu", "5-chybova-hlaseni"};
    for (int page = 0; page < 5; ++page) {
        if (page == 4) {
            form.Button2Click();
        } else {
            form.Ui().PageControl1->setCurrentIndex(page);
        }
        Settle(300);
        failures += Save(form, out, QString::fromLatin1(names[page])) ? 0 : 1;
    }
    form.BitBtn2Click();
    form.FormActivate();

    if (!download.isEmpty()) {
        form.Ui().Edit1->setText(download);
        bool grabbed = false;
        int busyTicks = 0;
        QTimer during;
        during.setInterval(100);
        QObject::connect(&during, &QTimer::timeout, [&] {
            // Runs inside the job's serial waits, a second into the download.
            if (!grabbed && form.GetEngine().Busy() && ++busyTicks == 10) {
                grabbed = true;
                failures += Save(form, out, QStringLiteral("6-stahovani")) ? 0 : 1;
            }
        });
        during.start();
        form.Button1Click();
        during.stop();
        Settle(300);
        failures += Save(form, out, QStringLiteral("7-po-stazeni")) ? 0 : 1;
        if (!grabbed) {
            std::cerr << "the download ended before a picture of it was taken\n";
        }
    }

    const QString sheetPath = out.filePath(QStringLiteral("0-obrazky.png"));
    failures += PictureSheet(form.devicePixelRatioF()).save(sheetPath) ? 0 : 1;
    std::cerr << "saved " << sheetPath.toStdString() << '\n';
    form.FormDestroy();
    return failures == 0 ? 0 : 1;
}
