#pragma once

#include "shell/lists/ListView.h"

namespace platform {
struct FolderListing;
}

// The preview of a folder: its entries, one row each (symbol, name, a file's size), and a last row
// counting the entries beyond the listing's limit. Rows are not selected.
class ListingPage : public ListView {
    Q_OBJECT
  public:
    static constexpr int kRowHeight = 30;

    explicit ListingPage(const platform::FolderListing& listing, QWidget* parent = nullptr);
};
