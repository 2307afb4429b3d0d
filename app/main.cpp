#include "app/EnvironmentHooks.h"
#include "app/FirstPictureReport.h"
#include "app/RegisterViews.h"
#include "model/EarlyWalk.h"
#include "model/ScanViewModel.h"
#include "model/StoredSettings.h"
#include "platform/QuitSignals.h"
#include "platform/UserFolders.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/FolderChooser.h"
#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"

#include <QApplication>

namespace {

// Everything the application is, but the application object: it all ends before that does.
int run(QApplication& app, std::unique_ptr<EarlyWalk> earlyWalk, int64_t mainNs) {
    // QSettings lives under ~/.config/Brenwick/Brenwick.conf.
    QApplication::setOrganizationName(QStringLiteral("Brenwick"));
    QApplication::setApplicationName(QStringLiteral("Brenwick"));
    stored_settings::useFolder(platform::configHome());
    QApplication::setDesktopFileName(QStringLiteral("brenwick"));

    // Read the desktop's appearance before Brenwick's own palette replaces it.
    ThemeManager::systemThemeName();

    // The state object comes before the fonts and the window: it takes over the start-up scan.
    AppWindow* shownWindow = nullptr;
    ScanViewModel::Services services;
    services.appearance.systemThemeName = &ThemeManager::systemThemeName;
    services.appearance.apply = [](ThemeName name) { ThemeManager::instance().setThemeName(name); };
    services.chooseFolder = [&shownWindow] { return chooseFolderToScan(shownWindow); };
    // Reads the stored "theme" and applies it.
    ScanViewModel viewModel(std::move(services));
    applyEnvironmentHooks(viewModel, std::move(earlyWalk));
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &viewModel,
                     [&viewModel](Qt::ApplicationState state) {
                         // From the event loop, not inside the state change.
                         if (state == Qt::ApplicationActive)
                             QMetaObject::invokeMethod(&viewModel, &ScanViewModel::handleDidBecomeActive,
                                                       Qt::QueuedConnection);
                     });

    fonts::loadEmbedded();
    registerViews();
    // Declared after the state object, so the window and its content, which read it, go first.
    AppWindow window;
    shownWindow = &window;
    window.setContent(new ContentView(viewModel));
    FirstPictureReport::watchIfAsked(viewModel, window, mainNs);

    // A signal to end quits as closing the window does. quit() also closes what that would leave open: a
    // dialog without a parent, in an event loop of its own, would hold the quit until it is answered.
    QuitSignals quitSignals([&window] {
        window.close();
        QCoreApplication::quit();
    });

    window.showAndActivate();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    const int64_t mainNs = FirstPictureReport::nowNs();
    // Before any thread starts.
    QuitSignals::install();
    // A start-up scan (BRENWICK_SCAN) walks from here on, while the application object, the state
    // object, the fonts and the window are made.
    std::unique_ptr<EarlyWalk> earlyWalk = startEarlyWalk();
    QApplication app(argc, argv);
    return run(app, std::move(earlyWalk), mainNs);
}
