// A registered in-process server for the COM layer's tests.

#include "platform/com/tests/test_server.h"

#include "platform/com/connection_point.h"
#include "platform/com/errorinfo.h"
#include "platform/com/server_module.h"

using namespace test_server;

namespace {

class Counter final : public com::Implements<ICounter, IConnectionPointContainer, ISupportErrorInfo>,
                      private com::server::ModuleObject {
public:
    HRESULT Add(LONG amount) override
    {
        total_ += amount;
        return S_OK;
    }
    HRESULT get_Total(LONG* total) override
    {
        if (!total) return E_POINTER;
        *total = total_;
        return S_OK;
    }
    HRESULT Fail() override { return com::setError(kFailCode, "Counter failed.", kProgId, ICounter::iid); }
    HRESULT Fire(BSTR text) override
    {
        events_.fire(kChanged, {com::Variant::i4(total_), com::Variant::string(com::toUtf8(text))});
        return S_OK;
    }

    HRESULT GetTypeInfoCount(UINT* n) override
    {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, OLECHAR** names, UINT count, LCID, DISPID* ids) override
    {
        static constexpr com::DispatchName table[] = {{"Add", kAdd}, {"Total", kTotal}, {"Fail", kFail}, {"Fire", kFire}};
        return com::lookupDispIds(table, 4, names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT*) override
    {
        com::DispArgs args(params);
        HRESULT hr = DISP_E_MEMBERNOTFOUND;
        switch (id) {
        case kAdd: {
            LONG n = 0;
            hr = args.getLong(0, n);
            if (SUCCEEDED(hr)) hr = Add(n);
            break;
        }
        case kTotal: {
            LONG t = 0;
            hr = get_Total(&t);
            if (result) {
                VariantClear(result);
                result->vt = VT_I4;
                result->lVal = t;
            }
            break;
        }
        case kFail:
            hr = Fail();
            break;
        case kFire: {
            std::string text;
            args.getString(0, text);
            com::Bstr b(text);
            hr = Fire(b.get());
            break;
        }
        }
        if (FAILED(hr) && excep) com::fillExcepInfo(excep, hr);
        return hr;
    }

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** pp) override { return com::enumConnectionPoints({&events_}, pp); }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** pp) override
    {
        return com::findConnectionPoint({&events_}, riid, pp);
    }
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override { return riid == ICounter::iid ? S_OK : S_FALSE; }

private:
    LONG total_ = 0;
    com::ConnectionPoint events_{this, DIID_CounterEvents};
};

} // namespace

VELMOR_COM_ENTRY HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != CLSID_Counter) return CLASS_E_CLASSNOTAVAILABLE;
    return com::server::getClassObject<Counter>(riid, ppv);
}

VELMOR_COM_ENTRY HRESULT DllCanUnloadNow() { return com::server::canUnloadNow(); }

VELMOR_COM_ENTRY HRESULT DllRegisterServer()
{
    com::ClassRegistration reg{CLSID_Counter, kProgId, kVersionIndependentProgId, "Velmor test counter",
                               com::server::thisLibraryPath()};
    return com::registerClass(reg);
}

VELMOR_COM_ENTRY HRESULT DllUnregisterServer() { return com::unregisterClass(CLSID_Counter); }
