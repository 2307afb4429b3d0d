#include "shell/panels/preview/InfoPage.h"

#include "platform/Desktop.h"
#include "platform/PreviewContent.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/CardBackground.h"
#include "shell/controls/LabelValueRow.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/panels/preview/PreviewHeader.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The icon of a content type from the desktop's icon theme, else our own symbol.
class TypeIcon : public QWidget {
  public:
    TypeIcon(const QString& iconName, QString symbol)
        : icon_(QIcon::fromTheme(iconName)), symbol_(std::move(symbol)) {
        setFixedSize(72, 72);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!icon_.isNull()) {
            icon_.paint(&painter, rect());
            return;
        }
        symbols::paint(painter, rect(), symbol_, 40, theme().textTertiary);
    }

  private:
    QIcon icon_;
    QString symbol_;
};

} // namespace

InfoPage::InfoPage(const platform::PreviewContent& content, QWidget* parent) : QWidget(parent) {
    auto* card = new CardBackground(16);
    card->setFixedWidth(340);
    auto* inner = new QVBoxLayout(card);
    inner->setContentsMargins(24, 24, 24, 22);
    inner->setSpacing(0);
    auto* iconRow = new QHBoxLayout;
    iconRow->addStretch(1);
    iconRow->addWidget(new TypeIcon(content.iconName, previewSymbol(content)));
    iconRow->addStretch(1);
    inner->addLayout(iconRow);
    inner->addSpacing(14);
    auto* name = new ThemedLabel(shownText(content.name), fonts::ui(16.5, QFont::DemiBold), &Theme::text,
                                 Qt::ElideMiddle);
    name->setAlignment(Qt::AlignHCenter);
    inner->addWidget(name);
    inner->addSpacing(4);
    if (content.exists) {
        auto* kind = new ThemedLabel(content.kind, fonts::ui(12), &Theme::textSecondary, Qt::ElideRight);
        kind->setAlignment(Qt::AlignHCenter);
        inner->addWidget(kind);
        inner->addSpacing(16);
        auto* size = new LabelValueRow(QStringLiteral("Size"), {}, 12, 12.5, 26);
        size->setValue(formatBytes(content.size));
        inner->addWidget(size);
        auto* modified = new LabelValueRow(QStringLiteral("Modified"), {}, 12, 12.5, 26);
        modified->setValue(relativeDateString(dateFromStamp(content.modifiedStamp)));
        inner->addWidget(modified);
    } else {
        // Moved or deleted since it was listed: nothing is known of it, and nothing can open it.
        auto* gone = new ThemedLabel(QStringLiteral("This item is no longer there."), fonts::ui(12),
                                     &Theme::textSecondary);
        gone->setAlignment(Qt::AlignHCenter);
        gone->setWordWrap(true);
        inner->addWidget(gone);
    }
    inner->addSpacing(16);
    auto* open = new InkButton(QStringLiteral("Open"), {}, 36, 13.5,
                               [path = content.path] { platform::desktop().open(path); });
    open->setEnabled(content.exists);
    inner->addWidget(open);

    auto* centre = new QHBoxLayout;
    centre->addStretch(1);
    centre->addWidget(card);
    centre->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch(1);
    column->addLayout(centre);
    column->addStretch(1);
}
