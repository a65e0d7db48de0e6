#include "automation_object.h"

#include <oleauto.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <string_view>
#include <utility>

#include "server_log.h"

namespace plovane::test::fake_excel {

namespace {

std::set<const AutomationObject*>& liveObjects() {
  static std::set<const AutomationObject*> objects;
  return objects;
}

HANDLE& noneLiveEvent() {
  static HANDLE event = nullptr;
  return event;
}

// One call at a time: the objects and the log are not made for more. Recursive, as an
// object that goes releases those it holds.
std::recursive_mutex& serverLock() {
  static std::recursive_mutex lock;
  return lock;
}
using ServerLock = std::lock_guard<std::recursive_mutex>;

std::atomic<ULONGLONG>& lastCall() {
  static std::atomic<ULONGLONG> tick = GetTickCount64();
  return tick;
}

bool sameName(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

AutomationObject::AutomationObject(std::wstring name) : name_(std::move(name)) {
  const ServerLock lock(serverLock());
  liveObjects().insert(this);
}

AutomationObject::~AutomationObject() {
  const ServerLock lock(serverLock());
  liveObjects().erase(this);
  const std::size_t live = liveObjects().size();
  ServerLog::write(L"live objects: " + std::to_wstring(live));
  // The client holds nothing more: the server's work is done.
  if (live == 0 && noneLiveEvent()) SetEvent(noneLiveEvent());
}

void AutomationObject::signalWhenNoneLive(HANDLE event) {
  noneLiveEvent() = event;
}

HRESULT AutomationObject::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG AutomationObject::AddRef() {
  noteActivity();
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG AutomationObject::Release() {
  noteActivity();
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) {
    const ServerLock lock(serverLock());
    delete this;
  }
  return static_cast<ULONG>(left);
}

HRESULT AutomationObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT AutomationObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT AutomationObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  noteActivity();
  const ServerLock lock(serverLock());
  if (!names || !ids || count == 0) return E_INVALIDARG;
  const std::vector<std::wstring> members = memberNames();
  const auto found = std::find_if(members.begin(), members.end(), [&](const std::wstring& member) {
    return sameName(member, names[0]);
  });
  std::fill(ids, ids + count, DISPID_UNKNOWN);
  if (found == members.end()) {
    ServerLog::write(L"! " + name_ + L" has no member " + names[0]);
    return DISP_E_UNKNOWNNAME;
  }
  ids[0] = static_cast<DISPID>(found - members.begin()) + 1;
  // Named arguments are not among what this server takes.
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT AutomationObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                 VARIANT* result, EXCEPINFO* exception, UINT*) {
  noteActivity();
  const ServerLock lock(serverLock());
  if (!parameters) return E_INVALIDARG;
  const std::vector<std::wstring> members = memberNames();
  std::wstring member;
  if (id != DISPID_VALUE) {
    if (id < 1 || static_cast<std::size_t>(id) > members.size()) return DISP_E_MEMBERNOTFOUND;
    member = members[static_cast<std::size_t>(id) - 1];
  }
  MemberCall call;
  call.result = result;
  call.exception = exception;
  UINT first = 0;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    // The value of a put is the one named argument DISPID_PROPERTYPUT.
    if (parameters->cArgs < 1 || parameters->cNamedArgs != 1 || !parameters->rgdispidNamedArgs ||
        parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      ServerLog::write(L"! put of " + name_ + L"." + member + L" without a named value");
      return DISP_E_PARAMNOTFOUND;
    }
    call.put = true;
    call.value = &parameters->rgvarg[0];
    first = 1;
  } else if (parameters->cNamedArgs != 0) {
    ServerLog::write(L"! named arguments to " + name_ + L"." + member);
    return DISP_E_NONAMEDARGS;
  }
  for (UINT i = parameters->cArgs; i > first; --i)
    call.arguments.push_back(&parameters->rgvarg[i - 1]);
  return invoke(member, call);
}

std::wstring AutomationObject::liveObjectNames() {
  const ServerLock lock(serverLock());
  std::wstring names;
  for (const AutomationObject* object : liveObjects()) {
    names += (names.empty() ? L"" : L", ") + object->name_;
  }
  return names;
}

ULONGLONG AutomationObject::lastActivity() {
  return lastCall();
}

void AutomationObject::noteActivity() {
  lastCall() = GetTickCount64();
}

HRESULT AutomationObject::fail(MemberCall& call, const std::wstring& what) const {
  ServerLog::write(L"! " + name_ + L": " + what);
  if (call.exception) {
    *call.exception = EXCEPINFO{};
    call.exception->bstrSource = SysAllocString(L"Fake automation server");
    call.exception->bstrDescription = SysAllocString(what.c_str());
    call.exception->scode = DISP_E_EXCEPTION;
  }
  return DISP_E_EXCEPTION;
}

HRESULT AutomationObject::unsupported(MemberCall& call, const std::wstring& member) const {
  ServerLog::write(L"! " + name_ + L"." + (member.empty() ? L"(default)" : member) +
                   L" used with " + std::to_wstring(call.arguments.size()) + L" argument(s)" +
                   (call.put ? L" as a put" : L""));
  return call.put ? DISP_E_MEMBERNOTFOUND : DISP_E_BADPARAMCOUNT;
}

HRESULT AutomationObject::returnObject(MemberCall& call, AutomationObject& object) {
  if (!call.result) return S_OK;  // the client wants no result
  VariantInit(call.result);
  call.result->vt = VT_DISPATCH;
  call.result->pdispVal = &object;
  object.AddRef();
  return S_OK;
}

HRESULT AutomationObject::returnMade(MemberCall& call, AutomationObject* made) {
  const HRESULT outcome = returnObject(call, *made);
  made->Release();
  return outcome;
}

HRESULT AutomationObject::returnBool(MemberCall& call, bool value) {
  if (!call.result) return S_OK;
  VariantInit(call.result);
  call.result->vt = VT_BOOL;
  call.result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT AutomationObject::returnText(MemberCall& call, const std::wstring& text) {
  if (!call.result) return S_OK;
  VariantInit(call.result);
  call.result->vt = VT_BSTR;
  call.result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return call.result->bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT AutomationObject::returnLong(MemberCall& call, long value) {
  if (!call.result) return S_OK;
  VariantInit(call.result);
  call.result->vt = VT_I4;
  call.result->lVal = value;
  return S_OK;
}

bool AutomationObject::isMissing(const VARIANT* value) {
  return value->vt == VT_ERROR && value->scode == DISP_E_PARAMNOTFOUND;
}

std::optional<long> AutomationObject::longOf(const VARIANT* value) {
  VARIANT number;
  VariantInit(&number);
  if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(value), 0, VT_I4))) return {};
  return number.lVal;
}

std::wstring AutomationObject::describe(const VARIANT* value) {
  VARIANT plain;
  VariantInit(&plain);
  if (FAILED(VariantCopyInd(&plain, const_cast<VARIANT*>(value)))) return L"<unreadable>";
  std::wstring text;
  if (plain.vt == VT_BSTR) {
    text = quoted(std::wstring_view(plain.bstrVal, SysStringLen(plain.bstrVal)));
  } else {
    const VARTYPE type = plain.vt;
    if (SUCCEEDED(VariantChangeType(&plain, &plain, 0, VT_BSTR))) {
      text = L"<vt " + std::to_wstring(type) + L"> " + plain.bstrVal;
    } else {
      text = L"<vt " + std::to_wstring(type) + L">";
    }
  }
  VariantClear(&plain);
  return text;
}

}  // namespace plovane::test::fake_excel
