#include "export/win32/excel_application.h"

// windows.h first: the COM headers rely on it.
#include "platform/win32/windows_api.h"

#include <objbase.h>
#include <oleauto.h>

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "platform/win32/owned.h"
#include "platform/win32/wide_text.h"

namespace plovane::win32 {

namespace {

using platform::win32::toUtf8;
using platform::win32::toWide;

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(long number) : Variant() {
    value_.vt = VT_I4;
    value_.lVal = number;
  }
  explicit Variant(bool flag) : Variant() {
    value_.vt = VT_BOOL;
    value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
  }
  explicit Variant(std::string_view text) : Variant() {
    const std::wstring wide = toWide(text);
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!value_.bstrVal) throw Failure("Out of memory");
  }
  // An optional argument left out.
  static Variant missing() {
    Variant variant;
    variant.value_.vt = VT_ERROR;
    variant.value_.scode = DISP_E_PARAMNOTFOUND;
    return variant;
  }
  static Variant object(IDispatch* dispatch) {
    Variant variant;
    variant.value_.vt = VT_DISPATCH;
    variant.value_.pdispVal = dispatch;
    dispatch->AddRef();
    return variant;
  }
  Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }

  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

// One automation object, released when it goes.
class Dispatch {
 public:
  Dispatch() = default;
  explicit Dispatch(IDispatch* dispatch) : dispatch_(dispatch) {}

  explicit operator bool() const { return dispatch_ != nullptr; }
  IDispatch* get() const { return dispatch_.get(); }
  void reset() { dispatch_.reset(); }

  // A property got or a method called; arguments in their natural order.
  Variant invoke(const wchar_t* name, WORD kind, std::vector<Variant> arguments = {}) const {
    return invokeById(dispatchId(name), kind, std::move(arguments));
  }
  Dispatch object(const wchar_t* name, std::vector<Variant> arguments = {}) const {
    Variant result = invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(arguments));
    if (result.get()->vt != VT_DISPATCH || !result.get()->pdispVal) {
      throw Failure("Object required");
    }
    IDispatch* dispatch = result.get()->pdispVal;
    dispatch->AddRef();
    return Dispatch(dispatch);
  }
  void call(const wchar_t* name, std::vector<Variant> arguments = {}) const {
    invoke(name, DISPATCH_METHOD, std::move(arguments));
  }
  void put(const wchar_t* name, Variant value) const {
    putById(dispatchId(name), std::move(value));
  }
  // Assigns to the object itself, that is, to its default member.
  void putDefaultMember(Variant value) const { putById(DISPID_VALUE, std::move(value)); }

 private:
  IDispatch& target() const {
    if (!dispatch_) throw Failure("Object variable not set");
    return *dispatch_;
  }

  void putById(DISPID id, Variant value) const {
    std::vector<Variant> arguments;
    arguments.push_back(std::move(value));
    invokeById(id, DISPATCH_PROPERTYPUT, std::move(arguments));
  }

  DISPID dispatchId(const wchar_t* name) const {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT result = target().GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result)) throw Failure("Object doesn't support this property or method");
    return id;
  }

  Variant invokeById(DISPID id, WORD kind, std::vector<Variant> arguments) const {
    // IDispatch takes the arguments last first.
    std::vector<VARIANT> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(*it->get());
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (kind == DISPATCH_PROPERTYPUT) {
      parameters.rgdispidNamedArgs = &namedPut;
      parameters.cNamedArgs = 1;
    }
    Variant result;
    EXCEPINFO exception{};
    const HRESULT outcome = target().Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                            result.get(), &exception, nullptr);
    if (FAILED(outcome)) throw failureOf(outcome, exception);
    return result;
  }

  static Failure failureOf(HRESULT outcome, EXCEPINFO& exception) {
    if (outcome == DISP_E_EXCEPTION && exception.pfnDeferredFillIn) {
      exception.pfnDeferredFillIn(&exception);
    }
    std::string description = toUtf8(exception.bstrDescription ? exception.bstrDescription : L"");
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (description.empty()) description = "Automation error";
    return Failure(description);
  }

  platform::win32::ComPtr<IDispatch> dispatch_;
};

// COM for the calling thread, for as long as the object lives. A thread where the window
// system has set it up already keeps its own.
class ComScope {
 public:
  ComScope() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_;
};

Dispatch startExcel() {
  CLSID classId{};
  if (FAILED(CLSIDFromProgID(L"Excel.Application", &classId))) {
    throw Failure("ActiveX component can't create object");
  }
  IDispatch* dispatch = nullptr;
  if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&dispatch)))) {
    throw Failure("ActiveX component can't create object");
  }
  return Dispatch(dispatch);
}

std::vector<Variant> cellArguments(std::size_t row, std::size_t column) {
  std::vector<Variant> arguments;
  arguments.emplace_back(static_cast<long>(row));
  arguments.emplace_back(static_cast<long>(column));
  return arguments;
}

class ExcelApplication final : public SpreadsheetApplication {
 public:
  ExcelApplication() : application_(startExcel()) {}

  ~ExcelApplication() override {
    // The workbook goes before the application; Excel itself runs on.
    workbook_.reset();
    application_.reset();
  }

  void addWorkbook() override { workbook_ = application_.object(L"Workbooks").object(L"Add"); }

  void writeHeaderCell(std::size_t column, std::string_view text) override {
    activeSheet().object(L"Cells", cellArguments(1, column)).putDefaultMember(Variant(text));
  }

  void setCellValue(std::size_t row, std::size_t column, std::string_view text) override {
    activeSheet().object(L"Cells", cellArguments(row, column)).put(L"Value", Variant(text));
  }

  void addSheetAfterActive() override {
    const Dispatch active = activeSheet();
    std::vector<Variant> arguments;
    arguments.push_back(Variant::missing());  // Before
    arguments.push_back(Variant::object(active.get()));
    workbook().object(L"Worksheets").call(L"Add", std::move(arguments));
    ++sheetsAdded_;
  }

  void autoFitColumns() override {
    if (sheetsAdded_ == 0) {
      activeSheet().object(L"Columns").call(L"AutoFit");
      return;
    }
    const Dispatch sheets = workbook().object(L"Worksheets");
    Variant count = sheets.invoke(L"Count", DISPATCH_PROPERTYGET);
    if (FAILED(VariantChangeType(count.get(), count.get(), 0, VT_I4))) {
      throw Failure("Type mismatch");
    }
    for (long index = 1; index <= count.get()->lVal; ++index) {
      std::vector<Variant> arguments;
      arguments.emplace_back(index);
      sheets.object(L"Item", std::move(arguments)).object(L"Columns").call(L"AutoFit");
    }
  }

  void makeVisible() override { application_.put(L"Visible", Variant(true)); }

 private:
  const Dispatch& workbook() const {
    if (!workbook_) throw Failure("Object variable not set");
    return workbook_;
  }
  Dispatch activeSheet() const { return workbook().object(L"ActiveSheet"); }

  ComScope com_;
  Dispatch application_;
  Dispatch workbook_;
  int sheetsAdded_ = 0;
};

}  // namespace

// Excel's calls are synchronous: there is nothing to yield during.
std::unique_ptr<SpreadsheetApplication> ExcelApplications::create(Host& /*host*/) {
  return std::make_unique<ExcelApplication>();
}

}  // namespace plovane::win32
