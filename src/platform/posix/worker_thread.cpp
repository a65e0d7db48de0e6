#include "platform/worker_thread.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>
#include <utility>

namespace plovane::platform {

struct WorkerThread::Native {
  std::function<void()> work;
  pthread_t thread{};
};

namespace {

// A whole number of pages, and no less than the system's least.
std::size_t usableStackSize(std::size_t bytes) {
  const long page = sysconf(_SC_PAGESIZE);
  const auto pageBytes = static_cast<std::size_t>(page > 0 ? page : 4096);
  bytes = std::max<std::size_t>(bytes, PTHREAD_STACK_MIN);
  return (bytes + pageBytes - 1) / pageBytes * pageBytes;
}

int startThread(pthread_t& thread, std::size_t stackBytes, void* (*run)(void*), void* argument) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return pthread_create(&thread, nullptr, run, argument);
  int result = pthread_attr_setstacksize(&attributes, usableStackSize(stackBytes));
  if (result == 0) result = pthread_create(&thread, &attributes, run, argument);
  pthread_attr_destroy(&attributes);
  // Too small for the thread-local storage of this program, say: the default stack then.
  if (result == EINVAL) result = pthread_create(&thread, nullptr, run, argument);
  return result;
}

}  // namespace

WorkerThread::WorkerThread(std::size_t stackBytes, std::function<void()> work)
    : native_(std::make_unique<Native>()) {
  native_->work = std::move(work);
  const auto run = [](void* native) noexcept -> void* {
    static_cast<Native*>(native)->work();
    return nullptr;
  };
  const int result = startThread(native_->thread, stackBytes, run, native_.get());
  if (result != 0) throw std::system_error(result, std::generic_category(), "pthread_create");
}

WorkerThread::~WorkerThread() {
  pthread_join(native_->thread, nullptr);
}

}  // namespace plovane::platform
