#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace plovane::platform {

// A thread that runs one function on a stack of the given size, for pools of many threads
// that each need little: the system's default stack would reserve megabytes for each. Where
// the system refuses so small a stack, the thread gets the default one. Joined when
// destroyed; a function that throws ends the program, as with std::thread.
class WorkerThread {
 public:
  // Throws std::system_error when the system starts no thread.
  WorkerThread(std::size_t stackBytes, std::function<void()> work);
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

 private:
  struct Native;
  std::unique_ptr<Native> native_;
};

}  // namespace plovane::platform
