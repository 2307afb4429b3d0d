#pragma once

#include "platform/PictureWorker.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Long-lived picture workers shared by the threads that decode small pictures (application icons): a
// worker process costs a start of Qt, too much for every icon. A decode takes a worker no other thread
// uses, making one when none is free, so there are never more workers than threads decoding at once.
// A worker ended by its budget, its memory or a crash is started afresh for the next picture it serves.
//
// Threads: any; decode() blocks. endAll() may come at any moment, from any thread.
class PictureWorkers {
  public:
    explicit PictureWorkers(PictureWorker::Limits limits,
                            std::string program = PictureWorker::besideThisProgram());

    QImage decode(int file, const PictureRequest& request);
    // Starts `count` workers ahead of the decodes that will want them (those not running yet).
    void startAhead(int count);
    // Ends every worker: the decodes under way return null, later ones start workers anew.
    void endAll();

  private:
    const PictureWorker::Limits limits_;
    const std::string program_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<PictureWorker>> all_;
    std::vector<PictureWorker*> free_;
};

} // namespace platform
