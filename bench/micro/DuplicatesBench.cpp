// The Duplicates screen over 10,000 groups of three identical files (30,000 real files, scanned and
// searched once): opening it (built, sized, first screen painted), a scroll step and a jump far away.
// The rows painted are counted, to show that rows out of sight are never painted.
#include "bench/micro/BenchApplication.h"
#include "model/DuplicateSearch.h"
#include "model/ScanViewModel.h"
#include "shell/lists/ListView.h"
#include "tools/duplicates/DuplicatesView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kGroups = 10'000, kWidth = 1100, kHeight = 900;

bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 120'000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Three copies of each group's bytes, in three folders; every group's content differs.
struct SearchedCopies {
    SearchedCopies() {
        ensureApplication();
        namespace fs = std::filesystem;
        // The state object's settings, recents and snapshots stay in the benchmark's own folder.
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            qputenv(name, dir.filePath(QString::fromLatin1(name)).toUtf8());
        const fs::path root = fs::path(dir.path().toStdString()) / "copies";
        for (const char* copy : {"a", "b", "c"})
            for (int g = 0; g < kGroups; ++g) {
                const fs::path folder = root / copy / QStringLiteral("d%1").arg(g / 100).toStdString();
                if (g % 100 == 0) fs::create_directories(folder);
                std::ofstream(folder / QStringLiteral("f%1.dat").arg(g).toStdString())
                    << "group " << g << std::string(size_t(40 + g % 200), 'x');
            }
        viewModel = std::make_unique<ScanViewModel>();
        viewModel->scan(root.string());
        waitFor([&] { return viewModel->status().kind == ScanViewModel::Status::Kind::done; });
        viewModel->findDuplicates();
        waitFor([&] { return !viewModel->duplicates().isSearching(); });
        if (viewModel->duplicates().groups().size() != size_t(kGroups))
            std::fprintf(stderr, "expected %d groups, found %zu\n", kGroups,
                         viewModel->duplicates().groups().size());
    }
    QTemporaryDir dir;
    std::unique_ptr<ScanViewModel> viewModel;
};

SearchedCopies& copies() {
    static SearchedCopies instance;
    return instance;
}

// Stands in front of the list's rows and counts the ones painted.
class CountingRows : public QStyledItemDelegate {
  public:
    CountingRows(QAbstractItemDelegate* rows, QObject* parent) : QStyledItemDelegate(parent), rows_(rows) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        ++painted;
        rows_->paint(painter, option, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        ++measured;
        return rows_->sizeHint(option, index);
    }
    mutable int64_t painted = 0, measured = 0;

  private:
    QAbstractItemDelegate* rows_;
};

CountingRows* countRows(DuplicatesView& view) {
    ListView* list = view.groupList();
    auto* counting = new CountingRows(list->itemDelegate(), list);
    list->setItemDelegate(counting);
    return counting;
}

void duplicatesOpen(benchmark::State& state) {
    ScanViewModel& vm = *copies().viewModel;
    QImage screen(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    // The first screen of the process also loads glyphs and styles.
    static const double firstOpenMs = [&] {
        QElapsedTimer timer;
        timer.start();
        DuplicatesView view(vm);
        view.resize(kWidth, kHeight);
        view.render(&screen);
        return double(timer.nsecsElapsed()) / 1e6;
    }();
    int64_t painted = 0, measured = 0;
    for (auto _ : state) {
        DuplicatesView view(vm);
        view.resize(kWidth, kHeight);
        CountingRows* counting = countRows(view);
        view.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
        painted = counting->painted;
        measured = counting->measured;
    }
    state.counters["groups"] = double(vm.duplicates().groups().size());
    state.counters["first_open_ms"] = firstOpenMs;
    state.counters["rows_painted"] = double(painted);
    state.counters["rows_measured"] = double(measured);
}
BENCHMARK(duplicatesOpen)->Unit(benchmark::kMillisecond);

// One wheel step (three rows) down, then the newly shown strip and the rest of the screen painted.
void duplicatesScroll(benchmark::State& state) {
    const bool jump = state.range(0) != 0;
    ScanViewModel& vm = *copies().viewModel;
    DuplicatesView view(vm);
    view.resize(kWidth, kHeight);
    ListView* list = view.groupList();
    // The first group open, as a user looking at it has it.
    list->expand(view.groups().index(0, 0));
    CountingRows* counting = countRows(view);
    QImage screen(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    view.render(&screen);
    QScrollBar* bar = list->verticalScrollBar();
    int value = 0;
    int64_t steps = 0;
    counting->painted = 0;
    for (auto _ : state) {
        value = jump ? (value + 99'991) % bar->maximum() : (value + 96) % bar->maximum();
        bar->setValue(value);
        list->viewport()->render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
        ++steps;
    }
    state.counters["rows_painted_per_step"] = double(counting->painted) / double(std::max<int64_t>(1, steps));
}
BENCHMARK(duplicatesScroll)->Arg(0)->Arg(1)->ArgName("jump")->Unit(benchmark::kMillisecond);

} // namespace
