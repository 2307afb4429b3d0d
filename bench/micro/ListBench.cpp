// The list foundation over many rows: opening a list of 10 to 1,000,000 nodes (rows set, the view
// sized and its first screen painted), an outline opening a folder of 100,000 children, and a jump
// that paints a whole new screen; and the names as the rows show them.
#include "bench/micro/BenchApplication.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/controls/ShareBar.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/lists/RowDelegate.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"

#include <QImage>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// One folder of `count` files under the root, largest first.
struct WideFolder {
    explicit WideFolder(int count) : tree(std::make_shared<ScanTree>("/bench", "bench")) {
        Arena& arena = tree->arena();
        folder = FileNode::make(arena, "wide", true);
        folder->setParent(tree->root());
        FileNode** children = arena.allocateArray<FileNode*>(size_t(count));
        for (int i = 0; i < count; ++i) {
            FileNode* child = FileNode::make(arena, "file-" + std::to_string(i) + ".jpg", false);
            child->setParent(folder);
            child->sizeOnDisk = int64_t(count - i) * 4096;
            children[i] = child;
        }
        folder->setChildren(children, uint32_t(count));
        FileNode** top = arena.allocateArray<FileNode*>(1);
        top[0] = folder;
        tree->root()->setChildren(top, 1);
    }
    std::vector<FileNode*> children() const { return {folder->children().begin(), folder->children().end()}; }
    std::shared_ptr<ScanTree> tree;
    FileNode* folder = nullptr;
};

// A row as a list screen paints one: a name, a share bar and a size.
class BarRows : public RowDelegate {
  public:
    BarRows() : RowDelegate(30) {}

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override {
        const FileNode& node = *NodeListModel::node(index);
        ShareBar bar;
        bar.fraction = 0.5;
        bar.fill = theme().ink;
        bar.track = theme().track;
        bar.name = nodeName(node);
        bar.nameFont = fonts::ui(12);
        bar.nameColor = theme().text;
        bar.paint(painter, row.rect.adjusted(0, 3, -100, -3));
        ThemedLabel::paintLine(painter, row.rect, formatBytes(node.sizeOnDisk), fonts::ui(12), theme().text,
                               Qt::AlignRight);
    }
};

constexpr int kWidth = 1000, kHeight = 900;

// Names as every row shows them (fromBytes: decoded, then what would hide or disguise them marked), 100,000
// a pass, of one kind: plain ASCII, accented Latin, Japanese, emoji with selectors and a flag's tags.
void namesShown(benchmark::State& state) {
    static constexpr const char* kinds[] = {
        "file-%d.jpg", "Caf\u00e9 d\u00e9j\u00e0 vu %d.jpg", "\u5199\u771f %d \u65c5\u884c.jpg",
        "\u2764\ufe0f %d \U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063"
        "\U000E0074\U000E007F.png"};
    std::vector<std::string> names;
    for (int i = 0; i < 100'000; ++i) {
        std::string name = kinds[state.range(0)];
        name.replace(name.find("%d"), 2, std::to_string(i));
        names.push_back(std::move(name));
    }
    for (auto _ : state)
        for (const std::string& name : names)
            benchmark::DoNotOptimize(fromBytes(name));
}
BENCHMARK(namesShown)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void listOpen(benchmark::State& state) {
    ensureApplication();
    WideFolder wide(int(state.range(0)));
    const std::vector<FileNode*> rows = wide.children();
    QImage screen(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        ListView view(new BarRows);
        NodeListModel model;
        model.setNodes(wide.tree, rows);
        view.setModel(&model);
        view.resize(kWidth, kHeight);
        view.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(listOpen)->Arg(10)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// An outline whose one row opens onto 100,000 children.
void listOpenOutlineFolder(benchmark::State& state) {
    ensureApplication();
    WideFolder wide(100'000);
    QImage screen(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        ListView view(new BarRows);
        view.setOutline(true);
        NodeListModel model;
        model.setNodes(wide.tree, {wide.folder}, [](const FileNode* node) { return node->children(); });
        view.setModel(&model);
        view.resize(kWidth, kHeight);
        view.expand(model.index(0, 0));
        view.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(listOpenOutlineFolder)->Unit(benchmark::kMillisecond);

// A jump far away in 100,000 rows: a whole new screen is painted.
void listScrollJump(benchmark::State& state) {
    ensureApplication();
    WideFolder wide(100'000);
    ListView view(new BarRows);
    NodeListModel model;
    model.setNodes(wide.tree, wide.children());
    view.setModel(&model);
    view.resize(kWidth, kHeight);
    QImage screen(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    view.render(&screen);
    QScrollBar* bar = view.verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + 99'991) % bar->maximum();
        bar->setValue(value);
        view.viewport()->render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(listScrollJump)->Unit(benchmark::kMillisecond);

} // namespace
