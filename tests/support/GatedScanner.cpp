#include "tests/support/GatedScanner.h"

#include "model/DiskScanner.h"
#include "tests/support/FaultyDirectoryReader.h"

std::shared_ptr<DiskScanner> makeGatedScanner(std::shared_ptr<ScanGate> gate, const std::map<std::string, int>& denied) {
    auto reader = std::make_shared<FaultyDirectoryReader>();
    reader->openErrors = denied;
    // The reader outlives nothing of the scanner's, so it knows its scanner weakly.
    auto self = std::make_shared<std::weak_ptr<DiskScanner>>();
    reader->onOpen = [gate = std::move(gate), self](const std::string& path) {
        if (!path.ends_with("/slow")) return;
        gate->wait([self] {
            auto scanner = self->lock();
            return !scanner || scanner->isCancelled();
        });
    };
    auto scanner = std::make_shared<DiskScanner>(reader);
    scanner->setThreadCount(2);
    *self = scanner;
    return scanner;
}
