#pragma once

// Owners for what Windows hands out, so that every path closes or releases it once:
// std::unique_ptr with the matching deleter.

#include "platform/win32/windows_api.h"

#include <unknwn.h>

#include <memory>
#include <type_traits>

namespace plovane::platform::win32 {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

// A kernel handle; CreateFileW's INVALID_HANDLE_VALUE is held too and never closed.
using OwnedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct ComReleaser {
  void operator()(IUnknown* object) const { object->Release(); }
};

// A COM interface pointer that holds one reference.
template <class Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser>;

}  // namespace plovane::platform::win32
