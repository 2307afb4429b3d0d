// The applications screen: listing 50 AppImages and their leftovers among 5,000 entries of the XDG
// folders of a generated home (what runs off the window thread), the same for 1,000 to 16,000 AppImages
// each with its desktop entry (and how soon such a listing ends once asked to stop), and the screen's
// frame with 50 rows: the tab's first (cold_ms) and built again.
#include "bench/micro/BenchApplication.h"
#include "model/AppUninstaller.h"
#include "model/InstalledApps.h"
#include "model/ScanViewModel.h"
#include "platform/AppIconProvider.h"
#include "shell/panels/ContentView.h"
#include "tools/applications/AppIconCache.h"
#include "tools/applications/AppUninstallerView.h"

#include <QImage>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kApps = 50;
constexpr int kEntries = 5000; // direct entries of the five leftover folders together

// "aaa", "aab", ...: names of one length (17,576 of them), so no application's name holds another's.
std::string letters(int i) {
    std::string s(3, 'a');
    for (int k = 2; k >= 0; --k, i /= 26)
        s[size_t(k)] = char('a' + i % 26);
    return s;
}

void writeFile(const fs::path& path, size_t size) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

// The user's folders point into `home`.
void useHome(const fs::path& home) {
    for (auto [name, value] : {std::pair{"HOME", home},
                               {"XDG_CACHE_HOME", home / ".cache"},
                               {"XDG_CONFIG_HOME", home / ".config"},
                               {"XDG_DATA_HOME", home / ".local/share"},
                               {"XDG_STATE_HOME", home / ".local/state"}})
        setenv(name, value.c_str(), 1);
}

// A home under /tmp, made once per process and removed at exit: ~/Applications with 50 AppImages
// (half of them with a desktop entry), and ~/.cache, ~/.config, ~/.local/share, ~/.local/state and
// ~/.var/app holding 5,000 entries, among them three leftovers of each application (a folder of 20
// files in the cache, a settings file, a data folder of 10 files).
struct GeneratedHome {
    GeneratedHome() {
        std::string pattern = (fs::temp_directory_path() / "brenwick-apps-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        home = root / "home";
        const fs::path cache = home / ".cache", config = home / ".config", data = home / ".local/share",
                       state = home / ".local/state", flatpak = home / ".var/app";
        int entries = 0;
        for (int i = 0; i < kApps; ++i) {
            const std::string stem = "Prog" + letters(i);
            const fs::path image =
                home / "Applications" / (stem + "-1." + std::to_string(i) + ".0-x86_64.AppImage");
            writeFile(image, 256 * 1024);
            fs::permissions(image, fs::perms::owner_all);
            if (i % 2 == 0) {
                fs::create_directories(data / "applications");
                std::ofstream(data / "applications" / ("org.example." + stem + ".desktop"))
                    << "[Desktop Entry]\nType=Application\nName=Prog " << letters(i) << "\nIcon=prog-"
                    << letters(i) << "\nExec=" << image.string() << " %U\n";
            }
            const std::string key = "prog" + letters(i); // the name's key, with or without an entry
            for (int f = 0; f < 20; ++f)
                writeFile(cache / key / ("blob-" + std::to_string(f)), 4096);
            writeFile(config / (key + ".conf"), 300);
            for (int f = 0; f < 10; ++f)
                writeFile(data / key / ("db-" + std::to_string(f)), 2048);
            entries += 3;
        }
        // The rest: other programs' files and folders, spread over the five folders.
        const fs::path folders[] = {cache, config, data, state, flatpak};
        for (int n = 0; entries < kEntries; ++n, ++entries) {
            const fs::path where = folders[n % 5];
            if (n % 4 == 0)
                writeFile(where / ("other-" + std::to_string(n)) / "file", 100);
            else
                writeFile(where / ("other-" + std::to_string(n) + ".dat"), 100);
        }
        useHome(home);
    }
    ~GeneratedHome() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root, home;
};

// A home with `count` small AppImages, each with its desktop entry, and leftover folders that are empty
// or, with `caches`, hold one cache folder of each app: every AppImage is matched against every entry.
struct ManyAppsHome {
    ManyAppsHome(int count, bool caches) {
        std::string pattern = (fs::temp_directory_path() / "brenwick-many-apps-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        home = root / "home";
        const fs::path entries = home / ".local/share/applications";
        fs::create_directories(entries);
        for (const char* folder : {".cache", ".config", ".local/state"})
            fs::create_directories(home / folder);
        for (int i = 0; i < count; ++i) {
            const std::string stem = "Tool" + letters(i);
            const fs::path image = home / "Applications" / (stem + "-2.0-x86_64.AppImage");
            writeFile(image, 4096);
            fs::permissions(image, fs::perms::owner_all);
            if (caches) fs::create_directories(home / ".cache" / ("tool" + letters(i)));
            std::ofstream(entries / ("org.example." + stem + ".desktop"))
                << "[Desktop Entry]\nType=Application\nName=Tool " << letters(i) << "\nIcon=tool-"
                << letters(i) << "\nExec=" << image.string() << " %U\n";
        }
    }
    ~ManyAppsHome() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root, home;
};

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

GeneratedHome& generatedHome() {
    static GeneratedHome home;
    return home;
}

// Listing, desktop entries, the five folders, matching and measuring, and the sort: the whole load.
void appsListing(benchmark::State& state) {
    useHome(generatedHome().home);
    size_t apps = 0, leftovers = 0;
    for (auto _ : state) {
        auto listed = InstalledApps::load();
        apps = listed.size();
        leftovers = 0;
        for (const auto& app : listed)
            for (const auto& group : app.leftovers)
                leftovers += group.urls.size();
        benchmark::DoNotOptimize(listed);
    }
    state.counters["apps"] = double(apps);
    state.counters["leftover_paths"] = double(leftovers);
}
BENCHMARK(appsListing)->Unit(benchmark::kMillisecond)->UseRealTime();

// One home per kind, made once per process.
ManyAppsHome& manyAppsHome(int count, bool caches = false) {
    static std::map<std::pair<int, bool>, std::unique_ptr<ManyAppsHome>> homes;
    auto& home = homes[{count, caches}];
    if (!home) home = std::make_unique<ManyAppsHome>(count, caches);
    return *home;
}

// The whole load over N AppImages and their N desktop entries (the launchers' entries too), and with
// the second argument 1, N cache folders; the CPU column is the whole process's, every thread of the
// load included.
void appsListingMany(benchmark::State& state) {
    useHome(manyAppsHome(int(state.range(0)), state.range(1) != 0).home);
    size_t apps = 0;
    for (auto _ : state) {
        auto listed = InstalledApps::load();
        apps = listed.size();
        benchmark::DoNotOptimize(listed);
    }
    state.counters["apps"] = double(apps);
}
BENCHMARK(appsListingMany)
    ->ArgsProduct({{1000, 2000, 8000, 16000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The quit during a listing: the load of N AppImages asked to stop D ms after it started (args N, D);
// the time is from the request until the load returns, `worst_ms` the longest of the runs.
void appsListingStop(benchmark::State& state) {
    useHome(manyAppsHome(int(state.range(0))).home);
    const auto delay = std::chrono::milliseconds(state.range(1));
    double worst = 0;
    for (auto _ : state) {
        std::stop_source stop;
        std::thread load([&] { benchmark::DoNotOptimize(InstalledApps::load(stop.get_token())); });
        std::this_thread::sleep_for(delay);
        const auto asked = std::chrono::steady_clock::now();
        stop.request_stop();
        load.join();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
        state.SetIterationTime(seconds);
        worst = std::max(worst, seconds);
    }
    state.counters["worst_ms"] = worst * 1e3;
}
BENCHMARK(appsListingStop)
    ->Args({16000, 50})
    ->Args({16000, 200})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Icons as a desktop entry's picture file would give them.
class PictureIcons : public platform::AppIconProvider {
  public:
    QImage image(const std::string&) override {
        QImage picture(64, 64, QImage::Format_ARGB32);
        picture.fill(QColor(40, 120, 220));
        return picture;
    }
};

std::vector<AppUninstaller::InstalledApp> syntheticApps() {
    std::vector<AppUninstaller::InstalledApp> apps;
    for (int i = 0; i < kApps; ++i) {
        AppUninstaller::InstalledApp app;
        app.id = QUuid::createUuid();
        app.bundleURL = "/home/u/Applications/Prog" + letters(i) + ".AppImage";
        app.bundleIdentifier = "org.example.Prog" + letters(i);
        app.displayName = "Prog " + letters(i);
        if (i % 3) app.version = "1." + std::to_string(i) + ".0";
        if (i % 2) app.icon = "prog-" + letters(i);
        app.lastUsedDate = 1.7e9 + i * 3600.0;
        app.bundleSize = int64_t(200 - i) * 1'000'000;
        app.leftovers.push_back(
            {QUuid::createUuid(), "Caches", {"/home/u/.cache/prog" + letters(i)}, 5'000'000});
        app.leftovers.push_back(
            {QUuid::createUuid(), "Preferences", {"/home/u/.config/prog" + letters(i)}, 4096});
        apps.push_back(std::move(app));
    }
    return apps;
}

// From a listed state to a painted screen: the screen built, laid out in the window's tab area and
// painted once.
void appsFirstFrame(benchmark::State& state) {
    ensureApplication();
    ScanViewModel::Services services;
    services.loadInstalledApps = [](std::stop_token) { return syntheticApps(); };
    ScanViewModel viewModel(std::move(services));
    viewModel.apps().refresh(true);
    while (viewModel.apps().isLoading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    AppIconCache icons(std::make_shared<PictureIcons>());
    QImage screen(1339, 993, QImage::Format_ARGB32_Premultiplied); // the tab area of a 1680 x 1050 window
    auto frame = [&] {
        AppUninstallerView view(viewModel, nullptr, &icons);
        view.resize(screen.size());
        view.render(&screen);
    };
    // The tab's first screen: in the application the window has painted before it (here its start
    // screen, once), but this screen's own glyphs are new; its icons are still being read, so it paints
    // the generic symbol. Later screens find the glyphs, and the icons once they have arrived.
    static double coldMs = -1, coldCpuMs = -1;
    if (coldMs < 0) {
        ContentView window(viewModel);
        window.resize(1680, 1050);
        QImage whole(window.size(), QImage::Format_ARGB32_Premultiplied);
        window.render(&whole);

        const auto start = std::chrono::steady_clock::now();
        const double startCpu = threadCpuMs();
        frame();
        coldMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        coldCpuMs = threadCpuMs() - startCpu;
    }
    // Icons are read on worker threads and painted once they arrive; the frames timed below paint them.
    const auto& apps = viewModel.apps().items();
    auto arrived = [&] {
        return std::all_of(apps.begin(), apps.end(),
                           [&](const auto& app) { return app.icon.empty() || !icons.icon(app).isNull(); });
    };
    while (!arrived())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    for (auto _ : state)
        frame();
    state.counters["rows"] = double(viewModel.apps().items().size());
    state.counters["cold_ms"] = coldMs;
    state.counters["cold_cpu_ms"] = coldCpuMs; // the same without the time other processes took
}
BENCHMARK(appsFirstFrame)->Unit(benchmark::kMillisecond);

// 150 applications' icons as desktop integration installs them: two of three a PNG of 256 x 256, the
// others a small SVG drawing, each named by its path.
std::vector<AppUninstaller::InstalledApp> appsWithIconFiles() {
    static const fs::path folder = generatedHome().root / "icons";
    std::vector<AppUninstaller::InstalledApp> apps;
    for (int i = 0; i < 150; ++i) {
        AppUninstaller::InstalledApp app;
        app.id = QUuid::createUuid();
        app.bundleURL = "/home/u/Applications/Icon" + letters(i) + ".AppImage";
        const bool drawn = i % 3 == 2;
        app.icon = (folder / ("icon-" + letters(i) + (drawn ? ".svg" : ".png"))).string();
        if (!fs::exists(app.icon)) {
            fs::create_directories(folder);
            if (drawn) {
                std::ofstream(app.icon)
                    << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\">"
                       "<rect x=\"4\" y=\"4\" width=\"56\" height=\"56\" rx=\"12\" fill=\"#3a7bd5\"/>"
                       "<circle cx=\"32\" cy=\"32\" r=\""
                    << 8 + i % 16 << "\" fill=\"#fff\"/></svg>";
            } else {
                QImage picture(256, 256, QImage::Format_ARGB32);
                picture.fill(QColor::fromHsv(i * 7 % 360, 160, 220));
                picture.save(QString::fromStdString(app.icon));
            }
        }
        apps.push_back(std::move(app));
    }
    return apps;
}

// The Applications screen over 150 listed applications, from its making until all their icons have
// arrived: the screen built and painted once (its visible rows ask for their icons), then every other
// row's icon asked for, as scrolling does. Each round has a new cache over the desktop's provider, so its
// picture workers start anew, as on the screen's first opening.
void appsIcons(benchmark::State& state) {
    ensureApplication();
    const auto apps = appsWithIconFiles();
    ScanViewModel::Services services;
    services.loadInstalledApps = [apps](std::stop_token) { return apps; };
    ScanViewModel viewModel(std::move(services));
    viewModel.apps().refresh(true);
    while (viewModel.apps().isLoading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QImage screen(1339, 993, QImage::Format_ARGB32_Premultiplied);
    size_t drawn = 0;
    for (auto _ : state) {
        AppIconCache icons(std::make_shared<platform::DesktopIconProvider>());
        size_t arrived = 0;
        QObject::connect(&icons, &AppIconCache::iconLookedUp, [&] { ++arrived; });
        AppUninstallerView view(viewModel, nullptr, &icons);
        view.resize(screen.size());
        view.render(&screen);
        for (const auto& app : viewModel.apps().items())
            icons.icon(app);
        while (arrived < apps.size())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        drawn = size_t(std::count_if(apps.begin(), apps.end(),
                                     [&](const auto& app) { return !icons.icon(app).isNull(); }));
    }
    state.counters["icons"] = double(drawn);
}
BENCHMARK(appsIcons)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
