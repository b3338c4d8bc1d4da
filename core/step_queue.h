// A bounded queue that any number of threads push into and one thread (the audio thread) pops
// from, without locks: each cell carries a sequence number that says whose turn it is.
#pragma once

#include <atomic>
#include <cstddef>

namespace orvalis::core {

template <class T, std::size_t kCapacity>
class StepQueue {
  static_assert(kCapacity >= 2 && (kCapacity & (kCapacity - 1)) == 0, "a power of two");

 public:
  StepQueue() {
    for (std::size_t i = 0; i < kCapacity; ++i)
      cells[i].sequence.store(i, std::memory_order_relaxed);
  }

  // False when the queue is full; nothing is stored then.
  bool push(const T& item) {
    std::size_t position = tail.load(std::memory_order_relaxed);
    for (;;) {
      Cell& cell = cells[position & (kCapacity - 1)];
      const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
      const auto lag = static_cast<std::ptrdiff_t>(sequence - position);
      if (lag == 0) {
        if (tail.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
          cell.item = item;
          cell.sequence.store(position + 1, std::memory_order_release);
          return true;
        }
      } else if (lag < 0) {
        return false;
      } else {
        position = tail.load(std::memory_order_relaxed);
      }
    }
  }

  // Consumer only. False when nothing (complete) is waiting.
  bool pop(T& item) {
    Cell& cell = cells[head & (kCapacity - 1)];
    if (cell.sequence.load(std::memory_order_acquire) != head + 1) return false;
    item = cell.item;
    cell.sequence.store(head + kCapacity, std::memory_order_release);
    ++head;
    return true;
  }

 private:
  struct Cell {
    std::atomic<std::size_t> sequence;
    T item;
  };
  Cell cells[kCapacity];
  std::atomic<std::size_t> tail{0};
  std::size_t head = 0;
};

}  // namespace orvalis::core
