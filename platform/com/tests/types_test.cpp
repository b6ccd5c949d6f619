#include "platform/com/com.h"

#include <gtest/gtest.h>

namespace {

TEST(Guid, ParsesAndFormatsRegistryText)
{
    constexpr GUID g = com::guid("{00000001-0000-0010-8000-00aa00389b71}");
    EXPECT_EQ(g.Data1, 1u);
    EXPECT_EQ(g.Data3, 0x10);
    EXPECT_EQ(g.Data4[0], 0x80);
    EXPECT_EQ(g.Data4[7], 0x71);
    EXPECT_EQ(com::toString(g), "{00000001-0000-0010-8000-00AA00389B71}");
    EXPECT_EQ(com::parseGuid(com::toString(g)), g);
    EXPECT_EQ(com::parseGuid("00000001-0000-0010-8000-00AA00389B71"), g);
    EXPECT_FALSE(com::parseGuid("{00000001-0000-0010-8000-00AA00389B7}"));
    EXPECT_FALSE(com::parseGuid("{00000001-0000-0010-8000+00AA00389B71}"));
    EXPECT_FALSE(com::parseGuid("{0000000G-0000-0010-8000-00AA00389B71}"));
}

TEST(Hresult, SuccessAndFailure)
{
    EXPECT_TRUE(SUCCEEDED(S_OK));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_EQ(static_cast<std::uint32_t>(vbObjectError + 109), 0x8004006Du);
    EXPECT_EQ(MAKE_HRESULT(1, 4, 0x301), hresult(0x80040301));
}

TEST(Bstr, LengthPrefixedUtf16)
{
    BSTR b = com::allocBstr("Grüße 🎵");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), 8u); // the note is a surrogate pair
    EXPECT_EQ(SysStringByteLen(b), 16u);
    EXPECT_EQ(b[SysStringLen(b)], u'\0');
    EXPECT_EQ(com::toUtf8(b), "Grüße 🎵");
    SysFreeString(b);

    BSTR embedded = SysAllocStringLen(u"a\0b", 3);
    EXPECT_EQ(SysStringLen(embedded), 3u);
    SysFreeString(embedded);

    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(com::toUtf8(nullptr), "");

    BSTR odd = SysAllocStringByteLen("abc", 3);
    EXPECT_EQ(SysStringByteLen(odd), 3u);
    EXPECT_EQ(SysStringLen(odd), 1u);
    SysFreeString(odd);
}

TEST(Bstr, InvalidUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(com::utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(com::utf8ToUtf16("\xC3"), u"\uFFFD");               // truncated sequence
    EXPECT_EQ(com::utf8ToUtf16("\xC0\xAF"), u"\uFFFD");           // overlong
    EXPECT_EQ(com::utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");       // surrogate
    EXPECT_EQ(com::utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(SafeArray, VectorOfBytesAndShorts)
{
    SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, 440);
    ASSERT_NE(a, nullptr);
    LONG lb = -1, ub = -1;
    EXPECT_EQ(SafeArrayGetLBound(a, 1, &lb), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(a, 1, &ub), S_OK);
    EXPECT_EQ(lb, 0);
    EXPECT_EQ(ub, 439);
    EXPECT_EQ(SafeArrayGetUBound(a, 2, &ub), DISP_E_BADINDEX);
    VARTYPE vt = 0;
    SafeArrayGetVartype(a, &vt);
    EXPECT_EQ(vt, VT_UI1);

    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(a, &data), S_OK);
    static_cast<BYTE*>(data)[439] = 7;
    EXPECT_EQ(SafeArrayDestroy(a), DISP_E_ARRAYISLOCKED);
    SafeArrayUnaccessData(a);
    LONG idx = 439;
    BYTE got = 0;
    EXPECT_EQ(SafeArrayGetElement(a, &idx, &got), S_OK);
    EXPECT_EQ(got, 7);
    idx = 440;
    EXPECT_EQ(SafeArrayGetElement(a, &idx, &got), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(a), S_OK);

    com::SafeArray levels(VT_I2, 2);
    levels.data<SHORT>()[1] = -90;
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(levels.get(), &copy), S_OK);
    EXPECT_EQ(static_cast<SHORT*>(copy->pvData)[1], -90);
    SafeArrayDestroy(copy);

    com::SafeArray empty(VT_UI1, 0);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(SafeArrayGetUBound(empty.get(), 1, &ub), S_OK);
    EXPECT_EQ(ub, -1);
}

TEST(SafeArray, StringElementsAreOwned)
{
    com::SafeArray names(VT_BSTR, 2);
    com::Bstr first("first");
    LONG i = 0;
    ASSERT_EQ(SafeArrayPutElement(names.get(), &i, first.get()), S_OK);
    BSTR out = nullptr;
    ASSERT_EQ(SafeArrayGetElement(names.get(), &i, &out), S_OK);
    EXPECT_NE(out, first.get());
    EXPECT_EQ(com::toUtf8(out), "first");
    SysFreeString(out);
    SAFEARRAYBOUND smaller{1, 0};
    EXPECT_EQ(SafeArrayRedim(names.get(), &smaller), S_OK);
    EXPECT_EQ(names.size(), 1u);
}

TEST(Variant, CopyAndClearOwnWhatTheyHold)
{
    com::Variant s = com::Variant::string("tone");
    com::Variant copy = s;
    EXPECT_NE(copy.bstrVal, s.bstrVal);
    EXPECT_EQ(com::toUtf8(copy.bstrVal), "tone");

    com::SafeArray bytes(VT_UI1, 4);
    bytes.data<BYTE>()[3] = 9;
    com::Variant arr = com::Variant::array(bytes.detach(), VT_UI1);
    com::Variant arrCopy = arr;
    EXPECT_EQ(arrCopy.vt, VT_ARRAY | VT_UI1);
    EXPECT_NE(arrCopy.parray, arr.parray);
    EXPECT_EQ(static_cast<BYTE*>(arrCopy.parray->pvData)[3], 9);

    com::Variant b = com::Variant::boolean(true);
    EXPECT_EQ(b.boolVal, -1);

    // A by-reference VARIANT does not own its target.
    com::Variant target = com::Variant::i8(1LL << 40);
    {
        com::Variant ref = com::Variant::byRef(&target);
        com::Variant value;
        ASSERT_EQ(VariantCopyInd(&value, &ref), S_OK);
        EXPECT_EQ(value.vt, VT_I8);
        EXPECT_EQ(value.llVal, 1LL << 40);
    }
    EXPECT_EQ(target.vt, VT_I8);
}

TEST(Variant, ChangeTypeConvertsAndChecksRanges)
{
    com::Variant out;
    com::Variant big = com::Variant::i4(70000);
    EXPECT_EQ(VariantChangeType(&out, &big, 0, VT_I2), DISP_E_OVERFLOW);
    com::Variant text = com::Variant::string(" 44100 ");
    ASSERT_EQ(VariantChangeType(&out, &text, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 44100);
    com::Variant junk = com::Variant::string("abc");
    EXPECT_EQ(VariantChangeType(&out, &junk, 0, VT_I4), DISP_E_TYPEMISMATCH);
    com::Variant half = com::Variant::r8(2.5);
    ASSERT_EQ(VariantChangeType(&out, &half, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 2); // half to even
    com::Variant yes = com::Variant::i2(5);
    ASSERT_EQ(VariantChangeType(&out, &yes, 0, VT_BOOL), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    com::Variant n = com::Variant::i8(-42);
    ASSERT_EQ(VariantChangeType(&out, &n, 0, VT_BSTR), S_OK);
    EXPECT_EQ(com::toUtf8(out.bstrVal), "-42");
    com::Variant empty;
    ASSERT_EQ(VariantChangeType(&out, &empty, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 0);
}

TEST(ErrorInfo, SetThenTakeClearsIt)
{
    constexpr IID someIid = com::guid("{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(com::setError(hresult(0x80040301), "Busy error.", "Some.Source.1", someIid, "help.chm", 7),
              hresult(0x80040301));
    com::ErrorDetails d;
    ASSERT_TRUE(com::takeError(d));
    EXPECT_EQ(d.description, "Busy error.");
    EXPECT_EQ(d.source, "Some.Source.1");
    EXPECT_EQ(d.iid, someIid);
    EXPECT_EQ(d.helpFile, "help.chm");
    EXPECT_EQ(d.helpContext, 7u);
    IErrorInfo* none = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &none), S_FALSE);
    EXPECT_EQ(none, nullptr);
}

TEST(ErrorInfo, IsPerThread)
{
    com::setError(E_FAIL, "main", "main");
    bool otherSawNone = false;
    std::thread([&] {
        IErrorInfo* info = nullptr;
        otherSawNone = GetErrorInfo(0, &info) == S_FALSE;
    }).join();
    EXPECT_TRUE(otherSawNone);
    com::ErrorDetails d;
    EXPECT_TRUE(com::takeError(d));
    EXPECT_EQ(d.description, "main");
}

} // namespace
