#pragma once

#include "model/FileCategory.h"

#include <QWidget>

#include <cstdint>
#include <utility>
#include <vector>

class LabelValueRow;
class OutlineButton;
class QScrollArea;
class QVBoxLayout;
class ScanViewModel;
class SectionCaption;
class ThemedLabel;
class TypeBreakdownBar;
class UsageRing;
namespace QuickWins {
struct Category;
}

// The left column: the scan buttons, recent folders, the usage of the scanned volume, the current
// view, the quick wins and the scan's bytes by file type. It keeps no state of its own: every section
// follows the model, and appears or goes as its content does. Every button first brings Explore to
// the front. Scrolls when taller than the window.
class SidebarView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 340;

    explicit SidebarView(ScanViewModel& model, QWidget* parent = nullptr);

    // "2.5s scan": the duration with one decimal.
    static QString scanTimeText(double seconds);
    // The sum of every listed match's size on disk (a match inside another counts again).
    static int64_t quickWinsTotal(const std::vector<QuickWins::Category>& wins);

    // The sections, for tests: hidden while they have nothing to show.
    QWidget* recentSection() const { return recent_; }
    QWidget* currentViewSection() const { return current_; }
    QWidget* quickWinsSection() const { return wins_; }
    QWidget* fileTypesSection() const { return types_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* section(QVBoxLayout* into, int topPadding, int spacing, QVBoxLayout** layout);
    void updateRecents();
    void updateDisk();
    void updateCurrentView();
    void updateQuickWins();
    void updateTypes();

    ScanViewModel& model_;
    QScrollArea* scroll_ = nullptr;

    QWidget* recent_ = nullptr;
    QVBoxLayout* recentRows_ = nullptr;

    SectionCaption* diskCaption_ = nullptr;
    UsageRing* ring_ = nullptr;
    LabelValueRow *total_ = nullptr, *used_ = nullptr, *free_ = nullptr;

    QWidget* current_ = nullptr;
    SectionCaption* currentCaption_ = nullptr;
    ThemedLabel *currentName_ = nullptr, *currentPath_ = nullptr;

    QWidget* wins_ = nullptr;
    SectionCaption* winsCaption_ = nullptr;
    QVBoxLayout* winRows_ = nullptr;

    QWidget* types_ = nullptr;
    TypeBreakdownBar* typeBar_ = nullptr;
    QVBoxLayout* typeRows_ = nullptr;
};
