#include "fake_excel_registration.h"

#include "platform/win32/windows_api.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "fake_excel/fake_excel_class.h"
#include "platform/win32/wide_text.h"

namespace plovane::test {

namespace {

using platform::win32::toWide;

// The machine's classes: the Wine this runs under reads no per-user classes.
const HKEY kRoot = HKEY_LOCAL_MACHINE;
const std::wstring kProgIdKey = L"Software\\Classes\\Excel.Application";
const std::wstring kClassKey =
    std::wstring(L"Software\\Classes\\CLSID\\") + fake_excel::kApplicationClassText;

void setDefaultValue(const std::wstring& key, const std::wstring& value) {
  const LSTATUS status = RegSetKeyValueW(kRoot, key.c_str(), nullptr, REG_SZ, value.c_str(),
                                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("cannot write the registry key of the fake application (error " +
                             std::to_string(status) + ")");
  }
}

std::wstring besideThisProgram(const wchar_t* file) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1) + file;
}

}  // namespace

FakeExcelRegistration::FakeExcelRegistration()
    : FakeExcelRegistration(besideThisProgram(L"fake_excel.exe")) {}

FakeExcelRegistration::FakeExcelRegistration(const std::wstring& serverProgram)
    : logPath_(folder_.path("server.log")) {
  removeAny();
  // COM adds " -Embedding" to this command line when it starts the server; Wine reads no
  // more of it than a path's limit.
  const std::wstring command = L"\"" + serverProgram + L"\" \"" + toWide(logPath_) + L"\"";
  if (command.size() + 12 >= MAX_PATH) {
    throw std::runtime_error("the fake application's command line is too long for Wine: " +
                             platform::win32::toUtf8(command));
  }
  setDefaultValue(kClassKey + L"\\LocalServer32", command);
  setDefaultValue(kClassKey + L"\\ProgID", L"Excel.Application");
  setDefaultValue(kProgIdKey + L"\\CLSID", fake_excel::kApplicationClassText);
}

FakeExcelRegistration::~FakeExcelRegistration() {
  removeAny();
}

std::string FakeExcelRegistration::logText() const {
  std::ifstream log(std::filesystem::path(std::u8string(logPath_.begin(), logPath_.end())));
  return std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
}

void FakeExcelRegistration::removeAny() {
  RegDeleteTreeW(kRoot, kProgIdKey.c_str());
  RegDeleteTreeW(kRoot, kClassKey.c_str());
}

bool FakeExcelRegistration::possibleHere(std::string& reason) {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll && GetProcAddress(ntdll, "wine_get_version")) return true;
  reason = "the fake application is registered only in a Wine prefix, never on a real Windows";
  return false;
}

}  // namespace plovane::test
