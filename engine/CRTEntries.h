// Entry points bound from the C library (the loader's myUtil library).
//
// The set semantics of the loader keep this library, but on Linux the engine
// may equally call these routines directly: they are the process's own libc.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define TVL_CRT_ENTRIES(X)                                                      \
  X(fclose) X(fopen) X(fprintf) X(fread) X(fseeko) X(ftello) X(fwrite)         \
  X(snprintf) X(strtod) X(strtok_r) X(strtol) X(vsnprintf)
