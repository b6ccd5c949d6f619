// The four entry points of libTagmora.so.

#include "tags/automation/frame_objects.h"
#include "tags/automation/frames_object.h"
#include "tags/automation/id3v2_object.h"

using namespace tagmora::automation;

namespace {

struct ClassEntry {
    CLSID clsid;
    const char* progId;
    const char* description;
    HRESULT (*factory)(REFIID, void**);
};

constexpr ClassEntry kClasses[] = {
    {Tagmora::CLSID_clsID3v2, Tagmora::kProgId_clsID3v2, "Tagmora ID3v2.3 tag",
     &com::server::getClassObject<ID3v2Object>},
    {Tagmora::CLSID_clsFrames, Tagmora::kProgId_clsFrames, "Tagmora frame collection",
     &com::server::getClassObject<FramesObject>},
    {Tagmora::CLSID_clsText_Frame, Tagmora::kProgId_clsText_Frame, "Tagmora text frame",
     &com::server::getClassObject<TextFrameObject>},
    {Tagmora::CLSID_clsWeb_Frame, Tagmora::kProgId_clsWeb_Frame, "Tagmora user URL frame",
     &com::server::getClassObject<WebFrameObject>},
    {Tagmora::CLSID_clsComment_Frame, Tagmora::kProgId_clsComment_Frame, "Tagmora comment frame",
     &com::server::getClassObject<CommentFrameObject>},
};

} // namespace

VELMOR_COM_ENTRY HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (const auto& entry : kClasses)
        if (entry.clsid == clsid) return entry.factory(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

VELMOR_COM_ENTRY HRESULT DllCanUnloadNow() { return com::server::canUnloadNow(); }

VELMOR_COM_ENTRY HRESULT DllRegisterServer()
{
    const std::string library = com::server::thisLibraryPath();
    for (const auto& entry : kClasses) {
        com::ClassRegistration reg{entry.clsid, std::string(entry.progId) + ".1", entry.progId, entry.description,
                                   library};
        if (HRESULT hr = com::registerClass(reg); FAILED(hr)) return hr;
    }
    return S_OK;
}

VELMOR_COM_ENTRY HRESULT DllUnregisterServer()
{
    HRESULT result = S_OK;
    for (const auto& entry : kClasses)
        if (HRESULT hr = com::unregisterClass(entry.clsid); FAILED(hr)) result = hr;
    return result;
}
