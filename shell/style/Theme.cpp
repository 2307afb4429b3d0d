#include "shell/style/Theme.h"

#include <QApplication>
#include <QPointer>
#include <QToolTip>
#include <QWidget>

#include <vector>

namespace {

Theme makeLight() {
    Theme t;
    t.background = QColor(255, 255, 255);
    t.panel = QColor(245, 245, 247);
    t.card = QColor(255, 255, 255);
    t.border = QColor(216, 216, 221);
    t.divider = QColor(229, 229, 234);
    t.chip = QColor(242, 242, 247);
    t.track = QColor(229, 229, 234);
    t.text = QColor(29, 29, 31);
    t.textSecondary = QColor(110, 110, 115);
    t.textTertiary = QColor(142, 142, 147);
    t.ink = QColor(255, 107, 74);
    t.onInk = QColor(255, 255, 255);
    t.used = QColor(255, 59, 48);
    t.free = QColor(52, 199, 89);
    t.colorScheme = ColorScheme::light;
    return t;
}

Theme makeDark() {
    Theme t;
    t.background = QColor(30, 30, 32);
    t.panel = QColor(40, 40, 43);
    t.card = QColor(44, 44, 46);
    t.border = QColor(63, 63, 67);
    t.divider = QColor(56, 56, 58);
    t.chip = QColor(58, 58, 60);
    t.track = QColor(58, 58, 60);
    t.text = QColor(245, 245, 247);
    t.textSecondary = QColor(174, 174, 178);
    t.textTertiary = QColor(142, 142, 147);
    t.ink = QColor(255, 122, 92);
    t.onInk = QColor(255, 255, 255);
    t.used = QColor(255, 69, 58);
    t.free = QColor(48, 209, 88);
    t.colorScheme = ColorScheme::dark;
    return t;
}

} // namespace

const Theme& Theme::light() {
    static const Theme theme = makeLight();
    return theme;
}

const Theme& Theme::dark() {
    static const Theme theme = makeDark();
    return theme;
}

const Theme& Theme::forName(ThemeName name) {
    return name == ThemeName::dark ? dark() : light();
}

const QColor& canvasInk() {
    static const QColor color(15, 23, 42);
    return color;
}

const QColor& canvasInkSecondary() {
    static const QColor color(71, 85, 105);
    return color;
}

const QColor& canvasLightInk() {
    static const QColor color(248, 250, 252);
    return color;
}

const QColor& canvasLightInkSecondary() {
    static const QColor color(203, 213, 225);
    return color;
}

QPalette paletteFor(const Theme& t) {
    QPalette p;
    auto all = [&p](QPalette::ColorRole role, const QColor& color) {
        p.setColor(QPalette::Active, role, color);
        p.setColor(QPalette::Inactive, role, color);
        p.setColor(QPalette::Disabled, role, color);
    };
    all(QPalette::Window, t.background);
    all(QPalette::WindowText, t.text);
    all(QPalette::Base, t.card);
    all(QPalette::AlternateBase, t.panel);
    all(QPalette::ToolTipBase, t.card);
    all(QPalette::ToolTipText, t.text);
    all(QPalette::PlaceholderText, t.textTertiary);
    all(QPalette::Text, t.text);
    all(QPalette::Button, t.chip);
    all(QPalette::ButtonText, t.text);
    all(QPalette::BrightText, t.onInk);
    all(QPalette::Highlight, t.ink);
    all(QPalette::HighlightedText, t.onInk);
    all(QPalette::Link, t.ink);
    all(QPalette::LinkVisited, t.ink);
    // Bevels of the widgets Qt draws (scroll bars, frames): derived from the surfaces.
    all(QPalette::Light, t.card.lighter(110));
    all(QPalette::Midlight, t.chip);
    all(QPalette::Mid, t.border);
    all(QPalette::Dark, t.border.darker(120));
    all(QPalette::Shadow, QColor(0, 0, 0, 60));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, t.textTertiary);
    return p;
}

ThemeManager& ThemeManager::instance() {
    static ThemeManager* manager = new ThemeManager; // lives as long as the process; never deleted
    return *manager;
}

ThemeManager::ThemeManager() {
    systemThemeName();
}

void ThemeManager::setThemeName(ThemeName name) {
    systemThemeName(); // remember the desktop's palette before it is replaced
    const bool changed = name != name_;
    if (changed) emit themeAboutToChange();
    name_ = name;
    if (qApp) {
        const QPalette palette = paletteFor(current());
        QApplication::setPalette(palette);
        // Tool tips keep a palette of their own, which the desktop's theme sets at start.
        QToolTip::setPalette(palette);
    }
    if (!changed) return;
    reachWidgets();
    emit themeChanged();
}

QEvent::Type themeChangeEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void ThemeManager::reachWidgets() {
    if (!qApp) return;
    // Hidden widgets too: a screen shown later must not come back in the old colours. A widget may
    // rebuild its children on the event, so each is checked to be alive before it is reached.
    const QWidgetList all = QApplication::allWidgets();
    std::vector<QPointer<QWidget>> widgets(all.begin(), all.end());
    for (const QPointer<QWidget>& widget : widgets) {
        if (!widget) continue;
        QEvent event(themeChangeEvent());
        QCoreApplication::sendEvent(widget, &event);
        if (widget) widget->update();
    }
}

ThemeName ThemeManager::systemThemeName() {
    // Read once, before the first setPalette replaces the desktop's colours.
    static const ThemeName system = [] {
        if (!qApp) return ThemeName::light;
        return QGuiApplication::palette().color(QPalette::Window).lightness() < 128 ? ThemeName::dark
                                                                                    : ThemeName::light;
    }();
    return system;
}
