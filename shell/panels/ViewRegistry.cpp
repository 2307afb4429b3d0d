#include "shell/panels/ViewRegistry.h"

#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"

#include <QPainter>

#include <map>

namespace {

struct Factories {
    std::map<VisualizationMode, VisualizationFactory> visualizations;
    std::map<AppTab, ScreenFactory> tools;
    ScreenFactory cleanupQueue;
};

Factories& factories() {
    static Factories instance;
    return instance;
}

// Stands in for a view that is not registered: its title, centred on the background.
class PlaceholderView : public QWidget {
  public:
    PlaceholderView(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
        setObjectName(QStringLiteral("placeholder"));
        setAccessibleName(title);
        connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(fonts::ui(15, QFont::Medium));
        painter.setPen(theme().textTertiary);
        painter.drawText(rect(), Qt::AlignCenter, title_);
    }

  private:
    QString title_;
};

QString title(std::string_view raw) {
    return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
}

} // namespace

namespace ViewRegistry {

void registerVisualization(VisualizationMode mode, VisualizationFactory factory) {
    factories().visualizations[mode] = std::move(factory);
}

void registerTool(AppTab tab, ScreenFactory factory) {
    factories().tools[tab] = std::move(factory);
}

void registerCleanupQueue(ScreenFactory factory) {
    factories().cleanupQueue = std::move(factory);
}

QWidget* createVisualization(VisualizationMode mode, ScanViewModel& viewModel, FileNode* folder,
                             QWidget* parent) {
    auto found = factories().visualizations.find(mode);
    if (found != factories().visualizations.end() && found->second)
        if (QWidget* view = found->second(viewModel, folder, parent)) return view;
    return new PlaceholderView(title(visualization_mode::rawValue(mode)), parent);
}

QWidget* createTool(AppTab tab, ScanViewModel& viewModel, QWidget* parent) {
    auto found = factories().tools.find(tab);
    if (found != factories().tools.end() && found->second)
        if (QWidget* view = found->second(viewModel, parent)) return view;
    return new PlaceholderView(title(app_tab::rawValue(tab)), parent);
}

QWidget* createCleanupQueue(ScanViewModel& viewModel, QWidget* parent) {
    if (factories().cleanupQueue)
        if (QWidget* view = factories().cleanupQueue(viewModel, parent)) return view;
    return new PlaceholderView(QStringLiteral("Cleanup Queue"), parent);
}

bool hasVisualization(VisualizationMode mode) {
    auto found = factories().visualizations.find(mode);
    return found != factories().visualizations.end() && found->second;
}

bool hasTool(AppTab tab) {
    auto found = factories().tools.find(tab);
    return found != factories().tools.end() && found->second;
}

void clear() {
    factories() = {};
}

} // namespace ViewRegistry
