#pragma once

#include <string>
#include <vector>

#include "automation_object.h"

namespace plovane::test::fake_excel {

class Workbook;

// The sheets of a workbook as a collection: counted, taken by number, added to. It keeps
// its workbook alive.
class Worksheets final : public AutomationObject {
 public:
  explicit Worksheets(Workbook& book);
  ~Worksheets() override;

 protected:
  std::vector<std::wstring> memberNames() const override;
  HRESULT invoke(const std::wstring& member, MemberCall& call) override;

 private:
  HRESULT add(MemberCall& call);
  HRESULT item(MemberCall& call);
  // A Before or After argument: missing, or the name of the sheet it is.
  std::wstring describePlace(const VARIANT* place) const;

  Workbook& book_;
};

}  // namespace plovane::test::fake_excel
