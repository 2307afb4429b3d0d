#pragma once

#include <QKeySequence>
#include <QObject>

#include <functional>

// A keyboard shortcut of the application's window whose meaning wins over the focused widget's own
// use of the key: Ctrl+K in a line edit normally deletes to the end of the line; with an AppShortcut
// for Ctrl+K it runs the shortcut's action instead. (Shortcuts written with the command key are Ctrl
// shortcuts here.) Active while a widget of `window`'s top-level window has the keyboard focus.
// Single-chord sequences only.
class AppShortcut : public QObject {
    Q_OBJECT
  public:
    AppShortcut(const QKeySequence& keys, QWidget* window, std::function<void()> action);
    ~AppShortcut() override;

    QKeySequence keys() const { return keys_; }
    void setEnabled(bool on) { enabled_ = on; }
    bool isEnabled() const { return enabled_; }
    // Human-readable form for hints: "Ctrl+K".
    QString hint() const { return keys_.toString(QKeySequence::NativeText); }

  private:
    friend class AppShortcutFilter;
    QKeySequence keys_;
    QWidget* window_;
    std::function<void()> action_;
    bool enabled_ = true;
};
