#include "worksheet.h"

#include "range.h"

namespace plovane::test::fake_excel {

namespace {

// The edges of a sheet.
constexpr long kRows = 1048576;
constexpr long kColumns = 16384;

}  // namespace

void Worksheet::setCell(long row, long column, std::wstring value) {
  cells_[{row, column}] = std::move(value);
}

std::vector<std::wstring> Worksheet::memberNames() const {
  return {L"Cells", L"Columns", L"Name"};
}

HRESULT Worksheet::invoke(const std::wstring& member, MemberCall& call) {
  if (call.put) return unsupported(call, member);
  if (member == L"Cells") return cellsOf(call);
  if (member == L"Columns" && call.arguments.empty()) return returnMade(call, new Range(*this));
  if (member == L"Name" && call.arguments.empty()) return returnText(call, name());
  return unsupported(call, member);
}

HRESULT Worksheet::cellsOf(MemberCall& call) {
  if (call.arguments.size() != 2) return unsupported(call, L"Cells");
  const auto row = longOf(call.arguments[0]);
  const auto column = longOf(call.arguments[1]);
  if (!row || !column || *row < 1 || *row > kRows || *column < 1 || *column > kColumns) {
    return fail(call, L"Cells(" + describe(call.arguments[0]) + L"," + describe(call.arguments[1]) +
                          L"): Application-defined or object-defined error");
  }
  return returnMade(call, new Range(*this, *row, *column));
}

}  // namespace plovane::test::fake_excel
