// The main window's way into the player: "Audio Player" in the Action menu and
// its picture button open the player window modally.

#include "recorder/app/form1.h"

#include "recorder/widgets/picture_button.h"
#include "recorder/player/ui/mplay3.h"

#include <QAction>

namespace recorder {

namespace {

constexpr int kAudioPlayerPictureButton = 4;

} // namespace

void Form1::connectAudioPlayer()
{
    menuAction("Audio Player")->setEnabled(true);
    pictureButtons[kAudioPlayerPictureButton]->setEnabled(true);
    connect(menuAction("Audio Player"), &QAction::triggered, this, &Form1::openAudioPlayer);
    connect(pictureButtons[kAudioPlayerPictureButton], &PictureButton::clicked, this, &Form1::openAudioPlayer);
}

void Form1::openAudioPlayer()
{
    MPlay3 player(prompts_, this);
    player.exec();
}

} // namespace recorder
