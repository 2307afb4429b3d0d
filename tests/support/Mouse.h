#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// Mouse events as a real pointer delivers them to a widget, for the UI tests.
namespace mouse {

inline void send(QWidget& w, QEvent::Type type, QPointF at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
                                         ? Qt::MouseButtons(Qt::LeftButton)
                                         : Qt::MouseButtons(Qt::NoButton);
    QMouseEvent event(type, at, w.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

inline void hover(QWidget& w, QPointF at) {
    send(w, QEvent::MouseMove, at);
}

inline void click(QWidget& w, QPointF at) {
    send(w, QEvent::MouseButtonPress, at);
    send(w, QEvent::MouseButtonRelease, at);
}

// What a widget receives for a real double click: a click, then the double-click press and a release.
inline void doubleClick(QWidget& w, QPointF at) {
    click(w, at);
    send(w, QEvent::MouseButtonDblClick, at);
    send(w, QEvent::MouseButtonRelease, at);
}

} // namespace mouse
