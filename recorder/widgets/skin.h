#pragma once
// The application skin: "skins/frmmain.skn" in the application folder, read
// as a Qt style sheet and applied to each window that loads. Plain windows
// when the file is missing or unreadable.

class QWidget;

namespace recorder {

void applySkin(QWidget* window);

} // namespace recorder
