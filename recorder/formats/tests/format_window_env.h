#pragma once
// The format windows over real parts: a capture control created through the
// class registry of a fresh application folder, a file component and the
// two encoder settings objects, as the main window holds them.

#include "recorder/widgets/testing/scripted_prompts.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/components/mp3_lame.h"
#include "recorder/fileutil/tests/scratch_files.h"
#include "recorder/formats/ui/format_components.h"
#include "recorder/recording/format_values.h"

#include "platform/com/class_registry.h"
#include "platform/com/com_ptr.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace recorder {

class FormatWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home_.set(folder_.path());
        ASSERT_EQ(com::registerServerLibrary(CAPTURE_LIBRARY, false), S_OK);
        CoCreateInstance(CLSID_AudioDXRecord3, nullptr, CLSCTX_INPROC_SERVER, IID_REduruZUZedova3, capture_.putVoid());
        ASSERT_TRUE(capture_);
        file_.UseMp3Settings(mp3_);
        formatValues() = FormatValues{};
    }
    void TearDown() override
    {
        capture_.reset();
        CoFreeUnusedLibraries();
    }

    // The program's values as the main window reads them at load.
    void readValues() { readFormatValues(settings(), formatValues()); }
    std::string settings() const { return folder_ / "settings.dat"; }
    void writeSettings(const std::string& text) { scratch::write(settings(), text); }
    std::string settingsText() const { return scratch::read(settings()); }

    FormatComponents components()
    {
        return {capture_.get(), &file_, &aac_, mp3_.get(), &prompts_};
    }

    // Runs `act` on the modal dialog the next call opens (exec blocks until it closes).
    static void onNextModal(std::function<void(QWidget*)> act)
    {
        QTimer::singleShot(0, [act] {
            if (QWidget* modal = QApplication::activeModalWidget()) act(modal);
        });
    }

    scratch::Folder folder_;
    scratch::Env home_{"VELMOR_HOME"};
    com::ComPtr<REduruZUZedova3> capture_;
    AudioFile file_;
    AudioFormatSettings aac_;
    std::shared_ptr<MP3Lame> mp3_ = std::make_shared<MP3Lame>();
    ScriptedPrompts prompts_;
};

} // namespace recorder
