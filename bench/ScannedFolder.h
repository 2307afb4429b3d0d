#pragma once

#include <QApplication>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class FileNode;
class ScanTree;

// What the commands that measure a view over a scanned folder share.
namespace bench {

// The arguments of such a command: PATH [--folder RELATIVE] [--width W] [--height H], the size being
// the Explore area's in the default window with the inspector. `path` is empty (and the usage has been
// printed) when they do not parse.
struct ViewArguments {
    ViewArguments(std::vector<std::string> args, const char* command);
    std::string path, relative;
    int width = 958, height = 780;
};

// The application those views need: offscreen unless a platform is set, with the embedded fonts,
// animations off.
class ViewApplication {
  public:
    ViewApplication();

  private:
    int argc_ = 1;
    char name_[15] = "brenwick-bench";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// A scanned folder and the folder below it to measure: `relative` to it, or when that is empty the
// folder with the most direct children. `folder` is null (and a line on stderr says why) when
// `relative` names nothing.
struct ScannedFolder {
    ScannedFolder(const std::string& path, const std::string& relative);
    std::shared_ptr<ScanTree> tree;
    FileNode* folder = nullptr;
};

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point start);
// The middle value (the upper of the two for an even count); 0 for none.
double median(std::vector<double> values);

} // namespace bench
