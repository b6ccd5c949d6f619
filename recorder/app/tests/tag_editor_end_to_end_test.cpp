// From a recording to its tags, as a person does it: record an MP3 in the
// main window, open "Edit ID3", pick the recordings' folder, type a title and
// save; mutagen reads the title from the recorded file.

#include "recorder/app/tests/recorder_window_env.h"

#include "platform/com/class_registry.h"
#include "recorder/tagging/ui/frmid3v.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace recorder {
namespace {

std::string mutagenTitle(const std::string& path)
{
    const std::string command = std::string(TAGMORA_PYTHON) +
                                " -c 'import sys; from mutagen.id3 import ID3; print(ID3(sys.argv[1])[\"TIT2\"])' '" +
                                path + "' 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

using TagEditorEndToEnd = RecorderWindowTest;

TEST_F(TagEditorEndToEnd, ARecordedMp3GetsItsTitleThroughEditId3)
{
    ASSERT_EQ(com::registerServerLibrary(TAGMORA_PATH, false), S_OK);
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->cboEncoders->setCurrentIndex(1); // MP3
    recordTone(2.0);
    const std::string recording = form_->currentRecordPath();
    ASSERT_EQ(recording, home_ + "/Music/Recorded.MP3");
    ASSERT_TRUE(std::filesystem::exists(recording));

    QAction* editId3 = form_->menuAction("Edit ID3");
    ASSERT_TRUE(editId3->isEnabled());
    bool edited = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<Frmid3v*>(QApplication::activeModalWidget());
        if (!editor) return;
        editor->UpdateFolder(home_ + "/Music");
        if (editor->lvw->topLevelItemCount() == 1 && editor->lvw->topLevelItem(0)->text(0) == "Recorded.MP3") {
            editor->lvw->setCurrentItem(editor->lvw->topLevelItem(0));
            editor->chkv2->setChecked(true);
            editor->txtv2[1]->setText("Morning take");
            editor->SaveItems();
            edited = editor->lvw->topLevelItem(0)->text(1) == "ID3v2";
        }
        editor->accept();
    });
    editId3->trigger(); // modal until the editor is closed
    EXPECT_TRUE(edited) << "the editor listed the recording and saved its tag";
    EXPECT_EQ(mutagenTitle(recording), "Morning take");
    EXPECT_TRUE(prompts_.messages.empty());
}

} // namespace
} // namespace recorder
