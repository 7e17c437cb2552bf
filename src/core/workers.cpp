#include "core/workers.h"

#include "base/log.h"

namespace dvdsp::core {

void WorkerSet::Start(const std::string& name, std::function<void()> work) {
    Reap();
    auto w = std::make_unique<Worker>();
    Worker* raw = w.get();
    {
        std::lock_guard lock(mutex_);
        workers_.push_back(std::move(w));
    }
    raw->thread = std::thread([raw, name, work = std::move(work)] {
        LogWriteNarrow("%s start!\n", name.c_str());
        work();
        LogWriteNarrow("%s end!\n", name.c_str());
        raw->done = true;
    });
}

void WorkerSet::Reap() {
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            if ((*it)->done) {
                finished.push_back(std::move(*it));
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& w : finished)
        if (w->thread.joinable()) w->thread.join();
}

void WorkerSet::JoinAll() {
    std::list<std::unique_ptr<Worker>> all;
    {
        std::lock_guard lock(mutex_);
        all.swap(workers_);
    }
    for (auto& w : all)
        if (w->thread.joinable()) w->thread.join();
}

int WorkerSet::Running() const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& w : workers_)
        if (!w->done) ++n;
    return n;
}

}  // namespace dvdsp::core
