#include "search/stop_request.h"

static_assert(std::atomic<std::uint8_t>::is_always_lock_free,
              "the stop flag is set from a signal handler");

std::atomic<std::uint8_t> StopRequested{0};
