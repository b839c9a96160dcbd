#pragma once
// The one-byte stop flag: set by the window thread (or a signal handler in the
// headless front end), read by the search worker.

#include <atomic>
#include <cstdint>

extern std::atomic<std::uint8_t> StopRequested;

inline bool IsStopRequested() {
  return StopRequested.load(std::memory_order_relaxed) != 0;
}
