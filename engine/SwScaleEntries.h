// Entry points bound from libswscale (see FFEntries.h for how lists are used).
#pragma once

extern "C" {
#include <libswscale/swscale.h>
}

#define TVL_SWSCALE_ENTRIES(X)                                                  \
  X(swscale_version) X(sws_get_class) X(sws_alloc_context) X(sws_init_context) \
  X(sws_getContext) X(sws_getCachedContext) X(sws_scale) X(sws_freeContext)    \
  X(sws_setColorspaceDetails) X(sws_getCoefficients) X(sws_isSupportedInput)   \
  X(sws_isSupportedOutput)
