#pragma once

#include <map>
#include <string>

namespace plovane::e2e {

// "--name value" pairs of the driver's command line, after its mode.
class DriverOptions {
 public:
  DriverOptions(int argc, wchar_t** argv, int first);

  // Throws when the option was not given.
  const std::wstring& text(const std::wstring& name) const;
  int number(const std::wstring& name) const;
  int number(const std::wstring& name, int otherwise) const;

 private:
  std::map<std::wstring, std::wstring> values_;
};

// Writes UTF-8 bytes to a file, replacing it; throws on failure.
void writeFile(const std::wstring& path, const std::string& bytes);

}  // namespace plovane::e2e
