#pragma once

#include <QObject>

#include <string>
#include <vector>

// The recently scanned folders, newest first, kept under "recentScans" between runs. Main thread only.
class RecentScans : public QObject {
    Q_OBJECT

  public:
    // Loads the stored list whole: a longer one written elsewhere is cut only at the next record.
    explicit RecentScans(QObject* parent = nullptr);

    const std::vector<std::string>& recents() const { return recents_; } // paths, newest first
    // Puts `path` in front, other spellings of it dropped, at most five kept; stores the list.
    void recordRecent(const std::string& path);

  signals:
    void recentsChanged();

  private:
    std::vector<std::string> recents_;
};
