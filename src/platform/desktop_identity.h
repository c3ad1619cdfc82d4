#pragma once

// How the program is known to the desktop: the one reverse-DNS id names the
// installed desktop entry (<id>.desktop), the application icon of the
// hicolor theme and the program's D-Bus name.
namespace desktop {

inline constexpr const char* kApplicationId = "com.quillmoor.Plumora";
inline constexpr const char* kIconName = kApplicationId;
// The Name= of the installed desktop entry.
inline constexpr const char* kDisplayName = "Plumora";

}  // namespace desktop
