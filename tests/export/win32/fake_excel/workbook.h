#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "automation_object.h"

namespace plovane::test::fake_excel {

class Worksheet;

// A workbook: its sheets in order, one of them active. A new one has one sheet. When it
// goes, it writes what its sheets hold to the log, as the user would find it.
class Workbook final : public AutomationObject {
 public:
  explicit Workbook(std::wstring name);
  ~Workbook() override;

  std::size_t sheetCount() const { return sheets_.size(); }
  Worksheet& sheet(std::size_t index) const { return *sheets_.at(index); }
  // Where the object is among the sheets, by COM identity.
  std::optional<std::size_t> indexOf(IUnknown* object) const;
  std::size_t activeIndex() const { return active_; }
  // A new sheet at the place given, which becomes the active one.
  Worksheet& insertSheet(std::size_t index);

 protected:
  std::vector<std::wstring> memberNames() const override;
  HRESULT invoke(const std::wstring& member, MemberCall& call) override;

 private:
  void writeContents() const;

  std::vector<Worksheet*> sheets_;
  std::size_t active_ = 0;
  int sheetsMade_ = 0;
};

}  // namespace plovane::test::fake_excel
