#pragma once

#include "shell/panels/inspector/InspectorFacts.h"

#include <QWidget>

#include <functional>

namespace inspector {

// A row of "Largest Inside": dot, name and size over a bar of the child's share. A click reports the
// child (the inspector selects it; the second click of a double click opens it).
class LargestRow : public QWidget {
  public:
    LargestRow(std::function<void(FileNode*)> clicked, QWidget* parent = nullptr);

    void setChild(const InspectorFacts::Child& child);
    FileNode* node() const { return child_.node; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    InspectorFacts::Child child_;
    std::function<void(FileNode*)> clicked_;
};

} // namespace inspector
