// The work surfaces every screen draws on, by the names the surface engine gives them.
#pragma once

// The frame being composed, copied to the display where it changed.
inline constexpr const char* kFrame = "MemorySurface";
// The current screen's background, restored under whatever moves.
inline constexpr const char* kBackground = "BackGround";
