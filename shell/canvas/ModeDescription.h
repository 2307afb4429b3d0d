#pragma once

#include "model/ViewModes.h"

#include <QFlags>
#include <QSize>
#include <QString>

#include <cmath>
#include <functional>
#include <optional>
#include <utility>

class FileNode;
class QObject;
class QWidget;
class ScanViewModel;
struct ModeDescription;

// Builds the view of a mode for a folder, as a child of `parent`. The widget is also a FolderView, so
// that the Explore tab can hand it the next folder instead of building it again.
using VisualizationFactory = std::function<QWidget*(const ModeDescription& mode, ScanViewModel& viewModel,
                                                    FileNode* folder, QWidget* parent)>;

// Makes ahead what the first paint of the mode's view would otherwise make (pictures, caches) for a
// view of `size`; the Explore tab calls it when a scan starts. What it makes on other threads must be
// of use to a paint as soon as it is made: the result of a short scan can come before the event loop.
using VisualizationWarmUp =
    std::function<void(const ScanViewModel& viewModel, QSize size, double pixelRatio)>;

// The mode bar's controls a mode uses.
enum class ModeControl : unsigned {
    colorPicker = 1, // ScanViewModel::colorMode
    depth = 2,       // ScanViewModel::depth: the levels a canvas lays out
    initials = 4,    // ScanViewModel::abbreviateLabels
};
using ModeControls = QFlags<ModeControl>;
Q_DECLARE_OPERATORS_FOR_FLAGS(ModeControls)

// Everything the Explore tab knows of one visualisation mode: its button in the mode bar, the controls
// it uses and how its view is built. app/RegisterViews.cpp registers one per mode with ViewRegistry; the
// mode bar and the canvas base read it from there.
struct ModeDescription {
    ModeDescription() = default;
    ModeDescription(VisualizationMode mode, QString symbol, QString caption, ModeControls controls = {})
        : mode(mode), symbol(std::move(symbol)), caption(std::move(caption)), controls(controls) {}

    // A canvas without the depth control lays out this many levels.
    ModeDescription& withFixedDepth(int levels) {
        fixedDepth = levels;
        return *this;
    }
    // Without a factory the Explore tab shows a placeholder with the mode's title.
    ModeDescription& builtBy(VisualizationFactory make) {
        factory = std::move(make);
        return *this;
    }

    ModeDescription& warmedBy(VisualizationWarmUp warm) {
        warmUp = std::move(warm);
        return *this;
    }

    VisualizationMode mode = VisualizationMode::treemap;
    QString symbol;  // of the mode's button
    QString caption; // shown beside the controls
    ModeControls controls;
    std::optional<int> fixedDepth;
    VisualizationFactory factory;
    VisualizationWarmUp warmUp; // optional

    bool uses(ModeControl control) const { return controls.testFlag(control); }
    QString title() const {
        const auto raw = visualization_mode::rawValue(mode);
        return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
    }
    // The levels a layout of this mode honours when the depth slider stands at `sliderDepth`.
    int layoutDepth(double sliderDepth) const { return fixedDepth.value_or(int(std::trunc(sliderDepth))); }
};

// The factory of a view built as `View(viewModel, folder, parent)`.
template <typename View> VisualizationFactory viewFactory() {
    return [](const ModeDescription&, ScanViewModel& viewModel, FileNode* folder,
              QWidget* parent) -> QWidget* { return new View(viewModel, folder, parent); };
}
