#pragma once

#include <atomic>

namespace snipster {

// A flag shared between the stage threads of a task, inside a record that is copied by value
// before the task runs. Copying takes the current value; nothing runs on a record being copied.
template <typename T>
class CopyableAtomic : public std::atomic<T> {
 public:
  CopyableAtomic(T value = T{}) : std::atomic<T>(value) {}
  CopyableAtomic(const CopyableAtomic& other) : std::atomic<T>(other.load()) {}
  CopyableAtomic& operator=(const CopyableAtomic& other) {
    this->store(other.load());
    return *this;
  }
  CopyableAtomic& operator=(T value) {
    this->store(value);
    return *this;
  }
};

}  // namespace snipster
