#pragma once
// Unbounded first-in first-out queue for one producer and one consumer, without locks.
// Storage grows by blocks of 512 cells; a block is freed once the consumer has left it.

#include <array>
#include <atomic>
#include <cstddef>
#include <utility>

namespace dvdsp::link {

template <typename T>
class SpscQueue {
  public:
    static constexpr size_t kBlockSlots = 512;

    SpscQueue() : head_(new Block), tail_(head_) {}
    ~SpscQueue() {
        while (head_) {
            Block* next = head_->next.load(std::memory_order_relaxed);
            delete head_;
            head_ = next;
        }
    }
    SpscQueue(const SpscQueue&) = delete;
    SpscQueue& operator=(const SpscQueue&) = delete;

    // Producer side. Never blocks.
    void Push(T value) {
        size_t w = tail_->written.load(std::memory_order_relaxed);
        if (w == kBlockSlots) {
            Block* nb = new Block;
            tail_->next.store(nb, std::memory_order_release);
            tail_ = nb;
            w = 0;
        }
        tail_->cells[w] = std::move(value);
        tail_->written.store(w + 1, std::memory_order_release);
    }

    // Consumer side. Returns false when the queue is empty.
    bool Pop(T& out) {
        for (;;) {
            size_t w = head_->written.load(std::memory_order_acquire);
            if (readIndex_ < w) {
                out = std::move(head_->cells[readIndex_]);
                head_->cells[readIndex_] = T{};
                ++readIndex_;
                return true;
            }
            if (readIndex_ < kBlockSlots) return false;
            Block* next = head_->next.load(std::memory_order_acquire);
            if (!next) return false;
            delete head_;
            head_ = next;
            readIndex_ = 0;
        }
    }

    // Consumer side: whether anything is waiting.
    bool Empty() const {
        size_t w = head_->written.load(std::memory_order_acquire);
        if (readIndex_ < w) return false;
        if (readIndex_ < kBlockSlots) return true;
        Block* next = head_->next.load(std::memory_order_acquire);
        return !next || next->written.load(std::memory_order_acquire) == 0;
    }

  private:
    struct Block {
        std::array<T, kBlockSlots> cells{};
        std::atomic<size_t> written{0};
        std::atomic<Block*> next{nullptr};
    };
    Block* head_;  // consumer
    size_t readIndex_ = 0;
    Block* tail_;  // producer
};

}  // namespace dvdsp::link
