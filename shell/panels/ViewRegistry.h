#pragma once

#include "model/ViewModes.h"
#include "shell/canvas/ModeDescription.h"

#include <QWidget>

#include <functional>

class FileNode;
class ScanViewModel;

// The Explore tab's visualisations and the tool screens live above the shell; app/ registers a description
// or a factory for each at start, so the shell builds them without including their headers.
using ScreenFactory = std::function<QWidget*(ScanViewModel&, QWidget* parent)>;

namespace ViewRegistry {

// One description per mode; a later one for the same mode replaces it.
void registerMode(ModeDescription description);
// The Duplicates, Applications, Monitor and Snapshots screens.
void registerTool(AppTab tab, ScreenFactory factory);
// The content of the top bar's cleanup-queue popover. The widget may declare a `dismissRequested()`
// signal; the popover closes when it is emitted.
void registerCleanupQueue(ScreenFactory factory);

// The registered description of a mode; without one, a bare description (its title, no controls, no view).
const ModeDescription& mode(VisualizationMode mode);

// Each builds the registered widget, or a placeholder (the title on an empty area) when none is.
QWidget* createVisualization(VisualizationMode mode, ScanViewModel& viewModel, FileNode* folder,
                             QWidget* parent);
// Runs the mode's warm-up, if it has one, for a view of `size`.
void warmUpVisualization(VisualizationMode mode, const ScanViewModel& viewModel, QSize size,
                         double pixelRatio);
QWidget* createTool(AppTab tab, ScanViewModel& viewModel, QWidget* parent);
QWidget* createCleanupQueue(ScanViewModel& viewModel, QWidget* parent);

bool hasVisualization(VisualizationMode mode);
bool hasTool(AppTab tab);
// Forgets every description and factory; for tests that register fakes.
void clear();

} // namespace ViewRegistry
