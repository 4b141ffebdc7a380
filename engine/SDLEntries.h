// Entry points bound from SDL 1.2 (see FFEntries.h for how lists are used).
//
// SDL's header maps SDL_LockMutex/SDL_UnlockMutex to SDL_mutexP/SDL_mutexV
// and SDL_putenv to putenv, so ff::SDL_LockMutex(m) and ff::SDL_putenv(s)
// reach the entries below. putenv and setenv are looked up through SDL's
// handle, whose dependency search finds them in the C library: Debian's SDL
// exports no SDL_putenv of its own.
#pragma once

#include <SDL/SDL.h>
#include <cstdlib>

#define TVL_SDL_ENTRIES(X)                                                      \
  X(SDL_Init) X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_WasInit)         \
  X(SDL_Quit) X(putenv) X(setenv) X(SDL_GetError) X(SDL_GetTicks) X(SDL_Delay) \
  X(SDL_AddTimer) X(SDL_RemoveTimer)                                           \
  X(SDL_OpenAudio) X(SDL_PauseAudio) X(SDL_CloseAudio) X(SDL_MixAudio)         \
  X(SDL_LockAudio) X(SDL_UnlockAudio) X(SDL_AudioDriverName)                   \
  X(SDL_WaitEvent) X(SDL_PollEvent) X(SDL_PushEvent) X(SDL_EventState)         \
  X(SDL_GetVideoInfo) X(SDL_SetVideoMode) X(SDL_UpdateRect)                    \
  X(SDL_LockSurface) X(SDL_UnlockSurface) X(SDL_GetVideoSurface)              \
  X(SDL_WM_SetCaption) X(SDL_MapRGB) X(SDL_FillRect) X(SDL_VideoDriverName)    \
  X(SDL_CreateYUVOverlay) X(SDL_LockYUVOverlay) X(SDL_UnlockYUVOverlay)        \
  X(SDL_DisplayYUVOverlay) X(SDL_FreeYUVOverlay)                               \
  X(SDL_CreateMutex) X(SDL_mutexP) X(SDL_mutexV) X(SDL_DestroyMutex)           \
  X(SDL_CreateCond) X(SDL_DestroyCond) X(SDL_CondSignal) X(SDL_CondBroadcast)  \
  X(SDL_CondWait) X(SDL_CondWaitTimeout) X(SDL_CreateThread) X(SDL_WaitThread)
