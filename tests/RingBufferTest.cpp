#include "engine/RingBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace snipster {
namespace {

constexpr int32_t kSentinel = -77;

// Consecutive values from `first` on, so any loss, duplicate or reordering shows.
std::vector<int32_t> Counting(int32_t first, uint32_t n) {
  std::vector<int32_t> values(n);
  std::iota(values.begin(), values.end(), first);
  return values;
}

// Moves both positions of an empty ring to `pos` by passing `pos` values through it.
void MovePositionsTo(SampleRing& ring, uint32_t pos) {
  std::vector<int32_t> scratch(pos);
  ASSERT_EQ(ring.Write(scratch.data(), pos), pos);
  ASSERT_EQ(ring.Read(scratch.data(), pos), pos);
}

TEST(RingBufferTest, FreshRingIsEmptyWithOneSlotReserved) {
  SampleRing ring(kSampleRingCapacity);
  EXPECT_EQ(ring.capacity(), 1'048'576u);
  EXPECT_EQ(ring.Available(), 0u);
  EXPECT_EQ(ring.Free(), 1'048'575u);
}

TEST(RingBufferTest, WriteStopsOneShortOfCapacityAndKeepsTheData) {
  SampleRing ring(kSampleRingCapacity);
  const std::vector<int32_t> in = Counting(1, kSampleRingCapacity);
  EXPECT_EQ(ring.Write(in.data(), kSampleRingCapacity), 1'048'575u);
  EXPECT_EQ(ring.Available(), 1'048'575u);
  EXPECT_EQ(ring.Free(), 0u);
  EXPECT_EQ(ring.Write(in.data(), 1), 0u);
  EXPECT_EQ(ring.Available(), 1'048'575u);

  // The refused writes must not have touched what is stored.
  std::vector<int32_t> out(kSampleRingCapacity, kSentinel);
  EXPECT_EQ(ring.Read(out.data(), kSampleRingCapacity), 1'048'575u);
  EXPECT_TRUE(std::equal(out.begin(), out.end() - 1, in.begin()));
  EXPECT_EQ(out.back(), 0);
  EXPECT_EQ(ring.Free(), 1'048'575u);
}

TEST(RingBufferTest, ShortReadReturnsWhatIsThereAndZeroesTheRest) {
  SampleRing ring(kSampleRingCapacity);
  const std::vector<int32_t> in = {11, -22, 33, -44};
  ASSERT_EQ(ring.Write(in.data(), 4), 4u);

  std::vector<int32_t> out(12, kSentinel);
  EXPECT_EQ(ring.Read(out.data(), 10), 4u);
  EXPECT_EQ(out, (std::vector<int32_t>{11, -22, 33, -44, 0, 0, 0, 0, 0, 0, kSentinel, kSentinel}));
  EXPECT_EQ(ring.Available(), 0u);

  // An empty ring still zeroes the whole request.
  std::fill(out.begin(), out.end(), kSentinel);
  EXPECT_EQ(ring.Read(out.data(), 3), 0u);
  EXPECT_EQ(out, (std::vector<int32_t>{0, 0, 0, kSentinel, kSentinel, kSentinel, kSentinel,
                                       kSentinel, kSentinel, kSentinel, kSentinel, kSentinel}));
}

TEST(RingBufferTest, WriteAndReadWrapAtTheEndOfTheStorage) {
  SampleRing ring(kSampleRingCapacity);
  MovePositionsTo(ring, kSampleRingCapacity - 3);
  const std::vector<int32_t> in = Counting(100, 10);
  ASSERT_EQ(ring.Write(in.data(), 10), 10u);
  EXPECT_EQ(ring.Available(), 10u);
  EXPECT_EQ(ring.Free(), kSampleRingCapacity - 11);

  // The first read ends 1 before the end of the storage, the second wraps.
  std::vector<int32_t> out(10, kSentinel);
  ASSERT_EQ(ring.Read(out.data(), 2), 2u);
  ASSERT_EQ(ring.Read(out.data() + 2, 8), 8u);
  EXPECT_EQ(out, in);
  EXPECT_EQ(ring.Available(), 0u);
  EXPECT_EQ(ring.Free(), kSampleRingCapacity - 1);
}

// Every start position and fill level of a small ring: the wrap point, the full-ring limit and
// the zero fill must hold wherever the positions stand.
TEST(RingBufferTest, EveryStartPositionAndLengthOfASmallRing) {
  constexpr uint32_t kCapacity = 7;
  for (uint32_t start = 0; start < kCapacity; ++start) {
    for (uint32_t n = 1; n < kCapacity; ++n) {
      SCOPED_TRACE("start " + std::to_string(start) + ", n " + std::to_string(n));
      SampleRing ring(kCapacity);
      MovePositionsTo(ring, start);

      const std::vector<int32_t> in = Counting(1, kCapacity + 1);
      ASSERT_EQ(ring.Write(in.data(), n), n);
      EXPECT_EQ(ring.Available(), n);
      EXPECT_EQ(ring.Free(), kCapacity - 1 - n);
      // Asking for more than fits stores only up to the reserved slot.
      EXPECT_EQ(ring.Write(in.data() + n, kCapacity), kCapacity - 1 - n);
      EXPECT_EQ(ring.Available(), kCapacity - 1);
      EXPECT_EQ(ring.Free(), 0u);

      std::vector<int32_t> out(kCapacity + 3, kSentinel);
      ASSERT_EQ(ring.Read(out.data(), kCapacity + 2), kCapacity - 1);
      for (uint32_t i = 0; i < kCapacity + 3; ++i) {
        const int32_t expected = i < kCapacity - 1 ? in[i] : (i < kCapacity + 2 ? 0 : kSentinel);
        EXPECT_EQ(out[i], expected) << "index " << i;
      }
      EXPECT_EQ(ring.Available(), 0u);
      EXPECT_EQ(ring.Free(), kCapacity - 1);
    }
  }
}

TEST(RingBufferTest, ResetEmptiesWhateverItHeld) {
  struct Case {
    const char* name;
    uint32_t start;  // where both positions stand before the fill
    uint32_t fill;   // values written, then left in the ring
  };
  const Case cases[] = {
      {"empty", 0, 0},
      {"partly filled", 0, 1000},
      {"full", 0, kSampleRingCapacity - 1},
      {"filled across the end", kSampleRingCapacity - 5, 500},
      {"empty at the end", kSampleRingCapacity - 5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SampleRing ring(kSampleRingCapacity);
    MovePositionsTo(ring, c.start);
    const std::vector<int32_t> old = Counting(-5000, c.fill);
    ASSERT_EQ(ring.Write(old.data(), c.fill), c.fill);

    ring.Reset();
    EXPECT_EQ(ring.Available(), 0u);
    EXPECT_EQ(ring.Free(), kSampleRingCapacity - 1);

    // Nothing of the old content comes back, and the new content does so in order.
    const std::vector<int32_t> fresh = Counting(1, 8);
    ASSERT_EQ(ring.Write(fresh.data(), 8), 8u);
    std::vector<int32_t> out(9, kSentinel);
    EXPECT_EQ(ring.Read(out.data(), 9), 8u);
    EXPECT_EQ(out, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 0}));
  }
}

TEST(RingBufferTest, ZeroCapacityRingHoldsNothing) {
  SampleRing ring(0);
  EXPECT_EQ(ring.Free(), 0u);
  const std::vector<int32_t> in = Counting(1, 4);
  EXPECT_EQ(ring.Write(in.data(), 4), 0u);
  std::vector<int32_t> out(4, kSentinel);
  EXPECT_EQ(ring.Read(out.data(), 4), 0u);
  EXPECT_EQ(out, (std::vector<int32_t>{0, 0, 0, 0}));
}

constexpr int64_t kStressValues = 100'000'000;

// Gives up on a side that has seen no progress from the other for this long, so a broken
// position update fails the test instead of hanging it. Never reached by a working ring.
constexpr auto kStallLimit = std::chrono::seconds(120);

// Waits for the other thread; returns false once it is time to give up.
class Poller {
 public:
  explicit Poller(const std::atomic<bool>& stop) : stop_(stop) {}
  void Progressed() { idle_ = 0; }
  bool Wait() {
    if (stop_.load(std::memory_order_relaxed)) return false;
    if (idle_++ % 4096 == 0) {
      const auto now = std::chrono::steady_clock::now();
      if (idle_ == 1) since_ = now;
      if (now - since_ > kStallLimit) return false;
    }
    std::this_thread::yield();
    return true;
  }

 private:
  const std::atomic<bool>& stop_;
  uint64_t idle_ = 0;
  std::chrono::steady_clock::time_point since_;
};

// One producer and one consumer pass a running counter through a small ring in random-sized
// pieces, so both positions wrap constantly and every relative position of the two occurs.
TEST(RingBufferTest, TwoThreadsMoveACounterThroughASmallRing) {
  constexpr uint32_t kCapacity = 4099;
  SampleRing ring(kCapacity);
  std::atomic<bool> stop{false};
  int64_t produced = 0;
  std::string producerFailure;

  std::thread producer([&] {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<uint32_t> size(1, kCapacity);
    std::vector<int32_t> chunk(kCapacity);
    Poller poller(stop);
    int32_t next = 1;  // 0 never occurs, so a zero-filled slot cannot pass for data
    while (produced < kStressValues) {
      const uint32_t n =
          static_cast<uint32_t>(std::min<int64_t>(size(rng), kStressValues - produced));
      std::iota(chunk.begin(), chunk.begin() + n, next);
      // A partial write leaves the rest of the chunk for the next attempts.
      for (uint32_t done = 0; done < n;) {
        const uint32_t k = ring.Write(chunk.data() + done, n - done);
        if (k > n - done) {
          producerFailure = "Write stored " + std::to_string(k) + " of " + std::to_string(n - done);
          stop = true;
          return;
        }
        done += k;
        produced += k;
        if (k > 0) {
          poller.Progressed();
        } else if (!poller.Wait()) {
          if (!stop) producerFailure = "no room appeared for too long";
          return;
        }
      }
      next += static_cast<int32_t>(n);
    }
  });

  std::mt19937 rng(67890);
  std::uniform_int_distribution<uint32_t> size(1, kCapacity);
  std::vector<int32_t> out(kCapacity);
  Poller poller(stop);
  int64_t consumed = 0;
  int32_t expected = 1;
  std::string failure;
  while (consumed < kStressValues) {
    const uint32_t n = size(rng);
    const uint32_t k = ring.Read(out.data(), n);
    if (k > n) {
      failure = "Read returned " + std::to_string(k) + " for a request of " + std::to_string(n);
      break;
    }
    if (k == 0) {
      if (!poller.Wait()) {
        if (!stop) failure = "no value arrived for too long";
        break;
      }
      continue;
    }
    poller.Progressed();
    for (uint32_t i = 0; i < k; ++i, ++expected) {
      if (out[i] != expected) {
        failure = "value " + std::to_string(out[i]) + " arrived where " + std::to_string(expected) +
                  " was due";
        break;
      }
    }
    if (!failure.empty()) break;
    if (k < n && out[n - 1] != 0) {
      failure = "the part of a short read past the data was not zeroed";
      break;
    }
    consumed += k;
  }
  stop = true;
  producer.join();

  ASSERT_EQ(producerFailure, "") << "after " << produced << " values";
  ASSERT_EQ(failure, "") << "after " << consumed << " values";
  EXPECT_EQ(produced, kStressValues);
  EXPECT_EQ(consumed, kStressValues);
  EXPECT_EQ(ring.Available(), 0u);
  EXPECT_EQ(ring.Free(), kCapacity - 1);
}

}  // namespace
}  // namespace snipster
