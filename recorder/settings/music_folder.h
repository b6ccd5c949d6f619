#pragma once
// The user's music folder, where recordings go unless the user chose another
// folder: XDG_MUSIC_DIR of $XDG_CONFIG_HOME/user-dirs.dirs (~/.config by
// default), as the desktop's folder settings keep it; else ~/Music.

#include <string>
#include <string_view>

namespace recorder {

// Not created here: the recording that needs it creates it.
std::string musicFolder();

// XDG_MUSIC_DIR in the text of a user-dirs.dirs file, "$HOME" expanded to
// `home`; "" when the text does not set it to "$HOME…" or an absolute path,
// the only two forms the file allows.
std::string musicDirFromUserDirs(std::string_view text, const std::string& home);

} // namespace recorder
