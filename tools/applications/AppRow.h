#pragma once

#include "shell/lists/RowDelegate.h"
#include "tools/applications/AppRowLayout.h"

#include <QUuid>

#include <functional>
#include <string>

class AppIconCache;
namespace AppUninstaller {
struct InstalledApp;
}

// One installed application on the applications screen, as a card in a ListView over a
// RowListModel<AppUninstaller::InstalledApp>. The row owns no state: the screen says how far each row
// is open and which applications are being uninstalled, and hears of clicks through the list's
// rowButtonClicked with the ids below. The header is one button of its own, enabled only for an
// application with leftovers, so a click on it toggles those rows alone.
class AppRow : public RowDelegate {
    Q_OBJECT
  public:
    enum ButtonId { kHeader = 1, kUninstall = 2, kRevealFirst = 100 }; // reveal buttons: kRevealFirst + line

    // What the row reads from the screen while painting.
    struct Source {
        std::function<double(const QUuid& app)> openness;                // 0 closed, 1 open
        std::function<bool(const std::string& appImage)> isUninstalling; // shows the spinner
        std::function<int()> spinnerStep;
    };

    static constexpr int kSpacing = 8; // between cards

    AppRow(AppIconCache& icons, Source source, QObject* parent = nullptr);

    static const AppUninstaller::InstalledApp& app(const QModelIndex& index);
    // The layout of the row at `index` whose rectangle in the list is `row`.
    AppRowLayout layout(const QModelIndex& index, const QRectF& row) const;

    int rowHeight(const QModelIndex& index) const override;
    std::vector<Button> buttons(const QModelIndex& index, const QRectF& row) const override;

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override;

  private:
    static bool isLast(const QModelIndex& index);
    void paintHeader(QPainter& painter, const AppRowLayout& l, const RowState& row,
                     const AppUninstaller::InstalledApp& app) const;
    void paintDetails(QPainter& painter, const AppRowLayout& l, const RowState& row) const;

    AppIconCache& icons_;
    Source source_;
};
