#pragma once

#include <QLineEdit>

// A frameless line edit on a transparent ground, for a field that paints its own capsule around it.
// Its text, placeholder and selection colours follow theme changes: the style sheet that clears its
// ground keeps whatever palette it saw first, so the theme's palette is set again on each change.
class ThemedLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    ThemedLineEdit(const QString& placeholder, const QFont& font, QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;

  private:
    void applyTheme();
};
