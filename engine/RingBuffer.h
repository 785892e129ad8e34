#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

namespace snipster {

// Fixed-capacity circular queue of samples between two stage threads.
//
// Exactly one thread writes and, per reader cursor, one thread reads. The writer owns the write
// position and the reader owns its read position; each is changed only by its owner, with a
// release store made after the element copy. The other side reads it with an acquire load, so
// the elements copied before a position moved are visible once the new position is seen, and a
// reader's copy is complete before the writer may overwrite those slots. No lock is needed and
// none of the four operations allocates, blocks or calls the system. One slot always stays free
// to tell a full buffer from an empty one.
template <typename T, int Readers>
class RingBuffer {
  static_assert(std::is_trivially_copyable_v<T>);
  static_assert(Readers >= 1);

 public:
  // A capacity of 0 would make Free() wrap around to 2^32 - 1 and let Write() copy into no
  // storage; it is raised to 1, a ring that holds nothing because one slot always stays free.
  explicit RingBuffer(uint32_t capacity)
      : data_(std::make_unique<T[]>(std::max(capacity, 1u))), capacity_(std::max(capacity, 1u)) {}
  virtual ~RingBuffer() = default;

  RingBuffer(const RingBuffer&) = delete;
  RingBuffer& operator=(const RingBuffer&) = delete;

  uint32_t capacity() const { return capacity_; }

  // Elements the reader can take.
  uint32_t Available(int reader = 0) const {
    const uint32_t w = write_.load(std::memory_order_acquire);
    const uint32_t r = read_[reader].load(std::memory_order_relaxed);
    return w >= r ? w - r : capacity_ - r + w;
  }

  // Elements the writer can add without overtaking reader 0.
  uint32_t Free() const {
    const uint32_t r = read_[0].load(std::memory_order_acquire);
    const uint32_t w = write_.load(std::memory_order_relaxed);
    return r > w ? r - w - 1 : capacity_ - w + r - 1;
  }

  // Takes up to n elements; the destination elements past what was available are zero-filled.
  uint32_t Read(T* dest, uint32_t n, int reader = 0) {
    const uint32_t a = Available(reader);
    if (n > a) {
      std::fill(dest + a, dest + n, T{});
      n = a;
    }
    if (n == 0) return 0;
    const uint32_t r = read_[reader].load(std::memory_order_relaxed);
    const uint32_t first = std::min(n, capacity_ - r);
    std::memcpy(dest, data_.get() + r, first * sizeof(T));
    if (n > first) std::memcpy(dest + first, data_.get(), (n - first) * sizeof(T));
    read_[reader].store(Advance(r, n), std::memory_order_release);
    return n;
  }

  // Adds up to n elements; returns how many were stored.
  uint32_t Write(const T* src, uint32_t n) {
    n = std::min(n, Free());
    if (n == 0) return 0;
    const uint32_t w = write_.load(std::memory_order_relaxed);
    const uint32_t first = std::min(n, capacity_ - w);
    std::memcpy(data_.get() + w, src, first * sizeof(T));
    if (n > first) std::memcpy(data_.get(), src + first, (n - first) * sizeof(T));
    write_.store(Advance(w, n), std::memory_order_release);
    return n;
  }

  // Empties the buffer. Only while no thread reads or writes it.
  void Reset() {
    write_.store(0, std::memory_order_release);
    for (auto& r : read_) r.store(0, std::memory_order_release);
  }

 private:
  uint32_t Advance(uint32_t pos, uint32_t n) const {
    const uint64_t next = uint64_t{pos} + n;
    return static_cast<uint32_t>(next >= capacity_ ? next - capacity_ : next);
  }

  std::unique_ptr<T[]> data_;
  const uint32_t capacity_;
  // Each position on its own cache line, so the two threads do not fight over one line.
  alignas(64) std::atomic<uint32_t> write_{0};
  alignas(64) std::atomic<uint32_t> read_[Readers]{};
};

using SampleRing = RingBuffer<int32_t, 1>;

// Capacity of the two rings of the cutting pipeline, in samples.
inline constexpr uint32_t kSampleRingCapacity = 1u << 20;

}  // namespace snipster
