#pragma once

#include "model/FileCategory.h"

#include <QString>
#include <QWidget>

namespace inspector {

// The node's symbol on a 63-point rounded tile: a folder's in a muted grey, a file's in its category's
// colour.
class SymbolTile : public QWidget {
  public:
    explicit SymbolTile(QWidget* parent = nullptr);

    void setSymbol(const QString& symbol, bool isFolder, FileCategory category);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString symbol_;
    bool isFolder_ = false;
    FileCategory category_ = FileCategory::other;
};

} // namespace inspector
