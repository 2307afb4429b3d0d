#pragma once

#include "model/SystemMonitor.h"
#include "model/VolumeInfo.h"

#include <QStringList>

#include <vector>

// One made-up sample of this machine and its volumes, for Monitor screens that must show the same
// figures every time.
namespace fixed_monitor {

inline constexpr int64_t kGB = 1'000'000'000;

inline SystemMonitor::Snapshot fixedSample() {
    SystemMonitor::Snapshot s;
    s.cpu = {30, 7.5, 62.5, 1.25};
    s.memory = {2 * kGB, kGB / 2, 0, 0, 6 * kGB, 16 * kGB};
    s.network = {1'500'000, 200'000, 3 * kGB, kGB};
    const QStringList names =
        QStringLiteral("Web Content Helper,Xorg,brenwick,helperd,systemd,pipewire,Code "
                       "Helper (Renderer),bash,sshd,cron,dbus-daemon,gnome-shell,nautilus,"
                       "tracker-miner-fs,gvfsd,at-spi-bus-launcher,polkitd,ibus-daemon,"
                       "evolution-source-registry,NetworkManager")
            .split(',');
    for (int i = 0; i < 20; ++i)
        s.topProcessesByCPU.push_back(
            {1000 + i, names[i].toStdString(), 40.0 - i * 2, int64_t(i + 1) * 50'000'000});
    s.topProcessesByMemory.assign(s.topProcessesByCPU.rbegin(), s.topProcessesByCPU.rend());
    s.processCount = 75;
    return s;
}

inline std::vector<VolumeInfo> fixedVolumes() {
    return {{"/", {"Startup Disk", 512 * kGB, 200 * kGB, 300 * kGB}},
            {"/home", {"Home", 256 * kGB, 56 * kGB, 190 * kGB}},
            {"/media/ann/Backup Drive", {"Backup Drive", 128 * kGB, 128 * kGB, 0}},
            {"/boot/efi", {"efi", kGB / 2, kGB / 4, kGB / 4}},
            {"/mnt/a very long volume name that cannot fit in the row of its card",
             {"a very long volume name that cannot fit in the row of its card", kGB / 4, 0, kGB / 4}}};
}

} // namespace fixed_monitor
