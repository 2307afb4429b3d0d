#pragma once

#include "shell/lists/ListView.h"
#include "shell/lists/RowDelegate.h"
#include "tests/support/Mouse.h"

#include <optional>

// A list row's buttons as its delegate lays them out, and clicks on them as a pointer gives them.
namespace row_buttons {

// The button `id` of the row at `index` where the list shows it now, or nullopt.
inline std::optional<RowDelegate::Button> find(const ListView& list, const QModelIndex& index, int id) {
    for (const RowDelegate::Button& b : list.rowDelegate()->buttons(index, list.rowRect(index)))
        if (b.id == id) return b;
    return std::nullopt;
}

// Scrolls the row into view and clicks the button; false when the row shows no such button.
inline bool click(ListView& list, const QModelIndex& index, int id) {
    list.scrollTo(index);
    const auto button = find(list, index, id);
    if (button) mouse::click(*list.viewport(), button->rect.center());
    return button.has_value();
}

} // namespace row_buttons
