#pragma once

#include "model/FileNode.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/style/Formatters.h"

#include <QFontMetricsF>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <functional>

// Every row in sight shows its whole size: the size's rectangle lies inside the viewport (not under
// the scroll bar) and is as wide as the size's text.
inline void expectSizesShowWhole(const ListView& list, const std::function<QRectF(const QRectF&)>& sizeRect,
                                 const QFont& font) {
    const QFontMetricsF metrics(font);
    const QRectF viewport(QPointF(0, 0), QSizeF(list.viewport()->size()));
    int checked = 0;
    for (QModelIndex index = list.indexAt(QPoint(0, 0));
         index.isValid() && list.visualRect(index).top() < viewport.bottom();
         index = list.indexBelow(index)) {
        const FileNode* node = NodeListModel::node(index);
        ASSERT_TRUE(node);
        const QRectF size = sizeRect(list.rowRect(index));
        const QString text = formatBytes(node->sizeOnDisk);
        EXPECT_LE(size.right(), viewport.right()) << node->name();
        EXPECT_GE(size.width(), metrics.horizontalAdvance(text)) << text.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 0);
}
