#include "model/ViewSettings.h"
#include "tests/support/ScanFixture.h"

#include <QSettings>
#include <QSignalSpy>

#include <functional>
#include <memory>
#include <vector>

namespace {

class ViewSettingsTest : public ScanFixture {
  protected:
    std::unique_ptr<ViewSettings> makeSettings() {
        return std::make_unique<ViewSettings>(ViewSettings::Appearance{
            [this] { return systemTheme; }, [this](ThemeName t) { applied.push_back(t); }});
    }
    static QVariant storedTheme() { return QSettings("Brenwick", "Brenwick").value("theme"); }

    ThemeName systemTheme = ThemeName::light;
    std::vector<ThemeName> applied;
};

TEST_F(ViewSettingsTest, ThemeFromTheSystemUnlessOneIsStoredExactly) {
    systemTheme = ThemeName::dark;
    EXPECT_EQ(makeSettings()->themeName(), ThemeName::dark);
    EXPECT_EQ(applied, std::vector{ThemeName::dark}); // applied at start even when nothing is stored
    EXPECT_FALSE(storedTheme().isValid());            // and nothing written

    for (auto [value, theme] :
         {std::pair{"Light", ThemeName::light}, {"light", ThemeName::dark}, {"", ThemeName::dark}}) {
        QSettings("Brenwick", "Brenwick").setValue("theme", value);
        EXPECT_EQ(makeSettings()->themeName(), theme) << value;
        EXPECT_EQ(applied.back(), theme) << value;
        EXPECT_EQ(storedTheme().toString(), value) << value; // read, never rewritten
    }
}

TEST_F(ViewSettingsTest, EveryThemeAssignmentIsStoredAndApplied) {
    auto settings = makeSettings();
    QSignalSpy changes(settings.get(), &ViewSettings::themeNameChanged);
    applied.clear();
    for (int i = 0; i < 2; ++i)
        settings->setThemeName(ThemeName::dark);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(applied, (std::vector{ThemeName::dark, ThemeName::dark}));
    EXPECT_EQ(storedTheme().toString(), "Dark");
    EXPECT_EQ(makeSettings()->themeName(), ThemeName::dark); // the next run starts from it
}

// Each field announces a real change with its own signal, and only that one.
TEST_F(ViewSettingsTest, EachFieldHasItsOwnChangeSignal) {
    auto settings = makeSettings();
    EXPECT_EQ(settings->tab(), AppTab::explore);
    EXPECT_EQ(settings->mode(), VisualizationMode::folders);
    EXPECT_EQ(settings->colorMode(), ColorMode::folder);
    EXPECT_EQ(settings->depth(), 7.0);
    EXPECT_FALSE(settings->abbreviateLabels());
    EXPECT_TRUE(settings->showInspector());

    ViewSettings* s = settings.get();
    const std::pair<void (ViewSettings::*)(), std::function<void()>> fields[] = {
        {&ViewSettings::tabChanged, [s] { s->setTab(AppTab::monitor); }},
        {&ViewSettings::modeChanged, [s] { s->setMode(VisualizationMode::sunburst); }},
        {&ViewSettings::colorModeChanged, [s] { s->setColorMode(ColorMode::age); }},
        {&ViewSettings::depthChanged, [s] { s->setDepth(3.5); }},
        {&ViewSettings::abbreviateLabelsChanged, [s] { s->setAbbreviateLabels(true); }},
        {&ViewSettings::showInspectorChanged, [s] { s->setShowInspector(false); }},
    };
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const auto& field : fields)
        spies.push_back(std::make_unique<QSignalSpy>(s, field.first));
    for (size_t i = 0; i < std::size(fields); ++i) {
        fields[i].second();
        fields[i].second(); // the same value again: no news
        for (size_t j = 0; j < spies.size(); ++j)
            EXPECT_EQ(spies[j]->count(), j <= i ? 1 : 0) << i << " " << j;
    }
    EXPECT_EQ(settings->tab(), AppTab::monitor);
    EXPECT_EQ(settings->mode(), VisualizationMode::sunburst);
    EXPECT_EQ(settings->colorMode(), ColorMode::age);
    EXPECT_EQ(settings->depth(), 3.5);
    EXPECT_TRUE(settings->abbreviateLabels());
    EXPECT_FALSE(settings->showInspector());
}

} // namespace
