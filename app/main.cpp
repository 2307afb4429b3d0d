#include "app/RegisterViews.h"
#include "model/ScanViewModel.h"
#include "model/StoredSettings.h"
#include "platform/UserFolders.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/FolderChooser.h"
#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // QSettings lives under ~/.config/Brenwick/Brenwick.conf.
    QApplication::setOrganizationName(QStringLiteral("Brenwick"));
    QApplication::setApplicationName(QStringLiteral("Brenwick"));
    stored_settings::useFolder(platform::configHome());
    QApplication::setDesktopFileName(QStringLiteral("brenwick"));

    fonts::loadEmbedded();
    // Read the desktop's appearance before Brenwick's own palette replaces it.
    ThemeManager::systemThemeName();
    ThemeManager::instance().setThemeName(ThemeManager::startingThemeName());

    registerViews();
    AppWindow window;

    ScanViewModel::Services services;
    services.systemThemeName = &ThemeManager::systemThemeName;
    services.applyAppearance = [](ThemeName name) { ThemeManager::instance().setThemeName(name); };
    services.chooseFolder = [&window] { return chooseFolderToScan(&window); };
    // Reads the stored "theme" and applies it, then BRENWICK_MODE and BRENWICK_SCAN.
    ScanViewModel viewModel(std::move(services));
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &viewModel,
                     [&viewModel](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive) viewModel.applicationBecameActive();
                     });
    window.setContent(new ContentView(viewModel));

    window.showAndActivate();
    const int result = app.exec();
    // The content reads the state object until it goes.
    delete window.content();
    return result;
}
