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
    AboutPicture() { setAttribute(Qt::WA_TranslucentBackground); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintAboutPicture(painter, rect());
    }
};

} // namespace

QWidget* BuildAboutPage(Controls& ui) {
    auto* page = FromTable(new QWidget, "TabSheet4");

    ui.Label30 = MakeLabel("Label30", nullptr);
    ui.Label30->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui.Label30->setWordWrap(true);
    QFont font = ui.Label30->font();
    font.setPointSizeF(9);
    ui.Label30->setFont(font);

    ui.Label26 = MakeLabel("Label26", nullptr);
    ui.Label26->setAlignment(Qt::AlignCenter);
    QPalette grey = ui.Label26->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    ui.Label26->setPalette(grey);

    ui.Image2 = FromTable(new AboutPicture, "Image2");

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
