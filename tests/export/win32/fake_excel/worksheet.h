#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "automation_object.h"

namespace plovane::test::fake_excel {

// A sheet: its cells' values as the log shows them, and the ranges that reach them.
class Worksheet final : public AutomationObject {
 public:
  using Cells = std::map<std::pair<long, long>, std::wstring>;

  explicit Worksheet(std::wstring name) : AutomationObject(std::move(name)) {}

  const Cells& cells() const { return cells_; }
  void setCell(long row, long column, std::wstring value);

 protected:
  std::vector<std::wstring> memberNames() const override;
  HRESULT invoke(const std::wstring& member, MemberCall& call) override;

 private:
  HRESULT cellsOf(MemberCall& call);

  Cells cells_;
};

}  // namespace plovane::test::fake_excel
