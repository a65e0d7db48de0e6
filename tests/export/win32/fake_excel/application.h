#pragma once

#include <string>
#include <vector>

#include "automation_object.h"

namespace plovane::test::fake_excel {

class Workbooks;

// The application object the class factory makes: its workbooks, and whether it shows.
class Application final : public AutomationObject {
 public:
  Application();
  ~Application() override;

 protected:
  std::vector<std::wstring> memberNames() const override;
  HRESULT invoke(const std::wstring& member, MemberCall& call) override;

 private:
  Workbooks* workbooks_;
  bool visible_ = false;
};

}  // namespace plovane::test::fake_excel
