#include "class_factory.h"

#include "application.h"
#include "server_log.h"

namespace plovane::test::fake_excel {

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  AutomationObject::noteActivity();
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  ServerLog::write(L"Application made");
  auto* application = new Application;
  const HRESULT outcome = application->QueryInterface(iid, object);
  application->Release();
  return outcome;
}

}  // namespace plovane::test::fake_excel
