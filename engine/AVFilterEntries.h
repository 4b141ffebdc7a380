// Entry points bound from libavfilter (see FFEntries.h for how lists are used).
#pragma once

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#define TVL_AVFILTER_ENTRIES(X)                                                 \
  X(avfilter_version) X(av_filter_iterate) X(avfilter_get_by_name)             \
  X(avfilter_graph_alloc) X(avfilter_graph_free) X(avfilter_graph_alloc_filter)\
  X(avfilter_graph_create_filter) X(avfilter_graph_parse_ptr)                  \
  X(avfilter_graph_parse2) X(avfilter_graph_config) X(avfilter_graph_dump)     \
  X(avfilter_graph_request_oldest) X(avfilter_graph_send_command)              \
  X(avfilter_inout_alloc) X(avfilter_inout_free) X(avfilter_link)              \
  X(avfilter_init_str) X(avfilter_init_dict) X(avfilter_free)                  \
  X(av_buffersrc_add_frame) X(av_buffersrc_add_frame_flags)                    \
  X(av_buffersrc_write_frame) X(av_buffersrc_parameters_alloc)                 \
  X(av_buffersrc_parameters_set) X(av_buffersrc_get_nb_failed_requests)        \
  X(av_buffersink_get_frame) X(av_buffersink_get_frame_flags)                  \
  X(av_buffersink_get_samples) X(av_buffersink_set_frame_size)                 \
  X(av_buffersink_get_type) X(av_buffersink_get_time_base)                     \
  X(av_buffersink_get_format) X(av_buffersink_get_frame_rate)                  \
  X(av_buffersink_get_w) X(av_buffersink_get_h)                                \
  X(av_buffersink_get_sample_aspect_ratio) X(av_buffersink_get_ch_layout)      \
  X(av_buffersink_get_sample_rate)
