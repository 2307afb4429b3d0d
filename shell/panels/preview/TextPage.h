#pragma once

#include <QPlainTextEdit>

// The preview of a text file: read-only, in the monospaced font, unwrapped.
class TextPage : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit TextPage(const QString& text, QWidget* parent = nullptr);
};
