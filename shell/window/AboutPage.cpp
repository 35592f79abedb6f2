// Page "O programu": the about text, the build date and the picture.
#include "shell/window/Controls.h"
#include "shell/window/Icons.h"
#include "shell/window/PageParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace kelmora {

namespace {

class AboutPicture : public QWidget {
public:
    AboutPicture() {
        setAttribute(Qt::WA_TranslucentBackground);
        setFixedSize(145, 311);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintAboutPicture(painter, rect());
    }
};

} // namespace

QWidget* BuildAboutPage(Controls& ui) {
    auto* page = Named(new QWidget, QStringLiteral("TabSheet4"));

    ui.Label30 = MakeLabel(QStringLiteral("Label30"),
                           QStringLiteral("Program KELMORA 2013\n"
                                          "\n"
                                          "Program Kelmora je určen pro počítače s operačním "
                                          "systémem\n"
                                          "\n"
                                          "®Windows 7,\n"
                                          "®Windows 8,"),
                           nullptr);
    ui.Label30->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui.Label30->setWordWrap(true);
    QFont font = ui.Label30->font();
    font.setPointSizeF(9);
    ui.Label30->setFont(font);

    ui.Label26 = MakeLabel(QStringLiteral("Label26"), QString(), nullptr);
    ui.Label26->setAlignment(Qt::AlignCenter);
    QPalette grey = ui.Label26->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    ui.Label26->setPalette(grey);

    ui.Image2 = Named(new AboutPicture, QStringLiteral("Image2"));

    auto* text = new QVBoxLayout;
    text->addWidget(ui.Label30);
    text->addStretch();
    text->addWidget(ui.Label26);

    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(20, 10, 14, 6);
    layout->setSpacing(12);
    layout->addLayout(text, 1);
    layout->addWidget(ui.Image2, 0, Qt::AlignRight | Qt::AlignVCenter);
    return page;
}

} // namespace kelmora
