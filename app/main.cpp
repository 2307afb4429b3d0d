#include "shell/AppWindow.h"
#include "shell/Fonts.h"
#include "shell/Theme.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // QSettings lives under ~/.config/Brenwick/Brenwick.conf.
    QApplication::setOrganizationName(QStringLiteral("Brenwick"));
    QApplication::setApplicationName(QStringLiteral("Brenwick"));
    QApplication::setDesktopFileName(QStringLiteral("brenwick"));

    fonts::loadEmbedded();
    // Read the desktop's appearance before Brenwick's own palette replaces it.
    ThemeManager::systemThemeName();
    ThemeManager::instance().setThemeName(ThemeManager::startingThemeName());

    AppWindow window;

    // Where the one state object joins the window, once model/ScanViewModel.cpp exists:
    //   ScanViewModel::Services services;
    //   services.systemThemeName = &ThemeManager::systemThemeName;
    //   services.applyAppearance = [](ThemeName name) { ThemeManager::instance().setThemeName(name); };
    //   ScanViewModel viewModel(services);   // reads the stored "theme" and applies it
    //   QObject::connect(&app, &QGuiApplication::applicationStateChanged, &viewModel,
    //                    [&](Qt::ApplicationState s) { if (s == Qt::ApplicationActive) viewModel.applicationBecameActive(); });
    //   window.setContent(new ContentView(viewModel));
    // Until then the window opens empty, in the stored or the system theme.

    window.showAndActivate();
    return app.exec();
}
