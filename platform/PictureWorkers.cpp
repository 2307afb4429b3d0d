#include "platform/PictureWorkers.h"

namespace platform {

PictureWorkers::PictureWorkers(PictureWorker::Limits limits, std::string program)
    : limits_(limits), program_(std::move(program)) {}

QImage PictureWorkers::decode(int file, const PictureRequest& request) {
    PictureWorker* worker = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (free_.empty()) {
            all_.push_back(std::make_unique<PictureWorker>(limits_, program_));
            free_.push_back(all_.back().get());
        }
        worker = free_.back();
        free_.pop_back();
    }
    QImage picture = worker->decode(file, request);
    std::lock_guard lock(mutex_);
    free_.push_back(worker);
    return picture;
}

void PictureWorkers::startAhead(int count) {
    std::lock_guard lock(mutex_);
    while (all_.size() < size_t(count)) {
        all_.push_back(std::make_unique<PictureWorker>(limits_, program_));
        free_.push_back(all_.back().get());
    }
    for (PictureWorker* worker : free_)
        worker->startAhead();
}

void PictureWorkers::endAll() {
    std::lock_guard lock(mutex_);
    for (const auto& worker : all_)
        worker->end();
}

} // namespace platform
