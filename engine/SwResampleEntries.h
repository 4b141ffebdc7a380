// Entry points bound from libswresample (see FFEntries.h for how lists are used).
#pragma once

extern "C" {
#include <libswresample/swresample.h>
}

#define TVL_SWRESAMPLE_ENTRIES(X)                                               \
  X(swresample_version) X(swr_get_class) X(swr_alloc) X(swr_alloc_set_opts2)   \
  X(swr_init) X(swr_is_initialized) X(swr_close) X(swr_free) X(swr_convert)    \
  X(swr_convert_frame) X(swr_config_frame) X(swr_get_delay)                    \
  X(swr_get_out_samples) X(swr_next_pts) X(swr_set_compensation)              \
  X(swr_drop_output) X(swr_inject_silence)
