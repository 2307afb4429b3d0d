#include "shell/panels/ContentView.h"

#include "model/ScanViewModel.h"
#include "shell/controls/Divider.h"
#include "shell/panels/ExploreView.h"
#include "shell/panels/SidebarView.h"
#include "shell/panels/TopBar.h"
#include "shell/panels/ViewRegistry.h"
#include "shell/panels/inspector/InspectorView.h"
#include "shell/style/Motion.h"
#include "shell/style/Theme.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The row under the top bar; the content view places its children by hand.
class MainRow : public QWidget {
  public:
    MainRow(QWidget* parent, std::function<void()> relayout)
        : QWidget(parent), relayout_(std::move(relayout)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void resizeEvent(QResizeEvent*) override { relayout_(); }
    void paintEvent(QPaintEvent*) override {
        // The dividers beside the sidebar and the inspector are the background showing between them
        // (Qt clips the fill to them: the panels over the rest are opaque).
        QPainter(this).fillRect(rect(), theme().divider);
    }

  private:
    std::function<void()> relayout_;
};

} // namespace

ContentView::ContentView(ScanViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    // A click on anything that takes no focus of its own takes it from the filter field.
    setFocusPolicy(Qt::ClickFocus);
    // Opaque widgets paint every pixel of theirs, so Qt leaves what they cover out of their parent's
    // paint: the window's background is filled once, not once per layer.
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    topBar_ = new TopBar(viewModel, this);
    layout->addWidget(topBar_);
    layout->addWidget(new Divider(Qt::Horizontal, this));
    row_ = new MainRow(this, [this] { layoutRow(); });
    layout->addWidget(row_, 1);

    sidebar_ = new SidebarView(viewModel, row_);
    sidebar_->setAutoFillBackground(true);

    connect(&viewModel.settings(), &ViewSettings::tabChanged, this, [this] {
        showTab();
        updateInspector();
    });
    connect(&viewModel.settings(), &ViewSettings::showInspectorChanged, this, &ContentView::updateInspector);
    showTab();
    updateInspector();
}

void ContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window opens with nothing focused that shows it (the filter field keeps its hint).
    if (!shownOnce_) setFocus();
    shownOnce_ = true;
}

void ContentView::showTab() {
    if (screen_) {
        // Not deleted at once: the old screen may be the one whose click switched the tab.
        screen_->hide();
        screen_->deleteLater();
    }
    const AppTab tab = viewModel_.settings().tab();
    if (tab == AppTab::explore)
        screen_ = new ExploreView(viewModel_, row_);
    else
        screen_ = ViewRegistry::createTool(tab, viewModel_, row_);
    // The row behind is divider-coloured; screens that draw no background of their own show the window's.
    screen_->setAutoFillBackground(true);
    screen_->setBackgroundRole(QPalette::Window);
    screen_->show();
    screen_->lower();
    layoutRow();
}

void ContentView::updateInspector() {
    const bool wanted =
        viewModel_.settings().tab() == AppTab::explore && viewModel_.settings().showInspector();
    if (wanted && !inspector_) {
        inspector_ = new InspectorView(viewModel_, row_);
        inspector_->setAutoFillBackground(true);
        inspector_->show();
    }
    if (!inspector_) return;
    const double target = wanted ? 1.0 : 0.0;
    if (!motion::animationsEnabled() || !isVisible()) {
        inspectorShown_ = target;
    }
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(inspector_->graphicsEffect());
    if (!effect && motion::animationsEnabled() && isVisible()) {
        effect = new QGraphicsOpacityEffect(inspector_);
        inspector_->setGraphicsEffect(effect);
    }
    QPointer<QWidget> inspector = inspector_;
    motion::animate(
        this, "inspector", inspectorShown_, target, motion::tabChange(),
        [this, inspector](const QVariant& v) {
            inspectorShown_ = v.toDouble();
            if (inspector)
                if (auto* e = qobject_cast<QGraphicsOpacityEffect*>(inspector->graphicsEffect()))
                    e->setOpacity(std::clamp(inspectorShown_, 0.0, 1.0));
            layoutRow();
        },
        [this, inspector, wanted] {
            if (!inspector) return;
            if (!wanted) {
                // Gone: its state goes with it.
                inspector->hide();
                inspector->deleteLater();
                if (inspector_ == inspector) inspector_ = nullptr;
            } else {
                // At rest it draws directly, without the offscreen pass of the effect.
                inspector->setGraphicsEffect(nullptr);
            }
            layoutRow();
        });
}

QRect ContentView::tabScreenGeometry() const {
    return screen_ ? QRect(row_->mapTo(this, screen_->pos()), screen_->size()) : QRect();
}

void ContentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutRow();
}

void ContentView::layoutRow() {
    const int w = row_->width(), h = row_->height();
    sidebar_->setGeometry(0, 0, kSidebarWidth, h);
    const int left = kSidebarWidth + 1;
    // The inspector and its divider take their width in proportion to how far they have slid in.
    const int taken = int(std::lround((kInspectorWidth + 1) * std::max(0.0, inspectorShown_)));
    if (screen_) screen_->setGeometry(left, 0, std::max(0, w - left - taken), h);
    if (inspector_) inspector_->setGeometry(w - taken + 1, 0, kInspectorWidth, h);
}

void ContentView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().background);
}
