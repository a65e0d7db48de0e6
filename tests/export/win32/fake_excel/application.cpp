#include "application.h"

#include "server_log.h"
#include "workbooks.h"

namespace plovane::test::fake_excel {

Application::Application() : AutomationObject(L"Application"), workbooks_(new Workbooks) {}

Application::~Application() {
  workbooks_->Release();
}

std::vector<std::wstring> Application::memberNames() const {
  return {L"Workbooks", L"Visible"};
}

HRESULT Application::invoke(const std::wstring& member, MemberCall& call) {
  if (!call.arguments.empty()) return unsupported(call, member);
  if (member == L"Workbooks" && !call.put) return returnObject(call, *workbooks_);
  if (member == L"Visible" && !call.put) return returnBool(call, visible_);
  if (member == L"Visible") {
    const auto flag = longOf(call.value);
    if (!flag) return fail(call, L"Visible = " + describe(call.value) + L": Type mismatch");
    visible_ = *flag != 0;
    ServerLog::write(std::wstring(L"Application.Visible = ") + (visible_ ? L"True" : L"False"));
    return S_OK;
  }
  return unsupported(call, member);
}

}  // namespace plovane::test::fake_excel
