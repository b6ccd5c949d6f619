// The library's four in-process server entry points.

#include "capture/TavorAudioDXRecord3.h"
#include "capture/audio_dx_record3.h"

#include "platform/com/class_registry.h"
#include "platform/com/server_module.h"

VELMOR_COM_ENTRY HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != CLSID_AudioDXRecord3) return CLASS_E_CLASSNOTAVAILABLE;
    return com::server::getClassObject<dxrecord::AudioDXRecord3>(riid, ppv);
}

VELMOR_COM_ENTRY HRESULT DllCanUnloadNow() { return com::server::canUnloadNow(); }

VELMOR_COM_ENTRY HRESULT DllRegisterServer()
{
    com::ClassRegistration reg{CLSID_AudioDXRecord3, TavorAudioDXRecord3Lib::kProgId,
                               TavorAudioDXRecord3Lib::kVersionIndependentProgId, "AudioDXRecord3 Class",
                               com::server::thisLibraryPath()};
    return com::registerClass(reg);
}

VELMOR_COM_ENTRY HRESULT DllUnregisterServer() { return com::unregisterClass(CLSID_AudioDXRecord3); }
