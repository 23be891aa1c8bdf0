#include "chart/row_split.h"

#include <cstring>

#include <system_error>

namespace aismon {

namespace {

// Below this many rows the hand-over costs more than it saves.
constexpr int32_t kMinSplitRows = 64;

}  // namespace

RowSplitter::~RowSplitter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void RowSplitter::Dispatch(int32_t rows, int32_t at, void* work, Call call) {
  if (!helper_ || rows < kMinSplitRows) {
    call(work, 0, 0, rows);
    return;
  }
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { HelperLoop(); });
    } catch (const std::system_error&) {
      helper_ = false;  // no thread to be had: the frame is simply drawn here
      call(work, 0, 0, rows);
      return;
    }
  }
  const int32_t half = at < 1 ? 1 : at >= rows ? rows - 1 : at;
  {
    std::lock_guard<std::mutex> hold(lock_);
    work_ = work;
    call_ = call;
    begin_ = half;
    end_ = rows;
    pending_ = true;
  }
  wake_.notify_one();
  call(work, 0, 0, half);
  std::unique_lock<std::mutex> hold(lock_);
  done_.wait(hold, [this] { return !pending_; });
}

void RowSplitter::HelperLoop() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    wake_.wait(hold, [this] { return pending_ || quit_; });
    if (quit_) return;
    void* work = work_;
    const Call call = call_;
    const int32_t b = begin_, e = end_;
    hold.unlock();
    call(work, 1, b, e);
    hold.lock();
    pending_ = false;
    done_.notify_one();
  }
}

void CopyPixelRows(uint32_t* to, ptrdiff_t toStride, const uint32_t* from, ptrdiff_t fromStride, int32_t width,
                   int32_t rows, RowSplitter* split) {
  auto copy = [&](int, int32_t b, int32_t e) {
    for (int32_t y = b; y < e; ++y) std::memcpy(to + y * toStride, from + y * fromStride, static_cast<size_t>(width) * 4);
  };
  if (split != nullptr)
    split->Run(rows, copy);
  else
    copy(0, 0, rows);
}

}  // namespace aismon
