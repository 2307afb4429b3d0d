#pragma once

#include "model/ThemeName.h"

#include <QColor>
#include <QEvent>
#include <QObject>
#include <QPalette>

// The platform colour scheme a theme stands for; part of every CanvasKey, so a cached drawing is
// redrawn when the theme changes.
enum class ColorScheme : uint8_t { light, dark };

// The fourteen colour roles of one theme. Views never pick interface colours of their own: they
// read them from ThemeManager::current() (or the free function theme()).
struct Theme {
    QColor background;    // window and full-area screens
    QColor panel;         // panel surfaces
    QColor card;          // fill of cards
    QColor border;        // one-point outlines of cards, outlined buttons, icon buttons, the hover chip
    QColor divider;       // separator lines
    QColor chip;          // fill of chips, square icon buttons, small tiles
    QColor track;         // unfilled tracks
    QColor text;          // primary text
    QColor textSecondary; // secondary text
    QColor textTertiary;  // captions, tertiary text and icons
    QColor ink;           // accent; fill of the primary button
    QColor onInk;         // text and icons drawn on ink
    QColor used;          // the used part of a disk; also the system red of destructive actions and failures
    QColor free;          // the free part of a disk
    ColorScheme colorScheme = ColorScheme::light;

    static const Theme& light();
    static const Theme& dark();
    static const Theme& forName(ThemeName name);
};

// Fixed label and outline colours of the canvas visualisations, the same in both themes.
const QColor& canvasInk();
const QColor& canvasInkSecondary();
// Their light counterparts, for the fills the dark inks do not read on (contrast::textInk picks).
const QColor& canvasLightInk();
const QColor& canvasLightInkSecondary();

// The application palette for a theme, so the widgets Qt draws (line edits, scroll bars, menus,
// tool tips, the folder chooser) follow it.
QPalette paletteFor(const Theme& theme);

// Sent to every widget when the theme switches, after the application palette has changed; each widget
// is repainted right after. Widgets that paint from theme() need nothing more. The few that hand a
// colour to Qt (a palette of their own, a style sheet) set it again from theme() on this event, in an
// override of QWidget::event(); none keeps a colour it was given when it was built.
QEvent::Type themeChangeEvent();

// The one place every widget reads the current theme from. Lives on the main thread.
class ThemeManager : public QObject {
    Q_OBJECT
  public:
    static ThemeManager& instance();

    const Theme& current() const { return Theme::forName(name_); }
    ThemeName name() const { return name_; }

    // Applies a theme: the application's and the tool tips' palette, then themeChangeEvent and a
    // repaint for every widget, then themeChanged. Setting the same name again re-applies the palette and
    // does no more.
    void setThemeName(ThemeName name);

    // Light or dark from the lightness of the desktop's default window colour (read before Brenwick
    // installs its own palette; Qt 6.4 has no colour-scheme query).
    static ThemeName systemThemeName();

  signals:
    // Emitted just before the palette changes (the window takes a picture of the old look to
    // cross-fade from), and after every widget has heard of the change. Widgets do not connect to
    // these to repaint: they receive themeChangeEvent.
    void themeAboutToChange();
    void themeChanged();

  private:
    ThemeManager();
    static void reachWidgets();

    ThemeName name_ = ThemeName::light;
};

// Shorthand for ThemeManager::instance().current().
inline const Theme& theme() {
    return ThemeManager::instance().current();
}
