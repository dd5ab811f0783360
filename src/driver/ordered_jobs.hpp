#pragma once
// Work on many inputs spread over threads, reported in input order: what
// the user reads does not depend on which thread finished first, and no
// two threads ever write to the terminal at once.

#include <cstddef>
#include <functional>

namespace kolvo {

// The jobs for `wanted` (0: one per online CPU), never more than `items`
// nor fewer than one.
unsigned jobCount(unsigned wanted, std::size_t items);

// Runs work(i) for every i below `count` on `jobs` threads (the calling
// thread only waits), and on the calling thread alone: finished(done)
// after each item is done, then report(i) for every item whose
// predecessors are all reported. `work` must not throw; it may run on any
// thread and at the same time as other items' work. Threads the system
// refuses are done without: with none, the calling thread does the work.
void runInOrder(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& report,
                const std::function<void(std::size_t)>& finished);

}  // namespace kolvo
