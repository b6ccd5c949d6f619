// The main window's way into the tag editor: "Edit ID3" and the tag button
// open it modally; it starts in the folder it remembered itself.

#include "recorder/app/form1.h"

#include "recorder/widgets/picture_button.h"
#include "recorder/tagging/ui/frmid3v.h"
#include "recorder/widgets/player_message_boxes.h"

#include <QAction>

namespace recorder {

namespace {

constexpr int kEditID3PictureButton = 9;

} // namespace

void Form1::connectTagEditor()
{
    menuAction("Edit ID3")->setEnabled(true);
    pictureButtons[kEditID3PictureButton]->setEnabled(true);
    connect(menuAction("Edit ID3"), &QAction::triggered, this, &Form1::openTagEditor);
    connect(pictureButtons[kEditID3PictureButton], &PictureButton::clicked, this, &Form1::openTagEditor);
}

void Form1::openTagEditor()
{
    PlayerMessageBoxes messages(this);
    Frmid3v editor(prompts_, messages, this);
    editor.exec();
}

} // namespace recorder
