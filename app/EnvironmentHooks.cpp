#include "app/EnvironmentHooks.h"

#include "model/ScanViewModel.h"

#include <QByteArray>

void applyEnvironmentHooks(ScanViewModel& viewModel) {
    if (const std::string start = qgetenv("BRENWICK_SCAN").toStdString(); !start.empty())
        viewModel.scanOnStart(start);
    if (auto mode = visualization_mode::fromRawValue(qgetenv("BRENWICK_MODE").toStdString()))
        viewModel.settings().setMode(*mode);
}
