#pragma once

#include <memory>
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

// Asks the user for a folder to scan; nullopt when cancelled. Modal to `parent`'s window.
std::optional<std::string> chooseFolderToScan(QWidget* parent);

// The chooser that asks: one folder, starting at the home folder, confirmed with "Scan".
std::unique_ptr<QFileDialog> makeFolderChooser(QWidget* parent);
