#include "range.h"

#include "server_log.h"
#include "worksheet.h"

namespace plovane::test::fake_excel {

Range::Range(Worksheet& sheet, long row, long column)
    : AutomationObject(sheet.name() + L".Cells(" + std::to_wstring(row) + L"," +
                       std::to_wstring(column) + L")"),
      sheet_(sheet),
      columns_(false),
      row_(row),
      column_(column) {
  sheet_.AddRef();
}

Range::Range(Worksheet& sheet)
    : AutomationObject(sheet.name() + L".Columns"), sheet_(sheet), columns_(true) {
  sheet_.AddRef();
}

Range::~Range() {
  sheet_.Release();
}

std::vector<std::wstring> Range::memberNames() const {
  return {L"Value", L"AutoFit"};
}

HRESULT Range::invoke(const std::wstring& member, MemberCall& call) {
  // The value of a cell is both its Value and the range's default member; the log tells
  // which one the client used.
  if ((member.empty() || member == L"Value") && !columns_ && call.put && call.arguments.empty()) {
    const std::wstring value = describe(call.value);
    sheet_.setCell(row_, column_, value);
    ServerLog::write(name() + (member.empty() ? L"" : L".Value") + L" = " + value);
    return S_OK;
  }
  if (member == L"AutoFit" && columns_ && !call.put && call.arguments.empty()) {
    ServerLog::write(name() + L".AutoFit");
    return returnBool(call, true);
  }
  return unsupported(call, member);
}

}  // namespace plovane::test::fake_excel
