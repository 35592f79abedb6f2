#include "shell/window/Style.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionTab>
#include <QToolTip>

namespace kelmora {

namespace {

// Fusion, with the tabs of the page control at their designed height.
class KelmoraStyle : public QProxyStyle {
public:
    KelmoraStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_TabBarTab) {
            const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
            const bool horizontal = tab == nullptr || tab->shape == QTabBar::RoundedNorth ||
                                    tab->shape == QTabBar::RoundedSouth ||
                                    tab->shape == QTabBar::TriangularNorth ||
                                    tab->shape == QTabBar::TriangularSouth;
            if (horizontal) {
                s.setHeight(kTabHeight);
            }
        }
        return s;
    }

    // Fusion opens a drop-down list around its current entry, as tall as its
    // entries need (60 for Delay_add), and ignores the list's number of
    // visible entries; a list that drops down below the box keeps to it.
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) {
            return 8; // five tabs with their icons fit the window's width
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

QPalette QuartzPalette() {
    using namespace quartz;
    QPalette p;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, Window);
        p.setColor(group, QPalette::WindowText, Text);
        p.setColor(group, QPalette::Base, Base);
        p.setColor(group, QPalette::AlternateBase, AlternateBase);
        p.setColor(group, QPalette::ToolTipBase, Light);
        p.setColor(group, QPalette::ToolTipText, Text);
        p.setColor(group, QPalette::PlaceholderText, DisabledText);
        p.setColor(group, QPalette::Text, Text);
        p.setColor(group, QPalette::Button, Button);
        p.setColor(group, QPalette::ButtonText, Text);
        p.setColor(group, QPalette::BrightText, HighlightedText);
        p.setColor(group, QPalette::Light, Light);
        p.setColor(group, QPalette::Midlight, Midlight);
        p.setColor(group, QPalette::Mid, Mid);
        p.setColor(group, QPalette::Dark, Dark);
        p.setColor(group, QPalette::Shadow, Shadow);
        p.setColor(group, QPalette::Highlight, Highlight);
        p.setColor(group, QPalette::HighlightedText, HighlightedText);
        p.setColor(group, QPalette::Link, Highlight);
        p.setColor(group, QPalette::LinkVisited, Accent);
    }
    p.setColor(QPalette::Disabled, QPalette::WindowText, DisabledText);
    p.setColor(QPalette::Disabled, QPalette::Text, DisabledText);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, DisabledText);
    p.setColor(QPalette::Disabled, QPalette::Base, AlternateBase);
    p.setColor(QPalette::Disabled, QPalette::Highlight, Mid);
    p.setColor(QPalette::Inactive, QPalette::Highlight, Dark);
    return p;
}

QFont WindowFont(double points) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QFont TabFont() {
    QFont font = WindowFont(7.5);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    return font;
}

QFont FixedFont(double points) {
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono"),
                      QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(points);
    return font;
}

void ApplyKelmoraStyle(QApplication& app) {
    QApplication::setStyle(new KelmoraStyle); // the application takes it over
    const QPalette palette = QuartzPalette();
    QApplication::setPalette(palette);
    QToolTip::setPalette(palette);
    app.setFont(WindowFont());
}

} // namespace kelmora
