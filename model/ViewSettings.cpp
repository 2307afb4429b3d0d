#include "model/ViewSettings.h"

#include "model/Published.h"
#include "model/StoredSettings.h"

ViewSettings::ViewSettings(Appearance appearance, QObject* parent)
    : QObject(parent), appearance_(std::move(appearance)) {
    themeName_ = stored_settings::theme().value_or(systemThemeName());
    applyAppearance();
}

ThemeName ViewSettings::systemThemeName() const {
    return appearance_.systemThemeName ? appearance_.systemThemeName() : ThemeName::light;
}

void ViewSettings::applyAppearance() {
    if (appearance_.apply) appearance_.apply(themeName_);
}

void ViewSettings::setTab(AppTab tab) {
    publish(this, tab_, tab, &ViewSettings::tabChanged);
}
void ViewSettings::setMode(VisualizationMode mode) {
    publish(this, mode_, mode, &ViewSettings::modeChanged);
}
void ViewSettings::setColorMode(ColorMode mode) {
    publish(this, colorMode_, mode, &ViewSettings::colorModeChanged);
}
void ViewSettings::setDepth(double depth) {
    publish(this, depth_, depth, &ViewSettings::depthChanged);
}
void ViewSettings::setAbbreviateLabels(bool on) {
    publish(this, abbreviateLabels_, on, &ViewSettings::abbreviateLabelsChanged);
}
void ViewSettings::setShowInspector(bool on) {
    publish(this, showInspector_, on, &ViewSettings::showInspectorChanged);
}

void ViewSettings::setThemeName(ThemeName name) {
    // Every assignment is stored and applied, even of the same theme.
    themeName_ = name;
    emit themeNameChanged();
    stored_settings::setTheme(name);
    applyAppearance();
}
