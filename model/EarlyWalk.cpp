#include "model/EarlyWalk.h"

#include "model/DiskScanner.h"
#include "model/ScanTree.h"

EarlyWalk::EarlyWalk(std::string path, std::shared_ptr<DiskScanner> scanner)
    : path_(std::move(path)), scanner_(std::move(scanner)) {
    tree_ =
        std::async(std::launch::async, [scanner = scanner_, path = path_] { return scanner->scan(path); });
}

EarlyWalk::~EarlyWalk() {
    if (!tree_.valid()) return;
    scanner_->cancel();
    tree_.wait();
}

std::shared_ptr<ScanTree> EarlyWalk::take() {
    return tree_.get();
}
