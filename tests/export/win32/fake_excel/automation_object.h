#pragma once

#include "platform/win32/windows_api.h"

#include <oaidl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace plovane::test::fake_excel {

// One call of a member, as IDispatch::Invoke gives it: the arguments in the order they are
// written (IDispatch hands them over last first), the value of a put apart.
struct MemberCall {
  bool put = false;
  std::vector<VARIANT*> arguments;
  VARIANT* value = nullptr;
  VARIANT* result = nullptr;
  EXCEPINFO* exception = nullptr;
};

// An object of the automation model: IDispatch over a list of member names, strict about
// how a put passes its value, as an automation client must. Every object is counted while
// it lives, and the log gets the count each time one goes, so that a test can tell whether
// its client released them all; the server ends when the last one goes. Calls come on the
// threads of the server's multithreaded apartment, one at a time under one lock.
class AutomationObject : public IDispatch {
 public:
  explicit AutomationObject(std::wstring name);
  virtual ~AutomationObject();
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  // The object as the log names it: "Application", "Book1", "Sheet2.Cells(3,1)".
  const std::wstring& name() const { return name_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

  // The event set when the last object goes.
  static void signalWhenNoneLive(HANDLE event);
  // The objects alive now, by name, for the log of a server that gives up waiting.
  static std::wstring liveObjectNames();
  // GetTickCount64 at the last call any object or the class factory took.
  static ULONGLONG lastActivity();
  static void noteActivity();

 protected:
  // The members by name; a member's DISPID is its place in the list, from 1.
  virtual std::vector<std::wstring> memberNames() const = 0;
  // Carries out a call of one of memberNames(), or of the default member when member is empty.
  virtual HRESULT invoke(const std::wstring& member, MemberCall& call) = 0;

  // A failure the client is told of as an automation error with a description; the log
  // gets it as a line starting with "!".
  HRESULT fail(MemberCall& call, const std::wstring& what) const;
  // A member used in a way it cannot be: a get of a method taking arguments it does not
  // take, a put of a read-only property, and the like.
  HRESULT unsupported(MemberCall& call, const std::wstring& member) const;

  static HRESULT returnObject(MemberCall& call, AutomationObject& object);
  // Hands the reference of an object just made over to the result.
  static HRESULT returnMade(MemberCall& call, AutomationObject* made);
  static HRESULT returnLong(MemberCall& call, long value);
  static HRESULT returnBool(MemberCall& call, bool value);
  static HRESULT returnText(MemberCall& call, const std::wstring& text);
  // An optional argument the client left out.
  static bool isMissing(const VARIANT* value);
  static std::optional<long> longOf(const VARIANT* value);
  // A value as the log shows it: a text in quotes, anything else with its variant type.
  static std::wstring describe(const VARIANT* value);

 private:
  std::wstring name_;
  LONG references_ = 1;
};

}  // namespace plovane::test::fake_excel
