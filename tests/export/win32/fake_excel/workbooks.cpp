#include "workbooks.h"

#include "server_log.h"
#include "workbook.h"

namespace plovane::test::fake_excel {

Workbooks::~Workbooks() {
  for (Workbook* book : books_) book->Release();
}

std::vector<std::wstring> Workbooks::memberNames() const {
  return {L"Add", L"Count"};
}

HRESULT Workbooks::invoke(const std::wstring& member, MemberCall& call) {
  if (call.put) return unsupported(call, member);
  // Add(Template): a new workbook of one worksheet; no template is taken.
  if (member == L"Add" &&
      (call.arguments.empty() || (call.arguments.size() == 1 && isMissing(call.arguments[0])))) {
    books_.push_back(new Workbook(L"Book" + std::to_wstring(books_.size() + 1)));
    ServerLog::write(L"Workbooks.Add -> " + books_.back()->name());
    return returnObject(call, *books_.back());
  }
  if (member == L"Count" && call.arguments.empty()) {
    return returnLong(call, static_cast<long>(books_.size()));
  }
  return unsupported(call, member);
}

}  // namespace plovane::test::fake_excel
