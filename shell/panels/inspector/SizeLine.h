#pragma once

#include <QString>
#include <QWidget>

namespace inspector {

// The size in large type and its share of the scan beside it, on one baseline.
class SizeLine : public QWidget {
  public:
    explicit SizeLine(QWidget* parent = nullptr);

    void setSize(const QString& size, const QString& share);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString size_, share_;
};

} // namespace inspector
