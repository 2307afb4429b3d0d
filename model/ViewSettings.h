#pragma once

#include "model/ThemeName.h"
#include "model/ViewModes.h"

#include <QObject>

#include <functional>

// How the window shows the scan: its tab, the Explore tab's visualisation and its knobs, the inspector
// and the theme. Reached from the state object (ScanViewModel::settings()); main thread only, each
// field announcing its change with its own signal.
//
// The theme starts as the stored "theme" when there is one, else as the system's; this object is the
// only one that reads or writes that setting.
class ViewSettings : public QObject {
    Q_OBJECT

  public:
    struct Appearance {
        // The system appearance at start. Default: light.
        std::function<ThemeName()> systemThemeName;
        // Makes the parts the toolkit draws follow a theme (palette). Default: nothing.
        std::function<void(ThemeName)> apply;
    };

    // Reads the stored theme and applies the starting one; the stored theme is not written back.
    explicit ViewSettings(Appearance appearance, QObject* parent = nullptr);

    AppTab tab() const { return tab_; }
    VisualizationMode mode() const { return mode_; }
    ColorMode colorMode() const { return colorMode_; }
    double depth() const { return depth_; }
    bool abbreviateLabels() const { return abbreviateLabels_; }
    bool showInspector() const { return showInspector_; }
    ThemeName themeName() const { return themeName_; }
    // The theme matching the system appearance.
    ThemeName systemThemeName() const;

    void setTab(AppTab tab);
    void setMode(VisualizationMode mode);
    void setColorMode(ColorMode mode);
    void setDepth(double depth);
    void setAbbreviateLabels(bool on);
    void setShowInspector(bool on);
    // Every assignment, even of the same value, stores "theme" and applies the appearance.
    void setThemeName(ThemeName name);

  signals:
    void tabChanged();
    void modeChanged();
    void colorModeChanged();
    void depthChanged();
    void abbreviateLabelsChanged();
    void showInspectorChanged();
    void themeNameChanged();

  private:
    void applyAppearance();

    Appearance appearance_;
    AppTab tab_ = AppTab::explore;
    VisualizationMode mode_ = VisualizationMode::folders;
    ColorMode colorMode_ = ColorMode::folder;
    double depth_ = 7.0;
    bool abbreviateLabels_ = false;
    bool showInspector_ = true;
    ThemeName themeName_ = ThemeName::light;
};
