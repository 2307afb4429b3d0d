// Micro-benchmarks of the services: SHA-256 throughput per core, and quick wins, the age report and
// the rankings over a synthetic tree of about 1,000,000 nodes.
#include "model/AgeReport.h"
#include "model/DuplicateFinder.h"
#include "model/QuickWins.h"
#include "model/Rankings.h"
#include "model/ScanTree.h"
#include "model/TreeRollUp.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

void sha256Throughput(benchmark::State& state) {
    const size_t chunk = static_cast<size_t>(state.range(0));
    std::vector<unsigned char> data(chunk, 0x5a);
    EVP_MD* md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    unsigned char out[32];
    unsigned int length = 0;
    for (auto _ : state) {
        EVP_DigestInit_ex(ctx, md, nullptr);
        EVP_DigestUpdate(ctx, data.data(), data.size());
        EVP_DigestFinal_ex(ctx, out, &length);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(chunk));
    // Decimal gigabytes per second, as the targets are stated.
    state.counters["GB/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(chunk) / 1e9,
                                                benchmark::Counter::kIsRate);
    EVP_MD_CTX_free(ctx);
    EVP_MD_free(md);
}
BENCHMARK(sha256Throughput)->Arg(64 << 10)->Arg(1 << 20);

// A tree shaped like a home folder: nested project folders with node_modules and build folders,
// caches, downloads and media, about 1,000,000 nodes, rolled up and sorted like a scan leaves it.
class SyntheticTree {
public:
    SyntheticTree() : tree(std::make_shared<ScanTree>("/home/ann", "ann")), random(1) {
        std::vector<std::pair<FileNode*, std::vector<FileNode*>>> pending;
        FileNode* root = tree->root();
        std::vector<FileNode*> top;
        const char* topNames[] = {"Downloads", ".cache", "Music", "Pictures", "src", "Documents"};
        for (const char* name : topNames) top.push_back(folder(name, root));
        for (FileNode* t : top) fill(t, 0);
        attach(root, top);
        rollUpSubtree(root);
    }
    std::shared_ptr<ScanTree> tree;
    size_t nodes = 1;

private:
    FileNode* folder(std::string_view name, FileNode* parent) {
        FileNode* n = FileNode::make(tree->arena(), name, true);
        n->setParent(parent);
        n->setTotals(new (tree->arena().allocateArray<FolderTotals>(1)) FolderTotals{}, false);
        ++nodes;
        return n;
    }
    void fill(FileNode* parent, int depth) {
        static const char* folderNames[] = {"node_modules", "build", "lib", "src", "assets", "Library", "Caches", "x"};
        static const char* fileNames[] = {"a.js", "b.png", "c.mp4", "d.txt", "e.o", "f.flac", "g.zip", "h.c"};
        std::vector<FileNode*> kids;
        int files = 6 + static_cast<int>(random() % 10);
        for (int i = 0; i < files; ++i) {
            FileNode* f = FileNode::make(tree->arena(), fileNames[random() % 8], false);
            f->setParent(parent);
            f->sizeOnDisk = f->logicalSize = static_cast<int64_t>(random() % 30'000'000);
            f->modifiedStamp = 1.2e9 + static_cast<double>(random() % 500'000'000);
            f->category = file_category::forFileName(f->name());
            kids.push_back(f);
            ++nodes;
        }
        if (depth < 7) {
            int folders = depth < 2 ? 8 : 2 + static_cast<int>(random() % 3);
            for (int i = 0; i < folders && nodes < 1'000'000; ++i) {
                FileNode* sub = folder(folderNames[random() % 8], parent);
                fill(sub, depth + 1);
                kids.push_back(sub);
            }
        }
        attach(parent, kids);
    }
    void attach(FileNode* parent, const std::vector<FileNode*>& kids) {
        FileNode** array = tree->arena().allocateArray<FileNode*>(kids.size() + 1);
        std::copy(kids.begin(), kids.end(), array);
        parent->setChildren(array, static_cast<uint32_t>(kids.size()));
    }
    std::mt19937_64 random;
};

SyntheticTree& synthetic() {
    static SyntheticTree tree;
    return tree;
}

void quickWinsOverMillionNodes(benchmark::State& state) {
    auto& s = synthetic();
    QuickWins::Places places{"/home/ann", "Downloads"};
    for (auto _ : state) benchmark::DoNotOptimize(QuickWins::analyze(s.tree->root(), places));
    state.counters["nodes"] = static_cast<double>(s.nodes);
}
BENCHMARK(quickWinsOverMillionNodes)->Unit(benchmark::kMillisecond);

void ageReportOverMillionNodes(benchmark::State& state) {
    auto& s = synthetic();
    for (auto _ : state) benchmark::DoNotOptimize(AgeReport::compute(s.tree->root()));
    state.counters["nodes"] = static_cast<double>(s.nodes);
}
BENCHMARK(ageReportOverMillionNodes)->Unit(benchmark::kMillisecond);

void rankingsOverMillionNodes(benchmark::State& state) {
    auto& s = synthetic();
    for (auto _ : state) benchmark::DoNotOptimize(Rankings::compute(s.tree->root(), 200));
    state.counters["nodes"] = static_cast<double>(s.nodes);
}
BENCHMARK(rankingsOverMillionNodes)->Unit(benchmark::kMillisecond);

} // namespace
