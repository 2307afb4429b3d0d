#include "shell/panels/Breadcrumb.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/controls/LabelRow.h"
#include "shell/controls/PressableButton.h"
#include "shell/controls/SymbolButton.h"
#include "shell/controls/SymbolLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSpacing = 6;
constexpr int kSeparatorWidth = 8;
constexpr int kMinimumCrumb = 44;

QFont crumbFont(bool last) {
    return fonts::ui(13, last ? QFont::DemiBold : QFont::Medium);
}

} // namespace

// ---- CrumbButton --------------------------------------------------------------------------------

CrumbButton::CrumbButton(FileNode* node, const QString& title, bool last, QWidget* parent)
    : QWidget(parent), node_(node), title_(title), last_(last) {
    setAccessibleName(title);
    setFixedHeight(28);
}

int CrumbButton::naturalWidth() const {
    return int(std::ceil(QFontMetricsF(crumbFont(last_)).horizontalAdvance(title_))) + 16;
}

void CrumbButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme& t = theme();
    PressableStyle::apply(painter, rect(), pressed_ ? 1.0 : 0.0);
    if (last_) shapes::fill(painter, rect(), 6, t.chip);
    const QFont font = crumbFont(last_);
    const QFontMetricsF metrics(font);
    const QRectF text = QRectF(rect()).adjusted(8, 0, -8, 0);
    painter.setFont(font);
    painter.setPen(last_ ? t.text : t.textSecondary);
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                     metrics.elidedText(title_, Qt::ElideMiddle, text.width()));
}

void CrumbButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    update();
}

void CrumbButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    update();
    if (rect().contains(event->position().toPoint())) emit clicked();
}

// ---- Breadcrumb ---------------------------------------------------------------------------------

Breadcrumb::Breadcrumb(ScanViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    back_ = new SymbolButton(
        QStringLiteral("chevron.left"), 11.5, QSize(22, 28), &Theme::textSecondary,
        [this] { viewModel_.goUp(); }, this);
    back_->setToolTip(QStringLiteral("Back"));
    connect(&viewModel, &ScanViewModel::currentFolderChanged, this, &Breadcrumb::rebuild);
    connect(&viewModel, &ScanViewModel::rootChanged, this, &Breadcrumb::rebuild);
    connect(&viewModel, &ScanViewModel::generationChanged, this, &Breadcrumb::rebuild);
    connect(&viewModel, &ScanViewModel::diskChanged, this, &Breadcrumb::rebuild); // the name of "/"
    rebuild();
}

std::vector<FileNode*> Breadcrumb::crumbTrail(FileNode* folder, const FileNode* root) {
    std::vector<FileNode*> trail;
    for (FileNode* node = folder; node; node = node->parent()) {
        trail.insert(trail.begin(), node);
        if (node == root) break;
    }
    if (trail.size() > 4) trail.erase(trail.begin(), trail.end() - 4);
    return trail;
}

void Breadcrumb::rebuild() {
    for (QWidget* w : separators_) {
        w->hide();
        w->deleteLater();
    }
    for (QWidget* w : crumbs_) {
        w->hide();
        w->deleteLater();
    }
    separators_.clear();
    crumbs_.clear();

    FileNode* folder = viewModel_.currentFolder();
    back_->setEnabled(folder && folder->parent());
    if (folder) {
        const auto trail = crumbTrail(folder, viewModel_.root());
        for (size_t i = 0; i < trail.size(); ++i) {
            FileNode* node = trail[i];
            if (i > 0) {
                auto* separator = new SymbolLabel(QStringLiteral("chevron.right"), 9, &Theme::textTertiary,
                                                  QSize(kSeparatorWidth, 28), this);
                separator->show();
                separators_.push_back(separator);
            }
            const QString title = fromBytes(displayName(node->path(), viewModel_.disk().name));
            auto* crumb = new CrumbButton(node, title, i + 1 == trail.size(), this);
            connect(crumb, &CrumbButton::clicked, this, [this, node] {
                viewModel_.setCurrentFolder(node);
                viewModel_.setSelectedNode(node);
            });
            crumb->show();
            crumbs_.push_back(crumb);
        }
    }
    fitTo(available_);
    emit contentChanged();
}

int Breadcrumb::idealWidth() const {
    int w = back_->width();
    for (CrumbButton* c : crumbs_)
        w += kSpacing + c->naturalWidth();
    w += int(separators_.size()) * (kSpacing + kSeparatorWidth);
    return w;
}

void Breadcrumb::fitTo(int width) {
    available_ = width;
    std::vector<int> widths;
    int natural = 0;
    for (CrumbButton* c : crumbs_) {
        widths.push_back(c->naturalWidth());
        natural += widths.back();
    }
    // Too narrow: cap every crumb at the widest width that fits, so the longest names shorten first.
    const int budget = width - (idealWidth() - natural);
    if (natural > budget && !widths.empty()) {
        auto capped = [&](int cap) {
            int sum = 0;
            for (int w : widths)
                sum += std::min(w, cap);
            return sum;
        };
        int low = kMinimumCrumb, high = *std::max_element(widths.begin(), widths.end());
        while (low < high) {
            const int mid = (low + high + 1) / 2;
            if (capped(mid) <= budget)
                low = mid;
            else
                high = mid - 1;
        }
        for (int& w : widths)
            w = std::min(w, low);
    }
    int x = 0;
    back_->move(x, 0);
    x += back_->width();
    for (size_t i = 0; i < crumbs_.size(); ++i) {
        x += kSpacing;
        if (i > 0) {
            separators_[i - 1]->move(x, 0);
            x += kSeparatorWidth + kSpacing;
        }
        crumbs_[i]->setGeometry(x, 0, widths[i], 28);
        x += widths[i];
    }
    resize(x, 28);
}
