#pragma once

#include <QString>

// Base directories of the XDG base-directory scheme, read from the environment
// at every call so that a changed environment takes effect at once.
namespace xdg {

// $XDG_CONFIG_HOME, else ~/.config
QString ConfigHome();
// First entry of $XDG_CONFIG_DIRS, else /etc/xdg
QString FirstConfigDir();
// $XDG_DATA_HOME, else ~/.local/share
QString DataHome();
// $XDG_STATE_HOME, else ~/.local/state
QString StateHome();
// $XDG_RUNTIME_DIR when it names an existing directory, else empty
QString RuntimeDir();

}  // namespace xdg
