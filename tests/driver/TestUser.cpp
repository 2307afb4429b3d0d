// A stand-in for the user inside the real application, for the tests that run it as its own process: a Qt
// generic plugin, loaded when QT_QPA_GENERIC_PLUGINS names "brenwick-test-user" and QT_PLUGIN_PATH holds
// its folder. It acts through Qt alone and links none of Brenwick's libraries (the application holds
// them; a second copy would have statics of its own): it finds widgets by class, accessible name or tool
// tip, as a person finds them by sight, and clicks them.
//
// Its errand: add every node_modules quick win to the cleanup queue, open the queue, ask to move to the
// Trash and confirm. Each step is retried until the widget it needs is there; each step done is written as
// a line to the file named by BRENWICK_TEST_USER_LOG, the last being "confirmed".
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

namespace {

QWidget* findShown(const std::function<bool(QWidget*)>& matches) {
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->isVisible() && matches(widget)) return widget;
    return nullptr;
}

QAbstractButton* shownButton(const std::function<bool(QAbstractButton*)>& matches) {
    return static_cast<QAbstractButton*>(findShown([&](QWidget* widget) {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        return button && button->isEnabled() && matches(button);
    }));
}

bool clickButtonNamed(const QString& name) {
    QAbstractButton* button = shownButton([&](QAbstractButton* b) { return b->accessibleName() == name; });
    if (button) button->click();
    return button;
}

} // namespace

class TestUser : public QObject {
    Q_OBJECT
  public:
    TestUser() {
        steps_ = {
            {"menu",
             [] {
                 QWidget* row = findShown([](QWidget* w) {
                     return QByteArray(w->metaObject()->className()) == "QuickWinRow" &&
                            w->accessibleName() == QStringLiteral("node_modules");
                 });
                 if (!row) return false;
                 const QPoint at = row->rect().center();
                 QContextMenuEvent event(QContextMenuEvent::Mouse, at, row->mapToGlobal(at));
                 QCoreApplication::sendEvent(row, &event);
                 return true;
             }},
            {"staged",
             [] {
                 auto* menu =
                     static_cast<QMenu*>(findShown([](QWidget* w) { return qobject_cast<QMenu*>(w); }));
                 if (!menu) return false;
                 for (QAction* action : menu->actions())
                     if (action->text().startsWith(QStringLiteral("Add all"))) {
                         action->trigger();
                         menu->close();
                         return true;
                     }
                 return false;
             }},
            {"queue",
             [] {
                 QAbstractButton* button = shownButton(
                     [](QAbstractButton* b) { return b->toolTip() == QStringLiteral("Cleanup queue"); });
                 if (button) button->click();
                 return button != nullptr;
             }},
            {"asked", [] { return clickButtonNamed(QStringLiteral("Move to Trash\u2026")); }},
            {"confirmed", [] { return clickButtonNamed(QStringLiteral("Move to Trash")); }},
        };
        timer_.callOnTimeout(this, &TestUser::step);
        timer_.start(50);
    }

  private:
    struct Step {
        const char* name;
        std::function<bool()> act;
    };

    void step() {
        if (next_ >= steps_.size() || !steps_[next_].act()) return;
        QFile log(qEnvironmentVariable("BRENWICK_TEST_USER_LOG"));
        if (log.open(QIODevice::Append)) log.write(QByteArray(steps_[next_].name) + '\n');
        if (++next_ == steps_.size()) timer_.stop();
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    QTimer timer_;
};

class TestUserPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "TestUser.json")
  public:
    QObject* create(const QString& key, const QString&) override {
        return key.compare(QStringLiteral("brenwick-test-user"), Qt::CaseInsensitive) == 0 ? new TestUser
                                                                                           : nullptr;
    }
};

#include "TestUser.moc"
