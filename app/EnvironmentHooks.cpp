#include "app/EnvironmentHooks.h"

#include "model/DiskScanner.h"
#include "model/EarlyWalk.h"
#include "model/ScanViewModel.h"
#include "platform/Paths.h"

#include <QByteArray>

#include <cstdlib>

std::unique_ptr<EarlyWalk> startEarlyWalk() {
    const char* start = std::getenv("BRENWICK_SCAN");
    if (!start || !*start) return nullptr;
    return std::make_unique<EarlyWalk>(platform::absolutePath(start), std::make_shared<DiskScanner>());
}

void applyEnvironmentHooks(ScanViewModel& viewModel, std::unique_ptr<EarlyWalk> early) {
    if (early)
        viewModel.scanOnStart(std::move(early));
    else if (const std::string start = qgetenv("BRENWICK_SCAN").toStdString(); !start.empty())
        viewModel.scanOnStart(start);
    if (auto mode = visualization_mode::fromRawValue(qgetenv("BRENWICK_MODE").toStdString()))
        viewModel.settings().setMode(*mode);
}
