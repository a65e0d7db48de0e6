#pragma once

#include <map>
#include <string>
#include <string_view>

namespace plovane {

// Per-user text settings of application "Kestrune", section "Plovane". A write is stored at
// once; a key never written reads as the default the reader passes.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string read(std::string_view key, std::string_view defaultValue) const = 0;
  virtual void write(std::string_view key, std::string_view value) = 0;
};

// The keys the program reads and writes.
namespace settings_key {
inline constexpr std::string_view kListView1 = "ListView1";
inline constexpr std::string_view kListView2 = "ListView2";
inline constexpr std::string_view kLastFolderDot = "LastFolderDot";
}  // namespace settings_key

// A store that lives in memory, for tests and for tools without a window.
class InMemorySettingsStore final : public SettingsStore {
 public:
  std::string read(std::string_view key, std::string_view defaultValue) const override;
  void write(std::string_view key, std::string_view value) override;
  bool contains(std::string_view key) const;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace plovane
