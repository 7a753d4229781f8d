// A recording stand-in for OpenGL and GLU: the native tests link this instead
// of a GL library, and read back the calls a frame made.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct GlCall {
    std::string name;
    std::vector<double> args;
};

extern std::vector<GlCall> glCalls;
// Checksum of the pixels handed to gluBuild2DMipmaps (every byte is read, so
// ASan sees a read past the buffer).
extern std::uint64_t glMipmapChecksum;
void ResetGlRecorder();
std::vector<std::string> GlCallNames(std::size_t from = 0, std::size_t to = SIZE_MAX);
