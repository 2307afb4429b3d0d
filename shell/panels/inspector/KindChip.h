#pragma once

#include <QString>
#include <QWidget>

namespace inspector {

// The node's symbol and kind on a small chip, as wide as they are.
class KindChip : public QWidget {
  public:
    explicit KindChip(QWidget* parent = nullptr);

    void setKind(const QString& symbol, const QString& title);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString symbol_, title_;
};

} // namespace inspector
