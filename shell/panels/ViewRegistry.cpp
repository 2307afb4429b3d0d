#include "shell/panels/ViewRegistry.h"

#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"

#include <QPainter>

#include <array>
#include <map>

namespace {

std::array<ModeDescription, visualization_mode::allCases.size()> bareModes() {
    std::array<ModeDescription, visualization_mode::allCases.size()> modes;
    for (VisualizationMode mode : visualization_mode::allCases)
        modes[size_t(mode)].mode = mode;
    return modes;
}

struct Factories {
    std::array<ModeDescription, visualization_mode::allCases.size()> modes = bareModes();
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

void registerMode(ModeDescription description) {
    // A mode either follows the depth slider or keeps its own depth.
    Q_ASSERT(!(description.uses(ModeControl::depth) && description.fixedDepth));
    factories().modes[size_t(description.mode)] = std::move(description);
}

const ModeDescription& mode(VisualizationMode mode) {
    return factories().modes[size_t(mode)];
}

void registerTool(AppTab tab, ScreenFactory factory) {
    factories().tools[tab] = std::move(factory);
}

void registerCleanupQueue(ScreenFactory factory) {
    factories().cleanupQueue = std::move(factory);
}

QWidget* createVisualization(VisualizationMode mode, ScanViewModel& viewModel, FileNode* folder,
                             QWidget* parent) {
    const ModeDescription& description = ViewRegistry::mode(mode);
    if (description.factory)
        if (QWidget* view = description.factory(description, viewModel, folder, parent)) return view;
    return new PlaceholderView(description.title(), parent);
}

void warmUpVisualization(VisualizationMode mode, const ScanViewModel& viewModel, QSize size,
                         double pixelRatio) {
    const ModeDescription& description = ViewRegistry::mode(mode);
    if (description.warmUp && !size.isEmpty()) description.warmUp(viewModel, size, pixelRatio);
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
    return bool(ViewRegistry::mode(mode).factory);
}

bool hasTool(AppTab tab) {
    auto found = factories().tools.find(tab);
    return found != factories().tools.end() && found->second;
}

void clear() {
    factories() = {};
}

} // namespace ViewRegistry
