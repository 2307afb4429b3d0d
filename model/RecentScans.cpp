#include "model/RecentScans.h"

#include "model/StoredSettings.h"

RecentScans::RecentScans(QObject* parent) : QObject(parent), recents_(stored_settings::recents()) {}

void RecentScans::recordRecent(const std::string& path) {
    recents_ = stored_settings::withRecent(std::move(recents_), path);
    emit recentsChanged();
    stored_settings::setRecents(recents_);
}
