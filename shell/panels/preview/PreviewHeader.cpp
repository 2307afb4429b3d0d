#include "shell/panels/preview/PreviewHeader.h"

#include "model/FileCategory.h"
#include "platform/Desktop.h"
#include "platform/PreviewContent.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

QString previewSymbol(const platform::PreviewContent& content) {
    if (content.isDirectory) return QStringLiteral("folder.fill");
    const QByteArray name = content.name.toUtf8();
    return palette::categorySymbol(file_category::forFileName(name.constData(), size_t(name.size())));
}

PreviewHeader::PreviewHeader(const platform::PreviewContent& content, bool loaded, QWidget* parent)
    : QWidget(parent) {
    setFixedHeight(56);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(18, 8, 14, 9);
    row->setSpacing(12);
    row->addWidget(new ThemedLabel(symbols::glyph(previewSymbol(content)), fonts::symbol(15),
                                   &Theme::textTertiary, Qt::ElideRight));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(new ThemedLabel(shownText(content.name), fonts::ui(13.5, QFont::DemiBold), &Theme::text,
                                      Qt::ElideMiddle));
    QString subtitle = loaded ? content.kind : QString();
    if (loaded && content.page == platform::PreviewPage::folder)
        subtitle += QStringLiteral(" · ") + formatCount(content.listing.count) +
                    (content.listing.count == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
    titles->addWidget(new ThemedLabel(subtitle, fonts::ui(11), &Theme::textTertiary, Qt::ElideRight));
    row->addLayout(titles, 1);
    if (loaded) {
        auto* open = new OutlineButton({.title = QStringLiteral("Open"), .height = 30},
                                       [path = content.path] { platform::desktop().open(path); });
        open->setFixedWidth(88);
        row->addWidget(open);
    }
}

void PreviewHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme().panel);
    painter.fillRect(QRectF(0, height() - 1, width(), 1), theme().divider);
}
