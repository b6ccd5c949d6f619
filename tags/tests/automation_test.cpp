// libTagmora.so through its automation surface, as the program sees it.

#include "platform/com/com.h"
#include "platform/com/tests/com_test_env.h"
#include "tags/Tagmora.h"

#include <filesystem>
#include <fstream>

using namespace Tagmora;

namespace {

class TagmoraServer : public ComRegistryTest {
protected:
    void SetUp() override
    {
        ComRegistryTest::SetUp();
        ASSERT_EQ(com::registerServerLibrary(TAGMORA_PATH, false), S_OK);
    }
    template <class I>
    com::ComPtr<I> create(REFCLSID clsid)
    {
        com::ComPtr<I> p;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, p.putVoid()), S_OK);
        return p;
    }
    // The error information of the last failure.
    com::ErrorDetails error()
    {
        com::ErrorDetails d;
        EXPECT_TRUE(com::takeError(d));
        return d;
    }
    std::string file(const std::string& name, const std::string& bytes)
    {
        std::string path = home_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
};

std::vector<BYTE> bytesOf(SAFEARRAY* a)
{
    auto* p = static_cast<BYTE*>(a->pvData);
    return std::vector<BYTE>(p, p + com::elementCount(a));
}

com::SafeArray byteArray(std::vector<BYTE> bytes)
{
    com::SafeArray a(VT_UI1, static_cast<ULONG>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), a.data<BYTE>());
    return a;
}

TEST_F(TagmoraServer, RegistersEveryClassByIdAndProgId)
{
    for (const char* progId : {kProgId_clsID3v2, kProgId_clsFrames, kProgId_clsText_Frame, kProgId_clsWeb_Frame,
                               kProgId_clsComment_Frame}) {
        com::ComPtr<IDispatch> object;
        EXPECT_EQ(com::createInstance(progId, IID_IDispatch, object.putVoid()), S_OK) << progId;
    }
    auto web = create<_clsWeb_Frame>(CLSID_clsWeb_Frame);
    EXPECT_TRUE(web.as<_clsFrame>()) << "every frame class answers the shared frame interface";
    EXPECT_FALSE(web.as<_clsComment_Frame>());
}

TEST_F(TagmoraServer, TagRoundTripThroughTheTypedInterface)
{
    std::string path = file("a.mp3", std::string(2000, '\x55'));
    auto tag = create<_clsID3v2>(CLSID_clsID3v2);
    VARIANT_BOOL has = 1;
    tag->get_HasTag(&has);
    EXPECT_EQ(has, VARIANT_FALSE);
    com::Bstr title(std::string_view("T\xc3\xadtulo \xe6\x97\xa5"));
    ASSERT_EQ(tag->SetFrameValue(eTitle, title.get()), S_OK);
    com::Bstr bpath(path);
    ASSERT_EQ(tag->WriteTag(bpath.get(), VARIANT_FALSE), S_OK);
    tag->get_HasTag(&has);
    EXPECT_EQ(has, VARIANT_TRUE);

    auto fresh = create<_clsID3v2>(CLSID_clsID3v2);
    ASSERT_EQ(fresh->ReadTag(bpath.get()), S_OK);
    com::Bstr value;
    ASSERT_EQ(fresh->GetFrameValue(eTitle, value.put()), S_OK);
    EXPECT_EQ(value.utf8(), "T\xc3\xadtulo \xe6\x97\xa5");
    ASSERT_EQ(fresh->GetFrameValue(eArtist, value.put()), S_OK);
    EXPECT_EQ(value.utf8(), "");
}

TEST_F(TagmoraServer, FailuresArriveAsAutomationErrors)
{
    auto tag = create<_clsID3v2>(CLSID_clsID3v2);
    com::Bstr value;
    EXPECT_EQ(tag->GetFrameValue(static_cast<ID3FrameIDs>(13), value.put()), errorCode(kErrUnknownFrameId));
    auto d = error();
    EXPECT_EQ(d.source, "ID3v2::LookupFrameID");
    EXPECT_EQ(d.description, "An unknown frame ID (%FRAMEID%)  was supplied.");
    EXPECT_EQ(d.iid, _clsID3v2::iid);

    std::string missing = home_ + "/missing.mp3";
    com::Bstr path(missing);
    EXPECT_EQ(tag->ReadTag(path.get()), hresult(0x8004006D));
    d = error();
    EXPECT_EQ(d.source, "ID3v2::ReadTag");
    EXPECT_EQ(d.description, "The file, " + missing + ", was not found.");

    auto support = tag.as<ISupportErrorInfo>();
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(_clsID3v2::iid), S_OK);

    auto text = create<_clsFrame>(CLSID_clsText_Frame);
    com::Bstr tit(std::string_view("TIT"));
    EXPECT_EQ(text->put_FrameID(tit.get()), errorCode(kErrInvalidFrameId));
    d = error();
    EXPECT_EQ(d.source, "Text_Frame::FrameID");
    EXPECT_EQ(d.description, "The frame ID, TIT, supplied is invalid.");

    auto three = byteArray({1, 2, 3});
    EXPECT_EQ(text->setFlags(three.get()), errorCode(kErrInvalidFlags));
    EXPECT_EQ(error().source, "Text_Frame::setFlags");
    com::SafeArray empty(VT_UI1, 0);
    EXPECT_EQ(text->parseBytes(empty.get()), errorCode(kErrInvalidTextFrame));
    EXPECT_EQ(error().source, "TextFrame::parseBytes");

    auto frames = create<_clsFrames>(CLSID_clsFrames);
    EXPECT_EQ(frames->Add(nullptr), errorCode(kErrInvalidFrameObject));
    d = error();
    EXPECT_EQ(d.source, "cFrames::Add");
    EXPECT_EQ(d.description, "The frame object supplied is invalid.");
}

TEST_F(TagmoraServer, FrameClassesParseAndRenderBytes)
{
    auto comment = create<_clsComment_Frame>(CLSID_clsComment_Frame);
    auto body = byteArray({0x00, 0x65, 0x6E, 0x67, 0x00, 0x68, 0x69});
    ASSERT_EQ(comment->parseBytes(body.get()), S_OK);
    com::Bstr text;
    comment->get_Language(text.put());
    EXPECT_EQ(text.utf8(), "eng");
    comment->get_Data(text.put());
    EXPECT_EQ(text.utf8(), "hi");
    com::SafeArray out;
    ASSERT_EQ(comment->getBytes(out.put()), S_OK);
    EXPECT_EQ(bytesOf(out.get()), (std::vector<BYTE>{0x00, 0x65, 0x6E, 0x67, 0x00, 0x68, 0x69}));
    LONG size = 0;
    comment->get_FrameSize(&size);
    EXPECT_EQ(size, 7);

    auto flags = byteArray({0x40, 0x01});
    ASSERT_EQ(comment->setFlags(flags.get()), S_OK);
    ASSERT_EQ(comment->getFlags(out.put()), S_OK);
    EXPECT_EQ(bytesOf(out.get()), (std::vector<BYTE>{0x40, 0x01}));

    auto text2 = create<_clsFrame>(CLSID_clsText_Frame);
    com::Bstr rock(std::string_view("Rock"));
    text2->put_Data(rock.get());
    ASSERT_EQ(text2->getBytes(out.put()), S_OK);
    EXPECT_EQ(bytesOf(out.get()), (std::vector<BYTE>{0x00, 0x52, 0x6F, 0x63, 0x6B, 0x00}));
}

TEST_F(TagmoraServer, FrameCollectionKeepsOrderAndEnumerates)
{
    auto frames = create<_clsFrames>(CLSID_clsFrames);
    auto a = create<_clsFrame>(CLSID_clsText_Frame);
    auto b = create<_clsFrame>(CLSID_clsWeb_Frame);
    auto c = create<_clsFrame>(CLSID_clsComment_Frame);
    for (auto* f : {a.get(), b.get(), c.get()}) ASSERT_EQ(frames->Add(f), S_OK);
    LONG count = 0;
    frames->get_Count(&count);
    EXPECT_EQ(count, 3);
    com::ComPtr<_clsFrame> second;
    ASSERT_EQ(frames->Item(2, second.put()), S_OK);
    EXPECT_EQ(second.get(), b.get());
    EXPECT_EQ(frames->Item(4, second.put()), kFileSystemErrors::SubscriptOutOfRange);
    error();
    ASSERT_EQ(frames->Remove(1), S_OK);

    com::ComPtr<IUnknown> unknown;
    ASSERT_EQ(frames->NewEnum(unknown.put()), S_OK);
    auto e = unknown.as<IEnumVARIANT>();
    ASSERT_TRUE(e);
    VARIANT items[3];
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(3, items, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(items[0].vt, VT_DISPATCH);
    EXPECT_EQ(static_cast<IDispatch*>(b.get()), items[0].pdispVal);
    for (ULONG i = 0; i < fetched; ++i) VariantClear(&items[i]);

    frames->Clear();
    frames->get_Count(&count);
    EXPECT_EQ(count, 0);
}

TEST_F(TagmoraServer, LateBoundCallsReachTheSameMembers)
{
    auto tag = create<_clsID3v2>(CLSID_clsID3v2);
    com::ComPtr<IDispatch> disp = tag.as<IDispatch>();
    auto id = [&](const char16_t* name) {
        std::u16string n(name);
        OLECHAR* names[] = {n.data()};
        DISPID d = DISPID_UNKNOWN;
        EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &d), S_OK);
        return d;
    };
    // DispCall borrows its arguments: keep them alive over the call.
    com::Variant field = com::Variant::i4(eAlbum), album = com::Variant::string("Album");
    com::DispCall set({field, album});
    ASSERT_EQ(disp->Invoke(id(u"setframevalue"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, set.params(), nullptr,
                           nullptr, nullptr),
              S_OK);
    com::DispCall get({field});
    com::Variant result;
    ASSERT_EQ(disp->Invoke(id(u"GetFrameValue"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, get.params(), &result,
                           nullptr, nullptr),
              S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(com::toUtf8(result.bstrVal), "Album");

    com::Variant zero = com::Variant::i4(0);
    com::DispCall bad({zero});
    EXCEPINFO excep{};
    EXPECT_EQ(disp->Invoke(id(u"GetFrameValue"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, bad.params(), result.put(),
                           &excep, nullptr),
              errorCode(kErrUnknownFrameId));
    EXPECT_EQ(com::toUtf8(excep.bstrSource), "ID3v2::LookupFrameID");
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);

    com::DispCall none;
    ASSERT_EQ(disp->Invoke(id(u"HasTag"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, none.params(), result.put(),
                           nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_FALSE);
}

TEST_F(TagmoraServer, LibraryUnloadsOnceEveryObjectIsReleased)
{
    const std::string path = std::filesystem::canonical(TAGMORA_PATH).string();
    {
        auto tag = create<_clsID3v2>(CLSID_clsID3v2);
        CoFreeUnusedLibraries();
        EXPECT_TRUE(com::isLibraryLoaded(path));
    }
    CoFreeUnusedLibraries();
    EXPECT_FALSE(com::isLibraryLoaded(path));
}

} // namespace
