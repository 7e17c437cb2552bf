#pragma once
// The controller's named worker threads. Each logs "<name> start!" and "<name> end!";
// the set joins finished threads when a new one starts and every thread when it is
// destroyed, so no worker outlives the controller it works for.

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace dvdsp::core {

class WorkerSet {
public:
    WorkerSet() = default;
    WorkerSet(const WorkerSet&) = delete;
    WorkerSet& operator=(const WorkerSet&) = delete;
    ~WorkerSet() { JoinAll(); }

    void Start(const std::string& name, std::function<void()> work);
    // Waits for every worker (window thread; the workers must not wait on it).
    void JoinAll();
    // Workers still running.
    int Running() const;

private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void Reap();
    mutable std::mutex mutex_;
    std::list<std::unique_ptr<Worker>> workers_;
};

}  // namespace dvdsp::core
