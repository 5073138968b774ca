// posix_compat.h -- read before every file of the Windows build: the GL
// header without windows.h (whose macros would clash with the program's own
// names), and the few POSIX names the tools use that the Windows C library
// lacks.
#pragma once

#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif

#include <fcntl.h>

#ifndef O_CLOEXEC
#define O_CLOEXEC _O_NOINHERIT  // the handle is not inherited by child processes
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0  // opening a Windows file never blocks on a reader
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0  // Windows has no controlling terminal to acquire
#endif
// The C runtime sees no symbolic links and no sockets among files: a link
// is looked at as what it names.
#define lstat stat
#ifndef S_ISLNK
#define S_ISLNK(mode) 0
#endif
#ifndef S_ISSOCK
#define S_ISSOCK(mode) 0
#endif

