// Choosing the device: by number within the list, or by the source's stable
// name, which looks at the server afresh.

#include "capture/tests/control_fixture.h"

namespace capture_test {
namespace {

using ControlSelection = ControlTest;

std::string errorDescription()
{
    com::ErrorDetails details;
    if (!com::takeError(details)) return "(no error information)";
    EXPECT_EQ(details.source, "TavorAudioDXRecord3.AudioDXRecord3.1");
    EXPECT_EQ(details.iid, IID_REduruZUZedova3);
    return details.description;
}

HRESULT selectByName(REduruZUZedova3* control, const std::string& name)
{
    com::Bstr param(kSourceNameParam);
    return control->SetAdditionalParam(param.get(), com::Variant::string(name));
}

std::string selectedName(REduruZUZedova3* control)
{
    com::Bstr param(kSourceNameParam);
    com::Variant v;
    EXPECT_EQ(control->GetAdditionalParam(param.get(), v.put()), S_OK);
    return v.vt == VT_BSTR ? com::toUtf8(v.bstrVal) : "(not a string)";
}

LONG deviceNum(REduruZUZedova3* control)
{
    LONG n = -2;
    control->get_devInputNum(&n);
    return n;
}

TEST_F(ControlSelection, ADeviceNumberOutsideTheListIsRefusedAndTheSelectionStays)
{
    createControl();
    LONG count = 0;
    control_->get_devInputCount(&count);
    ASSERT_GE(count, 2);
    ASSERT_EQ(control_->put_devInputNum(count), S_OK);
    EXPECT_EQ(control_->put_devInputNum(count + 1), E_INVALIDARG);
    EXPECT_EQ(errorDescription(),
              "Device number " + std::to_string(count + 1) + " is out of range: the devices are numbered 0 to " +
                  std::to_string(count) + ".");
    EXPECT_EQ(deviceNum(control_.get()), count);
    EXPECT_EQ(control_->put_devInputNum(-3), E_INVALIDARG);
    errorDescription();
    EXPECT_EQ(deviceNum(control_.get()), count);

    // Through IDispatch the failure arrives as an exception with the same text.
    DISPID put = DISPID_PROPERTYPUT;
    com::Variant value = com::Variant::i4(count + 7);
    DISPPARAMS params{&value, &put, 1, 1};
    EXCEPINFO excep{};
    EXPECT_EQ(control_->Invoke(DISPID_devInputNum, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, &excep, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, E_INVALIDARG);
    EXPECT_NE(com::toUtf8(excep.bstrDescription).find("out of range"), std::string::npos);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrHelpFile);
}

TEST_F(ControlSelection, ASourceIsSelectedByItsNameEvenWhenItCameAfterTheControl)
{
    createControl();
    LONG before = 0;
    control_->get_devInputCount(&before);
    auto& late = addSource("velmor_ctl_late");
    ASSERT_EQ(selectByName(control_.get(), "velmor_ctl_late"), S_OK);
    com::Bstr description;
    control_->get_devInputName(description.put());
    EXPECT_EQ(description.utf8(), late.description());
    EXPECT_EQ(selectedName(control_.get()), "velmor_ctl_late");
    LONG after = 0;
    control_->get_devInputCount(&after);
    EXPECT_EQ(after, before + 1) << "the list was taken afresh";

    // It records from that source.
    control_->put_AudioArrayDuration(100);
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    testsound::SignalWriter writer(late, testsound::Signal::sine(1000, 0.5, 2), 2.0);
    writer.start(44100 / 2);
    EXPECT_TRUE(pumpUntil([&] { return sink_->count(DISPID_EndArrayRecord) >= 2; }));
    control_->Stop();

    ASSERT_EQ(selectByName(control_.get(), ""), S_OK);
    EXPECT_EQ(deviceNum(control_.get()), 0) << "the empty name is the default device";
}

TEST_F(ControlSelection, AnAbsentSourceFailsWithAReasonAndLeavesNothingToRecordFrom)
{
    auto& source = addSource("velmor_ctl_present");
    createControl();
    ASSERT_EQ(selectByName(control_.get(), source.name()), S_OK);
    EXPECT_EQ(selectByName(control_.get(), "velmor_ctl_absent"), E_DXREC_INPUT_DRIVER);
    EXPECT_EQ(errorDescription(), "The sound server has no source named \"velmor_ctl_absent\".");
    EXPECT_EQ(deviceNum(control_.get()), -1);
    EXPECT_EQ(selectedName(control_.get()), "");
    EXPECT_TRUE(FAILED(control_->Start(44100, 2, 16)));
    com::ErrorDetails ignored;
    com::takeError(ignored);
    EXPECT_FALSE(started());

    com::Bstr param(kSourceNameParam);
    EXPECT_EQ(control_->SetAdditionalParam(param.get(), com::Variant::i4(3)), E_INVALIDARG);
    EXPECT_EQ(errorDescription(), "The source name must be a string.");
}

} // namespace
} // namespace capture_test
