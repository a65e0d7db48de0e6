#include "driver_options.h"

#include "platform/win32/windows_api.h"

#include <stdexcept>

#include "platform/win32/owned.h"
#include "platform/win32/wide_text.h"

namespace plovane::e2e {

using platform::win32::toUtf8;

DriverOptions::DriverOptions(int argc, wchar_t** argv, int first) {
  for (int at = first; at < argc; at += 2) {
    const std::wstring name = argv[at];
    if (name.rfind(L"--", 0) != 0 || at + 1 >= argc) {
      throw std::runtime_error("expected --name value, found " + toUtf8(name));
    }
    values_[name.substr(2)] = argv[at + 1];
  }
}

const std::wstring& DriverOptions::text(const std::wstring& name) const {
  const auto found = values_.find(name);
  if (found == values_.end()) throw std::runtime_error("missing --" + toUtf8(name));
  return found->second;
}

int DriverOptions::number(const std::wstring& name) const {
  return std::stoi(text(name));
}

int DriverOptions::number(const std::wstring& name, int otherwise) const {
  return values_.count(name) ? number(name) : otherwise;
}

void writeFile(const std::wstring& path, const std::string& bytes) {
  const platform::win32::OwnedHandle file(CreateFileW(
      path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file.get() == INVALID_HANDLE_VALUE ||
      !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    throw std::runtime_error("cannot write " + toUtf8(path));
  }
}

}  // namespace plovane::e2e
