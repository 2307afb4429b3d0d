#include "tests/model/ViewModelFixture.h"

#include <QCoreApplication>

#include <algorithm>

std::vector<platform::ProcessInstance> FakeProcesses::runningInstances(const std::string& appImagePath) {
    askedFor = appImagePath;
    std::vector<platform::ProcessInstance> out;
    for (const auto& i : instances) out.push_back(i.process);
    return out;
}

bool FakeProcesses::isTerminated(const platform::ProcessInstance& p) {
    for (const auto& i : instances) {
        if (i.process.pid != p.pid) continue;
        if (i.quitsOnKill && std::find(killed.begin(), killed.end(), p.pid) != killed.end()) return true;
        int seen = checks_[p.pid]++;
        return i.quitsAfterChecks >= 0 && seen >= i.quitsAfterChecks;
    }
    return true;
}

std::unique_ptr<ScanViewModel> ViewModelTest::makeViewModel() {
    ScanViewModel::Services services = scanServices();
    services.systemThemeName = [this] { return systemTheme; };
    services.applyAppearance = [this](ThemeName t) { appliedAppearances.push_back(t); };
    services.processes = processes;
    services.trash = trash;
    // The next poll comes on the next turn of the event loop.
    services.wait = [this](int, std::function<void()> then) {
        ++waits;
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(then), Qt::QueuedConnection);
    };
    return std::make_unique<ScanViewModel>(std::move(services));
}
