#pragma once
// Shares the work of a frame that goes row by row with no row touching another (writing
// out the batched rows, averaging the work image down) between this thread and one helper,
// so a dragged chart at full screen size keeps up with the screen. Each row is done exactly
// as it would be on one thread; only who does it changes.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

namespace aismon {

class RowSplitter;

// Copies rows 0 .. rows - 1, width pixels each, between two images' rows (strides in
// pixels); with a splitter, two threads share the rows.
void CopyPixelRows(uint32_t* to, ptrdiff_t toStride, const uint32_t* from, ptrdiff_t fromStride, int32_t width,
                   int32_t rows, RowSplitter* split);

class RowSplitter {
 public:
  // helper false: everything runs on the calling thread (one processor, or a test).
  explicit RowSplitter(bool helper = std::thread::hardware_concurrency() > 1) : helper_(helper) {}
  ~RowSplitter();
  RowSplitter(const RowSplitter&) = delete;
  RowSplitter& operator=(const RowSplitter&) = delete;

  // Calls work(part, begin, end) for row ranges that together cover [0, rows) once each:
  // part 1 on the helper, part 0 here; returns when both are done. Small jobs stay here.
  template <typename Work>
  void Run(int32_t rows, Work& work) {
    RunAt(rows, rows / 2, work);
  }
  // The same, part 0 taking rows 0 .. at - 1 and part 1 the rest (at within 1 .. rows - 1).
  template <typename Work>
  void RunAt(int32_t rows, int32_t at, Work& work) {
    Dispatch(rows, at, &work, [](void* w, int part, int32_t b, int32_t e) { (*static_cast<Work*>(w))(part, b, e); });
  }

 private:
  using Call = void (*)(void*, int, int32_t, int32_t);
  void Dispatch(int32_t rows, int32_t at, void* work, Call call);
  void HelperLoop();

  bool helper_;
  std::thread thread_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::condition_variable done_;
  void* work_ = nullptr;
  Call call_ = nullptr;
  int32_t begin_ = 0, end_ = 0;
  bool pending_ = false;
  bool quit_ = false;
};

}  // namespace aismon
