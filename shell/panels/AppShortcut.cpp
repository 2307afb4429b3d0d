#include "shell/panels/AppShortcut.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <vector>

// One filter on the application sees every key before any widget. A ShortcutOverride for one of
// our keys is accepted, so Qt delivers the key as a key press instead of looking for QShortcuts;
// that key press is then taken here, before the focused widget can use it.
class AppShortcutFilter : public QObject {
  public:
    static AppShortcutFilter& instance() {
        static AppShortcutFilter* filter = [] {
            auto* f = new AppShortcutFilter;
            qApp->installEventFilter(f);
            return f;
        }();
        return *filter;
    }

    std::vector<AppShortcut*> shortcuts;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (!widget) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (AppShortcut* shortcut : shortcuts) {
            if (!shortcut->window_ || shortcut->window_->window() != widget->window()) continue;
            if (!shortcut->isEnabled() || shortcut->keys_.count() != 1) continue;
            if (shortcut->keys_[0] != pressed[0]) continue;
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept();
                return true;
            }
            shortcut->action_();
            return true;
        }
        return false;
    }
};

AppShortcut::AppShortcut(const QKeySequence& keys, QWidget* window, std::function<void()> action)
    : QObject(window), keys_(keys), window_(window), action_(std::move(action)) {
    AppShortcutFilter::instance().shortcuts.push_back(this);
}

AppShortcut::~AppShortcut() {
    std::erase(AppShortcutFilter::instance().shortcuts, this);
}
