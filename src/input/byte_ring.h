#pragma once
// A fixed ring of bytes between the thread that reads a device and the one that decodes:
// written at the head, read at the tail, never grown. Not locked: its owner holds the lock.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

namespace aismon {

class ByteRing {
 public:
  explicit ByteRing(size_t capacity) : bytes_(new char[capacity]), capacity_(capacity) {}

  size_t Size() const { return size_; }
  size_t Free() const { return capacity_ - size_; }
  size_t Capacity() const { return capacity_; }

  // Where the next bytes may be written in one piece (it may be shorter than Free() at
  // the wrap); Commit(n) then adds them.
  char* WriteSpan(size_t& length) {
    const size_t head = (tail_ + size_) % capacity_;
    length = std::min(Free(), capacity_ - head);
    return bytes_.get() + head;
  }
  void Commit(size_t n) { size_ += std::min(n, Free()); }

  // Takes up to max bytes, oldest first; returns how many.
  size_t Take(char* to, size_t max) {
    size_t done = 0;
    while (done < max && size_ > 0) {
      const size_t n = std::min({max - done, size_, capacity_ - tail_});
      std::memcpy(to + done, bytes_.get() + tail_, n);
      tail_ = (tail_ + n) % capacity_;
      size_ -= n;
      done += n;
    }
    return done;
  }

  void Clear() { tail_ = size_ = 0; }

 private:
  std::unique_ptr<char[]> bytes_;
  size_t capacity_;
  size_t tail_ = 0;
  size_t size_ = 0;
};

}  // namespace aismon
