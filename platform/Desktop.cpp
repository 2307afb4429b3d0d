#include "platform/Desktop.h"

#include "platform/Trash.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QGuiApplication>

#include <mutex>

namespace platform {

namespace {

std::mutex& desktopMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<Desktop>& replacedDesktop() {
    static std::shared_ptr<Desktop> desktop;
    return desktop;
}

std::string parentPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

Desktop& desktop() {
    static SystemDesktop system;
    std::lock_guard lock(desktopMutex());
    if (auto& replaced = replacedDesktop()) return *replaced;
    return system;
}

void setDesktop(std::shared_ptr<Desktop> replacement) {
    std::lock_guard lock(desktopMutex());
    replacedDesktop() = std::move(replacement);
}

QUrl fileUrl(const std::string& path) {
    return QUrl::fromEncoded(QByteArray("file://") + QByteArray::fromStdString(percentEncodePath(path)),
                             QUrl::StrictMode);
}

QUrl parentFolderUrl(const std::string& path) {
    return fileUrl(parentPath(path));
}

QString pathText(const std::string& path) {
    return QString::fromUtf8(path.data(), qsizetype(path.size()));
}

QDBusMessage showItemsMessage(const std::vector<std::string>& paths) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    QStringList uris;
    for (const std::string& path : paths)
        uris << fileUrl(path).toString(QUrl::FullyEncoded);
    call << uris << QString();
    return call;
}

void Desktop::revealItems(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        reveal(path);
}

void SystemDesktop::reveal(const std::string& path) {
    revealItems({path});
}

void SystemDesktop::revealItems(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    const QUrl folder = parentFolderUrl(paths.front());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    // Asynchronous: a file manager that is slow to start must not hold up the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(showItemsMessage(paths)), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, folder] {
        if (watcher->isError()) QDesktopServices::openUrl(folder);
        watcher->deleteLater();
    });
}

void SystemDesktop::open(const std::string& path) {
    QDesktopServices::openUrl(fileUrl(path));
}

void SystemDesktop::copyPath(const std::string& path) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(pathText(path));
}

} // namespace platform
