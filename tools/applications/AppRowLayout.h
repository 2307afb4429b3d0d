#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include <string>
#include <vector>

namespace AppUninstaller {
struct InstalledApp;
}

// Where everything of one application's row lies and what it says, made from the application, the
// card's rectangle and how far the row is open. Pure: the row delegate paints it and takes its
// buttons from it, and tests read it without a window.
//
// The card is a header line (chevron, icon, name over identifier, version chip and last use, sizes,
// the Uninstall button or its spinner) and, opened, a divider and one detail line for the AppImage
// and one per leftover group, each with its size and a reveal button.
struct AppRowLayout {
    static constexpr double kHeaderHeight = 58;
    static constexpr double kDetailHeight = 28;
    static constexpr double kDetailPadding = 6; // above the first detail line and below the last
    static constexpr double kRadius = 12;
    static constexpr double kSpinner = 16;

    struct Detail {
        QString symbol;
        QString title;
        QString size;
        std::vector<std::string> paths; // what its reveal button shows
        QRectF line, symbolRect, titleRect, sizeRect, reveal;
    };

    QRectF card;
    QRectF header;
    double openness = 0;  // 0 closed, 1 open; between while the row opens or closes
    bool toggles = false; // a click on the header opens or closes the row: only with leftovers
    QRectF chevron, icon;
    QString name;
    QRectF nameRect;
    QString identifier;
    QRectF identifierRect;
    QString version; // "v1.2"; empty, and no chip, without a version
    QRectF versionChip;
    QString lastUsed; // "· Last used 2 days ago"; empty without a last-used date
    QRectF lastUsedRect;
    QString total; // the AppImage and its leftovers
    QRectF totalRect;
    QString leftovers; // "+12 MB leftovers"; empty without leftover groups (a group of 0 bytes counts)
    QRectF leftoversRect;
    bool uninstalling = false; // the action shows the spinner instead of the button
    QRectF action;
    QRectF divider;              // empty while closed
    std::vector<Detail> details; // while open at all: the AppImage's line, then one per group

    // The card's height at an openness.
    static double cardHeight(const AppUninstaller::InstalledApp& app, double openness);
    static AppRowLayout make(const AppUninstaller::InstalledApp& app, const QRectF& card, double openness,
                             bool uninstalling);

    // The fonts of the row's texts.
    static QFont nameFont();
    static QFont secondaryFont(); // identifier, last use, leftovers
    static QFont chipFont();
    static QFont totalFont();
    static QFont buttonFont();
    static QFont detailFont();

    static inline const QString kUninstall = QStringLiteral("Uninstall");
    static inline const QString kRevealToolTip = QStringLiteral("Reveal in File Manager");
};
