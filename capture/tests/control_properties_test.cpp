// Property defaults and put rules, the small interfaces, and late binding.

#include "capture/tests/control_fixture.h"

namespace capture_test {
namespace {

using ControlProperties = ControlTest;

LONG getLong(REduruZUZedova3* c, HRESULT (REduruZUZedova3::*get)(LONG*))
{
    LONG v = 12345;
    EXPECT_EQ((c->*get)(&v), S_OK);
    return v;
}

TEST_F(ControlProperties, DefaultsAndPutRules)
{
    createControl();
    auto* c = control_.get();
    using R = REduruZUZedova3;
    EXPECT_EQ(getLong(c, &R::get_SampleRate), 44100);
    EXPECT_EQ(getLong(c, &R::get_Channels), 2);
    EXPECT_EQ(getLong(c, &R::get_SampleSize), 16);
    EXPECT_EQ(getLong(c, &R::get_AudioArrayDuration), 1000);
    EXPECT_EQ(getLong(c, &R::get_TimerInterval), 20);
    EXPECT_EQ(getLong(c, &R::get_LevelDynamicRange), 2);
    EXPECT_EQ(getLong(c, &R::get_LevelTimeRange), 20);
    EXPECT_EQ(getLong(c, &R::get_LevelLatency), 100);
    EXPECT_EQ(getLong(c, &R::get_Gain), 0);
    EXPECT_EQ(getLong(c, &R::get_GainBalance), 0);
    EXPECT_EQ(getLong(c, &R::get_AccuAttackTime), 100);
    EXPECT_EQ(getLong(c, &R::get_AccuReleaseTime), 300);
    EXPECT_EQ(getLong(c, &R::get_AccuAttackLevel), -50);
    EXPECT_EQ(getLong(c, &R::get_AccuReleaseLevel), -50);
    EXPECT_EQ(getLong(c, &R::get_VariantTypeRangeMode), 2);
    EXPECT_EQ(getLong(c, &R::get_devInputNum), 1);
    VARIANT_BOOL b = 7;
    c->get_AccuEnabled(&b);
    EXPECT_EQ(b, 0);
    c->get_TimerEnabled(&b);
    EXPECT_EQ(b, 1);
    c->IsStarted(&b);
    EXPECT_EQ(b, VARIANT_FALSE);

    com::Variant samples, time;
    c->get_SamplesCurrent(samples.put());
    EXPECT_EQ(samples.vt, VT_I8);
    c->put_VariantTypeRangeMode(0);
    EXPECT_EQ(getLong(c, &R::get_VariantTypeRangeMode), 1);
    c->get_SamplesCurrent(samples.put());
    c->get_CurrentTime(time.put());
    EXPECT_EQ(samples.vt, VT_I4);
    EXPECT_EQ(time.vt, VT_I4);
    EXPECT_EQ(time.lVal, samples.lVal);
    c->put_VariantTypeRangeMode(7);
    EXPECT_EQ(getLong(c, &R::get_VariantTypeRangeMode), 2);

    c->put_Gain(-2500);
    EXPECT_EQ(getLong(c, &R::get_Gain), -2500);
    c->put_GainBalance(-5000);
    EXPECT_EQ(getLong(c, &R::get_GainBalance), -5000);
    c->put_AccuReleaseLevel(35);
    EXPECT_EQ(getLong(c, &R::get_AccuReleaseLevel), -35);
    c->put_AccuAttackLevel(-40);
    EXPECT_EQ(getLong(c, &R::get_AccuAttackLevel), -40);

    const LONG count = getLong(c, &R::get_devInputCount);
    ASSERT_GE(count, 2); // the default device, the fixture's pipe source and the null sink's monitor
    c->put_devInputNum(0);
    EXPECT_EQ(getLong(c, &R::get_devInputNum), 0);
    com::Bstr name;
    c->get_devInputName(name.put());
    EXPECT_EQ(name.utf8(), "Default capture device");
    c->put_devInputNum(count);
    EXPECT_EQ(getLong(c, &R::get_devInputNum), count); // numbers outside the list: control_selection_test

    c->put_TimerInterval(0); // stored as given
    EXPECT_EQ(getLong(c, &R::get_TimerInterval), 0);
    c->put_LevelLatency(-1);
    EXPECT_EQ(getLong(c, &R::get_LevelLatency), -1);

    com::Bstr param("Anything");
    EXPECT_EQ(c->SetAdditionalParam(param.get(), com::Variant::i4(5)), S_OK);
    com::Variant value;
    EXPECT_EQ(c->GetAdditionalParam(param.get(), value.put()), S_OK);
    EXPECT_TRUE(value.empty());
    EXPECT_EQ(lostFrames(), 0);
}

TEST_F(ControlProperties, IdleArraysAreEmptyAndTheObjectAnswersItsInterfaces)
{
    createControl();
    SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, 3); // replaced, not leaked
    EXPECT_EQ(control_->ReceiveAudioArray(&a), S_OK);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(com::elementCount(a), 0u);
    LONG clock = 99;
    EXPECT_EQ(control_->ReceiveAudioArray2(&a, &clock), S_OK);
    EXPECT_EQ(clock, 0);
    EXPECT_EQ(control_->GetCurrentArray(100, &a), S_OK);
    EXPECT_EQ(com::elementCount(a), 0u);
    SafeArrayDestroy(a);

    auto dispatch = control_.as<IDispatch>();
    EXPECT_EQ(static_cast<void*>(dispatch.get()), static_cast<void*>(control_.get()));
    auto errors = control_.as<ISupportErrorInfo>();
    ASSERT_TRUE(errors);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_REduruZUZedova3), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    auto site = control_.as<IObjectWithSite>();
    ASSERT_TRUE(site);
    site->SetSite(sink_.get());
    com::ComPtr<IDispatch> back;
    EXPECT_EQ(site->GetSite(IID_IDispatch, back.putVoid()), S_OK);
    EXPECT_EQ(back.get(), static_cast<IDispatch*>(sink_.get()));
    site->SetSite(nullptr);
    auto points = control_.as<IConnectionPointContainer>();
    com::ComPtr<IConnectionPoint> point;
    EXPECT_EQ(points->FindConnectionPoint(DIID__REduruZUZedova3Events, point.put()), S_OK);
    EXPECT_EQ(points->FindConnectionPoint(IID_REduruZUZedova3, point.put()), CONNECT_E_NOCONNECTION);
}

TEST_F(ControlProperties, LateBoundCallsReachTheSameMembers)
{
    createControl();
    auto dispatch = control_.as<IDispatch>();
    com::Bstr gainName("gain"), receiveName("ReceiveAudioArray2");
    OLECHAR* names[] = {gainName.get()};
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, DISPID_Gain);

    com::Variant value = com::Variant::i4(-2500);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &putId, 1, 1};
    EXPECT_EQ(dispatch->Invoke(DISPID_Gain, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
              S_OK);
    com::Variant result;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch->Invoke(DISPID_Gain, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.put(), nullptr,
                               nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, -2500);

    // TimerEnabled keeps a numeric value as given.
    value = com::Variant::i4(1);
    dispatch->Invoke(DISPID_TimerEnabled, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr);
    dispatch->Invoke(DISPID_TimerEnabled, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.put(), nullptr,
                     nullptr);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, 1);

    // An out array through a by-reference VARIANT, the clock as the result.
    com::Variant array;
    VARIANT ref;
    ref.vt = VT_BYREF | VT_VARIANT;
    ref.pvarVal = &array;
    DISPPARAMS one{&ref, nullptr, 1, 0};
    EXPECT_EQ(dispatch->Invoke(DISPID_ReceiveAudioArray2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &one, result.put(),
                               nullptr, nullptr),
              S_OK);
    EXPECT_EQ(array.vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(com::elementCount(array.parray), 0u);
    EXPECT_EQ(result.vt, VT_I4);

    // IsStarted through automation, and a dispid that does not exist.
    EXPECT_EQ(dispatch->Invoke(DISPID_IsStarted, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                               &none, result.put(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_FALSE);
    EXPECT_EQ(dispatch->Invoke(999, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

} // namespace
} // namespace capture_test
