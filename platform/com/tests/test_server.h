#pragma once
// The interface of the small COM server the layer's tests load.

#include "platform/com/dispatch.h"

namespace test_server {

inline constexpr CLSID CLSID_Counter = com::guid("{6F1D2A40-3B7C-4E55-9A0E-2C4B8D7E1F01}");
inline constexpr IID DIID_CounterEvents = com::guid("{6F1D2A41-3B7C-4E55-9A0E-2C4B8D7E1F01}");
inline constexpr const char* kProgId = "VelmorTest.Counter.1";
inline constexpr const char* kVersionIndependentProgId = "VelmorTest.Counter";

// Dual interface: the typed members, and the same through Invoke.
struct ICounter : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = com::guid("{6F1D2A42-3B7C-4E55-9A0E-2C4B8D7E1F01}");
    virtual HRESULT Add(LONG amount) = 0;           // dispid 1
    virtual HRESULT get_Total(LONG* total) = 0;     // dispid 2
    virtual HRESULT Fail() = 0;                     // dispid 3: fails with error information
    virtual HRESULT Fire(BSTR text) = 0;            // dispid 4: raises Changed(total, text)
};

enum : DISPID { kAdd = 1, kTotal = 2, kFail = 3, kFire = 4 };
enum : DISPID { kChanged = 1 };

inline constexpr HRESULT kFailCode = vbObjectError + 513;

} // namespace test_server
