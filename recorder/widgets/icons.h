#pragma once
// The pictures of the main window's buttons, drawn at run time so that the
// program carries no image files.

#include <QIcon>

namespace recorder::icons {

QIcon record();
QIcon stop();
QIcon play();
QIcon pause();
QIcon folder();
QIcon settings();
QIcon player();
QIcon mixer();
QIcon schedule();
QIcon help();
QIcon exitIcon();
QIcon tag();

} // namespace recorder::icons
