#include "workbook.h"

#include "server_log.h"
#include "worksheet.h"
#include "worksheets.h"

namespace plovane::test::fake_excel {

Workbook::Workbook(std::wstring name) : AutomationObject(std::move(name)) {
  insertSheet(0);
}

Workbook::~Workbook() {
  writeContents();
  for (Worksheet* sheet : sheets_) sheet->Release();
}

std::optional<std::size_t> Workbook::indexOf(IUnknown* object) const {
  IUnknown* identity = nullptr;
  if (!object ||
      FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
    return {};
  }
  identity->Release();
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    if (identity == static_cast<IDispatch*>(sheets_[i])) return i;
  }
  return {};
}

Worksheet& Workbook::insertSheet(std::size_t index) {
  auto* sheet = new Worksheet(L"Sheet" + std::to_wstring(++sheetsMade_));
  sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(index), sheet);
  active_ = index;
  return *sheet;
}

std::vector<std::wstring> Workbook::memberNames() const {
  return {L"ActiveSheet", L"Worksheets", L"Name"};
}

HRESULT Workbook::invoke(const std::wstring& member, MemberCall& call) {
  if (call.put || !call.arguments.empty()) return unsupported(call, member);
  if (member == L"ActiveSheet") return returnObject(call, *sheets_[active_]);
  if (member == L"Worksheets") return returnMade(call, new Worksheets(*this));
  if (member == L"Name") return returnText(call, name());
  return unsupported(call, member);
}

// "workbook Book1: Sheet1 Sheet2", then "cell Sheet1!R2C1 <value>" row by row.
void Workbook::writeContents() const {
  std::wstring names;
  for (const Worksheet* sheet : sheets_) names += L" " + sheet->name();
  ServerLog::write(L"workbook " + name() + L":" + names);
  for (const Worksheet* sheet : sheets_) {
    for (const auto& [place, value] : sheet->cells()) {
      ServerLog::write(L"cell " + sheet->name() + L"!R" + std::to_wstring(place.first) + L"C" +
                       std::to_wstring(place.second) + L" " + value);
    }
  }
}

}  // namespace plovane::test::fake_excel
