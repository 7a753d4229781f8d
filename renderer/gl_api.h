// OpenGL 1.1 and GLU, without dragging <windows.h> into the portable code.
#pragma once
#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#endif
#if defined(_WIN32) && !defined(WINGDIAPI)
#define WINGDIAPI __declspec(dllimport)
#endif
#if defined(_WIN32) && !defined(CALLBACK)
#define CALLBACK __stdcall
#endif
#include <GL/gl.h>
#include <GL/glu.h>
#ifndef GL_BGR_EXT
#define GL_BGR_EXT 0x80E0
#endif
