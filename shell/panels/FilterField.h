#pragma once

#include <QWidget>

class AppShortcut;
class QLineEdit;
class ScanViewModel;
class SymbolButton;

// The top bar's name filter: a capsule with a magnifying glass, a line edit bound to the state
// object's filter, and at its end the clear button (while there is text) or the "Ctrl+K" hint (while
// empty and unfocused). Ctrl+K anywhere in the window puts the focus in it.
class FilterField : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMinimumWidth = 150;
    static constexpr int kMaximumWidth = 242;

    explicit FilterField(ScanViewModel& viewModel, QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return edit_; }
    SymbolButton* clearButton() const { return clear_; }
    bool showsHint() const;
    QString hint() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void syncFromModel();
    void updateAccessory();
    void place();

    ScanViewModel& viewModel_;
    QLineEdit* edit_;
    SymbolButton* clear_;
    AppShortcut* shortcut_;
};
