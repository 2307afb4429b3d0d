#pragma once

#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "model/ThemeName.h"
#include "shell/CanvasView.h"
#include "shell/Theme.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>

// Mouse events as a real pointer delivers them, and where the UI tests keep their pictures.
namespace view_test {

inline void send(QWidget& w, QEvent::Type type, QPointF at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
                                         ? Qt::MouseButtons(Qt::LeftButton)
                                         : Qt::MouseButtons(Qt::NoButton);
    QMouseEvent event(type, at, w.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

inline void hover(QWidget& w, QPointF at) { send(w, QEvent::MouseMove, at); }

inline void click(QWidget& w, QPointF at) {
    send(w, QEvent::MouseButtonPress, at);
    send(w, QEvent::MouseButtonRelease, at);
}

inline void doubleClick(QWidget& w, QPointF at) {
    click(w, at);
    send(w, QEvent::MouseButtonDblClick, at);
    send(w, QEvent::MouseButtonRelease, at);
}

// screenshots/ in the working folder, beside the main window's pictures.
inline QString screenshotPath(const QString& name) {
    QDir().mkpath(QStringLiteral("screenshots"));
    return QStringLiteral("screenshots/") + name;
}

inline QString themeSuffix(ThemeName name) { return name == ThemeName::dark ? QStringLiteral("dark") : QStringLiteral("light"); }

} // namespace view_test
