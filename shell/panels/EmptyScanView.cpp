#include "shell/panels/EmptyScanView.h"

#include "model/ScanViewModel.h"
#include "platform/UserFolders.h"
#include "shell/controls/Buttons.h"

#include <QHBoxLayout>

EmptyScanView::EmptyScanView(ScanViewModel& viewModel, QWidget* parent)
    : EmptyState(QStringLiteral("internaldrive.fill"), QStringLiteral("Map every byte on your computer"),
                 QStringLiteral("A quick scan builds nine ways to look at your disk. Nothing is ever deleted "
                                "without you."),
                 startScreen(), parent) {
    setObjectName(QStringLiteral("emptyScanView"));
    scanHome_ = new InkButton(
        QStringLiteral("Scan Home"), QStringLiteral("house.fill"), 40, 13,
        [&viewModel] { viewModel.scan(platform::homeFolder()); }, this);
    scanHome_->setFixedWidth(180);
    chooseFolder_ = new OutlineButton(
        {.title = QStringLiteral("Choose Folder…"),
         .systemImage = QStringLiteral("folder.fill"),
         .height = 40,
         .fontSize = 13},
        [&viewModel] { viewModel.chooseFolder(); }, this);
    chooseFolder_->setFixedWidth(180);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 6, 0, 0);
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(scanHome_);
    buttons->addWidget(chooseFolder_);
    buttons->addStretch(1);
    addBelow(buttons);
}
