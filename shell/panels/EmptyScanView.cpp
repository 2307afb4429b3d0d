#include "shell/panels/EmptyScanView.h"

#include "model/ScanViewModel.h"
#include "platform/UserFolders.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The 92-point chip-coloured tile with the drive symbol.
class IconTile : public QWidget {
  public:
    explicit IconTile(QWidget* parent) : QWidget(parent) {
        setFixedSize(92, 92);
        connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        shapes::fill(painter, rect(), 22, theme().chip);
        symbols::paint(painter, rect(), QStringLiteral("internaldrive.fill"), 33, theme().textTertiary);
    }
};

} // namespace

EmptyScanView::EmptyScanView(ScanViewModel& viewModel, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("emptyScanView"));
    auto* column = new QVBoxLayout(this);
    column->setSpacing(18);
    column->addStretch(1);
    column->addWidget(new IconTile(this), 0, Qt::AlignHCenter);

    auto* title = new ThemedLabel(QStringLiteral("Map every byte on your computer"),
                                  fonts::ui(26, QFont::DemiBold), &Theme::text, this);
    column->addWidget(title, 0, Qt::AlignHCenter);

    auto* subtitle = new ThemedLabel(
        QStringLiteral(
            "A quick scan builds nine ways to look at your disk. Nothing is ever deleted without you."),
        fonts::ui(13), &Theme::textSecondary, this);
    subtitle->setWordWrap(true);
    subtitle->setAlignment(Qt::AlignHCenter);
    subtitle->setFixedSize(420, subtitle->heightForWidth(420));
    column->addWidget(subtitle, 0, Qt::AlignHCenter);

    scanHome_ = new InkButton(
        QStringLiteral("Scan Home"), QStringLiteral("house.fill"), 40, 13,
        [&viewModel] { viewModel.scan(platform::homeFolder()); }, this);
    scanHome_->setFixedWidth(180);
    chooseFolder_ = new OutlineButton(
        QStringLiteral("Choose Folder…"), QStringLiteral("folder.fill"), 40, 13, QString(), QString(), 1,
        [&viewModel] { viewModel.chooseFolder(); }, this);
    chooseFolder_->setFixedWidth(180);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 6, 0, 0);
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(scanHome_);
    buttons->addWidget(chooseFolder_);
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->addStretch(1);
}
