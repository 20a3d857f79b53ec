#pragma once
// Hands work from the engine's worker threads to the UI thread, where all engine and page work
// runs. Work still queued when the queue is destroyed is dropped, not run on a dead engine.
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class CUiThreadQueue {
public:
    // Must be created on the UI thread.
    CUiThreadQueue();
    ~CUiThreadQueue();
    CUiThreadQueue(const CUiThreadQueue&) = delete;
    CUiThreadQueue& operator=(const CUiThreadQueue&) = delete;

    // From any thread.
    void Post(std::function<void()> work);

private:
    class Context;
    // Runs the queued work on the UI thread.
    void Drain();

    // The work lives under our own lock, which the race checkers see; Qt only carries the wake-up.
    std::mutex lock_;
    std::deque<std::function<void()>> pending_;
    std::unique_ptr<Context> context_;
};
