#include "worksheets.h"

#include <optional>

#include "server_log.h"
#include "workbook.h"
#include "worksheet.h"

namespace plovane::test::fake_excel {

namespace {

IUnknown* objectOf(const VARIANT* value) {
  if (value->vt == VT_DISPATCH) return value->pdispVal;
  if (value->vt == (VT_DISPATCH | VT_BYREF) && value->ppdispVal) return *value->ppdispVal;
  return nullptr;
}

}  // namespace

Worksheets::Worksheets(Workbook& book)
    : AutomationObject(book.name() + L".Worksheets"), book_(book) {
  book_.AddRef();
}

Worksheets::~Worksheets() {
  book_.Release();
}

std::vector<std::wstring> Worksheets::memberNames() const {
  return {L"Add", L"Count", L"Item"};
}

HRESULT Worksheets::invoke(const std::wstring& member, MemberCall& call) {
  if (call.put) return unsupported(call, member);
  if (member == L"Add") return add(call);
  if (member == L"Count" && call.arguments.empty()) {
    return returnLong(call, static_cast<long>(book_.sheetCount()));
  }
  if (member == L"Item" || member.empty()) return item(call);
  return unsupported(call, member);
}

// Add(Before, After, Count, Type): one new worksheet, before or after the one given, or
// before the active one; the new sheet becomes the active one.
HRESULT Worksheets::add(MemberCall& call) {
  const auto& arguments = call.arguments;
  if (arguments.size() > 4) return unsupported(call, L"Add");
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    if (!isMissing(arguments[i])) return fail(call, L"Add: only one worksheet at a time");
  }
  const VARIANT* before = arguments.size() > 0 && !isMissing(arguments[0]) ? arguments[0] : nullptr;
  const VARIANT* after = arguments.size() > 1 && !isMissing(arguments[1]) ? arguments[1] : nullptr;
  if (before && after) return fail(call, L"Add: both Before and After");
  std::size_t index = book_.activeIndex();
  if (before || after) {
    const std::optional<std::size_t> place = book_.indexOf(objectOf(before ? before : after));
    if (!place) return fail(call, L"Add: the place given is no sheet of " + book_.name());
    index = *place + (after ? 1 : 0);
  }
  const std::wstring line = L"Worksheets.Add(Before:=" + describePlace(before) + L", After:=" +
                            describePlace(after) + L")";
  Worksheet& sheet = book_.insertSheet(index);
  ServerLog::write(line + L" -> " + sheet.name());
  return returnObject(call, sheet);
}

HRESULT Worksheets::item(MemberCall& call) {
  if (call.arguments.size() != 1) return unsupported(call, L"Item");
  const auto number = longOf(call.arguments[0]);
  if (!number || *number < 1 || static_cast<std::size_t>(*number) > book_.sheetCount()) {
    return fail(call, L"Item(" + describe(call.arguments[0]) + L"): Subscript out of range");
  }
  return returnObject(call, book_.sheet(static_cast<std::size_t>(*number) - 1));
}

std::wstring Worksheets::describePlace(const VARIANT* place) const {
  if (!place) return L"missing";
  const auto index = book_.indexOf(objectOf(place));
  return index ? book_.sheet(*index).name() : describe(place);
}

}  // namespace plovane::test::fake_excel
