#include "driver/ordered_jobs.hpp"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kolvo {
namespace {

// What the workers share with the thread that reports.
struct JobBoard {
  explicit JobBoard(std::size_t count) : done(count, false) {}
  std::atomic<std::size_t> next{0};
  std::mutex lock;
  std::condition_variable changed;
  std::vector<bool> done;  // guarded by lock
  std::size_t doneCount = 0;
};

void workUntilNoneLeft(JobBoard& board, std::size_t count,
                       const std::function<void(std::size_t)>& work) {
  for (std::size_t i = board.next++; i < count; i = board.next++) {
    work(i);
    const std::lock_guard<std::mutex> held(board.lock);
    board.done[i] = true;
    ++board.doneCount;
    board.changed.notify_one();
  }
}

}  // namespace

unsigned jobCount(unsigned wanted, std::size_t items) {
  if (wanted == 0) {
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    wanted = online > 0 ? static_cast<unsigned>(online) : 1U;
  }
  return static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(wanted, items)));
}

void runInOrder(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& report,
                const std::function<void(std::size_t)>& finished) {
  JobBoard board(count);
  std::vector<std::thread> workers;
  for (unsigned j = 0; j < jobs; ++j) {
    try {
      workers.emplace_back([&board, count, &work] { workUntilNoneLeft(board, count, work); });
    } catch (const std::system_error&) {
      break;  // as many as the system gives
    }
  }
  if (workers.empty()) workUntilNoneLeft(board, count, work);
  std::size_t reported = 0;
  std::size_t seen = 0;
  std::unique_lock<std::mutex> held(board.lock);
  while (reported < count) {
    board.changed.wait(held, [&] { return board.doneCount > seen; });
    seen = board.doneCount;
    std::size_t ready = reported;
    while (ready < count && board.done[ready]) ++ready;
    held.unlock();
    finished(seen);
    for (; reported < ready; ++reported) report(reported);
    held.lock();
  }
  held.unlock();
  for (std::thread& worker : workers) worker.join();
}

}  // namespace kolvo
