#pragma once

#include <string>
#include <vector>

#include "automation_object.h"

namespace plovane::test::fake_excel {

class Worksheet;

// One cell of a sheet, whose value can be put, or all the columns of a sheet, which can be
// fitted to their contents. It keeps its sheet alive, as the application's ranges do.
class Range final : public AutomationObject {
 public:
  Range(Worksheet& sheet, long row, long column);
  explicit Range(Worksheet& sheet);
  ~Range() override;

 protected:
  std::vector<std::wstring> memberNames() const override;
  HRESULT invoke(const std::wstring& member, MemberCall& call) override;

 private:
  Worksheet& sheet_;
  bool columns_;
  long row_ = 0;
  long column_ = 0;
};

}  // namespace plovane::test::fake_excel
