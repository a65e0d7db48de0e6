#include "platform/worker_thread.h"

#include "platform/win32/windows_api.h"

#include <process.h>

#include <cerrno>
#include <cstdint>
#include <system_error>
#include <utility>

#include "platform/win32/owned.h"

namespace plovane::platform {

struct WorkerThread::Native {
  std::function<void()> work;
  win32::OwnedHandle thread;
};

// Through the C runtime, which sets up its own per-thread state; the size only reserves the
// stack's address space, which is committed as it is used.
WorkerThread::WorkerThread(std::size_t stackBytes, std::function<void()> work)
    : native_(std::make_unique<Native>()) {
  native_->work = std::move(work);
  const auto run = [](void* native) noexcept -> unsigned {
    static_cast<Native*>(native)->work();
    return 0;
  };
  const std::uintptr_t thread =
      _beginthreadex(nullptr, static_cast<unsigned>(stackBytes), run, native_.get(),
                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == 0) throw std::system_error(errno, std::generic_category(), "_beginthreadex");
  native_->thread.reset(reinterpret_cast<HANDLE>(thread));
}

WorkerThread::~WorkerThread() {
  WaitForSingleObject(native_->thread.get(), INFINITE);
}

}  // namespace plovane::platform
