#include "tests/support/ScanFixture.h"

#include <QSettings>

namespace {
void clearStartState() {
    QSettings("Brenwick", "Brenwick").clear();
    qunsetenv("BRENWICK_MODE");
    qunsetenv("BRENWICK_SCAN");
}
} // namespace

void ScanFixture::SetUp() { clearStartState(); }

void ScanFixture::TearDown() {
    gate->release();
    clearStartState();
}

ScanViewModel::Services ScanFixture::scanServices() {
    ScanViewModel::Services services;
    services.makeScanner = [this] {
        auto scanner = makeGatedScanner(gate, deniedFolders);
        scanners.push_back(scanner);
        return scanner;
    };
    return services;
}

bool ScanFixture::waitForDone(ScanViewModel& vm) {
    return QTest::qWaitFor([&] { return vm.status().kind == ScanViewModel::Status::Kind::done; }, 30000);
}

void ScanFixture::scanAndWait(ScanViewModel& vm, const std::string& path) {
    vm.scan(path);
    ASSERT_TRUE(vm.status().isScanning());
    ASSERT_TRUE(waitForDone(vm));
}
