#pragma once

#include "shell/lists/RowListModel.h"

#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <map>
#include <set>
#include <string>
#include <vector>

class AppIconCache;
class AppRow;
class CardColumn;
class ContentSwitch;
class ListView;
class OutlineButton;
class QMessageBox;
class QTimer;
class ScanViewModel;
class ScreenHeader;
namespace AppUninstaller {
struct InstalledApp;
}

// The Applications tab: the AppImages of ~/Applications with their leftovers, in the order the state
// object publishes them, in a centred column under a header with their count and total, a busy
// indicator and "Refresh". A row with leftovers opens onto its AppImage and leftover groups, each
// revealable in the file manager. "Uninstall" asks first, then quits the running application and
// moves the AppImage and its leftovers to the Trash, or stages them in the cleanup queue instead;
// what could not be moved is listed in an alert.
//
// Loads the list when shown, unless one is listed already. A reload keeps the rows until the new list
// arrives. Each application being uninstalled shows its own spinner until its own uninstall ends, so
// several may run at once. All of its state lives while it is shown.
class AppUninstallerView : public QWidget {
    Q_OBJECT
  public:
    using App = AppUninstaller::InstalledApp;

    // `icons`: null for the process's shared cache.
    explicit AppUninstallerView(ScanViewModel& viewModel, QWidget* parent = nullptr,
                                AppIconCache* icons = nullptr);
    ~AppUninstallerView() override;

    // The user's actions.
    void refresh();                         // "Refresh": loads again even when apps are listed
    void toggleExpanded(const App& app);    // a click on a row's header
    void requestUninstall(const App& app);  // a row's "Uninstall": shows the confirmation
    void uninstall(const App& app);         // the confirmation's "Move to Trash"
    void addToCleanupQueue(const App& app); // the confirmation's "Add to Cleanup Queue"

    // What is shown.
    bool isExpanded(const QUuid& app) const { return expanded_.contains(app); }
    // The confirmation and the failure alert while they are open, else null.
    QMessageBox* confirmation() const;
    QMessageBox* failureAlert() const;
    // The empty or loading text while no application is listed, else empty.
    QString placeholderText() const;
    QString summaryText() const; // empty while no application is listed
    bool isBusyShown() const;    // the header's spinner
    OutlineButton* refreshButton() const { return refresh_; }
    ListView* list() const { return list_; }
    const RowListModel<App>& rows() const { return *rows_; }
    AppRow* rowDelegate() const { return row_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void showApps();
    void showLoading();
    void showPlaceholder(); // the list, else the loading or empty text
    void relayoutRows();
    void uninstallingChanged();
    void buttonClicked(const QModelIndex& index, int button);
    void showFailure(const QString& appName, const std::vector<std::string>& failed);
    double openness(const QUuid& app) const;

    ScanViewModel& viewModel_;
    AppIconCache& icons_;
    CardColumn* column_;
    ScreenHeader* header_;
    OutlineButton* refresh_;
    ContentSwitch* content_;
    ListView* list_;
    AppRow* row_;
    RowListModel<App>* rows_;
    QTimer* spinnerTimer_;
    int spinnerStep_ = 0;

    std::set<QUuid> expanded_;
    std::map<QUuid, double> openness_; // rows open or opening; a closed row has no entry
    QPointer<QMessageBox> confirmation_;
    QPointer<QMessageBox> failureAlert_;
};
