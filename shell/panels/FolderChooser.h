#pragma once

#include <optional>
#include <string>

class QWidget;

// Asks the user for a folder to scan; nullopt when cancelled. Modal to `parent`'s window.
std::optional<std::string> chooseFolderToScan(QWidget* parent);
