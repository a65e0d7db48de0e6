#pragma once

#include <string>
#include <vector>

#include "automation_object.h"

namespace plovane::test::fake_excel {

class Workbook;

// The application's open workbooks; it keeps each one it adds.
class Workbooks final : public AutomationObject {
 public:
  Workbooks() : AutomationObject(L"Workbooks") {}
  ~Workbooks() override;

 protected:
  std::vector<std::wstring> memberNames() const override;
  HRESULT invoke(const std::wstring& member, MemberCall& call) override;

 private:
  std::vector<Workbook*> books_;
};

}  // namespace plovane::test::fake_excel
