// The settings byte kept in KL_Env.cfg and the corner placement, as plain
// functions: bits 0-1 the corner (0 upper left, 1 upper right, 2 lower left,
// 3 lower right), bit 2 topmost, bits 3-7 kept as read.
#pragma once

#include <windows.h>

#include <cstddef>

namespace horlin {

constexpr unsigned char kDefaultEnv = 1;  // upper right, not topmost
constexpr unsigned char kEnvCorner = 3;
constexpr unsigned char kEnvTopmost = 4;
extern const char kEnvFile[];  // opened by bare name, in the current folder

// The settings byte from the file's contents: its first byte, or the default
// when the file is empty.
unsigned char EnvFromBytes(const unsigned char* bytes, std::size_t count);
// The settings byte with its corner replaced; every other bit as it was.
unsigned char EnvWithCorner(unsigned char env, int corner);
// Top-left of a window of the given size in corner 0..3 of the screen. The
// whole screen counts; a taskbar is not avoided.
POINT CornerPosition(int corner, SIZE screen, SIZE window);

// The settings byte from the file, or the default when the file can't be
// opened or is empty. Only the first byte is read.
unsigned char ReadEnvFile(const char* name);
// Rewrites the file with exactly this one byte, through a temporary file
// beside it that replaces it in one step. False, with the old file as it was
// and no temporary file left, when the file is read-only, can't be replaced
// (held open by another program) or the byte can't be written.
bool WriteEnvFile(const char* name, unsigned char env);

}  // namespace horlin
