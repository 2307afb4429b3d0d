#include "shell/panels/preview/ListingPage.h"

#include "platform/FolderListing.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/RowDelegate.h"
#include "shell/lists/RowListModel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

namespace {

struct Row {
    platform::FolderListing::Entry entry;
    int64_t more = 0; // the last row: the entries not listed
};
using Rows = RowListModel<Row>;

class ListingDelegate : public RowDelegate {
  public:
    ListingDelegate() : RowDelegate(ListingPage::kRowHeight) {}

  protected:
    void paintRow(QPainter& painter, const RowState& state, const QModelIndex& index) const override {
        const Theme& t = theme();
        const Row& row = Rows::at(index);
        const QRectF rect = state.rect;
        if (row.more > 0) {
            ThemedLabel::paintLine(painter, rect, QStringLiteral("%1 more").arg(formatCount(row.more)),
                                   fonts::ui(12.5), t.textTertiary);
            return;
        }
        const auto& entry = row.entry;
        symbols::paint(painter, QRectF(rect.left(), rect.top(), 18, rect.height()),
                       entry.isDirectory ? QStringLiteral("folder.fill") : QStringLiteral("doc.fill"), 12,
                       t.textTertiary);
        double sizeWidth = 0;
        if (!entry.isDirectory)
            sizeWidth = ThemedLabel::paintLine(painter, rect, formatBytes(entry.size), fonts::ui(12),
                                               t.textSecondary, Qt::AlignRight);
        ThemedLabel::paintLine(
            painter, QRectF(rect.left() + 28, rect.top(), rect.width() - 28 - sizeWidth - 12, rect.height()),
            shownText(entry.name), fonts::ui(12.5), t.text, Qt::AlignLeft, Qt::ElideMiddle);
    }
};

} // namespace

ListingPage::ListingPage(const platform::FolderListing& listing, QWidget* parent)
    : ListView(new ListingDelegate, parent) {
    std::vector<Row> rows;
    rows.reserve(listing.entries.size() + 1);
    for (const auto& entry : listing.entries)
        rows.push_back({entry, 0});
    if (listing.count > int64_t(listing.entries.size()))
        rows.push_back({{}, listing.count - int64_t(listing.entries.size())});
    auto* model = new Rows([](const Row& row) { return row.entry.name; }, this);
    model->setRows(std::move(rows));
    setModel(model);
    setSelectionMode(NoSelection);
    setPadding({20, 8, 20, 8});
}
