// Entry points bound from libavcodec (see FFEntries.h for how lists are used).
//
// A colleague who needs another avcodec function adds one X(name) line here.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/avfft.h>
#include <libavcodec/bsf.h>
}

#define TVL_AVCODEC_ENTRIES(X)                                                  \
  X(avcodec_version)                                                           \
  /* codecs and contexts */                                                    \
  X(av_codec_iterate) X(av_codec_is_encoder) X(av_codec_is_decoder)            \
  X(avcodec_find_decoder) X(avcodec_find_decoder_by_name)                      \
  X(avcodec_find_encoder) X(avcodec_find_encoder_by_name) X(avcodec_get_name)  \
  X(avcodec_get_type) X(avcodec_get_class) X(avcodec_descriptor_get)           \
  X(avcodec_descriptor_get_by_name) X(avcodec_profile_name)                    \
  X(avcodec_alloc_context3) X(avcodec_free_context) X(avcodec_open2)           \
  X(avcodec_close) X(avcodec_string) X(avcodec_align_dimensions2)              \
  X(avcodec_default_get_buffer2) X(avcodec_find_best_pix_fmt_of_list)          \
  X(avcodec_parameters_alloc) X(avcodec_parameters_free)                       \
  X(avcodec_parameters_copy) X(avcodec_parameters_from_context)                \
  X(avcodec_parameters_to_context)                                             \
  /* coding */                                                                 \
  X(avcodec_send_packet) X(avcodec_receive_frame) X(avcodec_send_frame)        \
  X(avcodec_receive_packet) X(avcodec_flush_buffers)                           \
  X(avcodec_decode_subtitle2) X(avcodec_encode_subtitle) X(avsubtitle_free)    \
  X(av_get_bits_per_sample) X(av_get_exact_bits_per_sample)                    \
  X(av_get_audio_frame_duration) X(av_get_pcm_codec)                           \
  /* packets */                                                                \
  X(av_packet_alloc) X(av_packet_free) X(av_packet_ref) X(av_packet_unref)     \
  X(av_packet_move_ref) X(av_packet_clone) X(av_packet_copy_props)             \
  X(av_new_packet) X(av_shrink_packet) X(av_grow_packet)                       \
  X(av_packet_rescale_ts) X(av_packet_get_side_data)                           \
  X(av_packet_new_side_data)                                                   \
  /* parsers and bitstream filters */                                          \
  X(av_parser_iterate) X(av_parser_init) X(av_parser_parse2) X(av_parser_close)\
  X(av_bsf_iterate) X(av_bsf_get_by_name) X(av_bsf_alloc) X(av_bsf_init)       \
  X(av_bsf_send_packet) X(av_bsf_receive_packet) X(av_bsf_flush) X(av_bsf_free)\
  X(av_bsf_list_parse_str)                                                     \
  /* spectrum display of the player */                                         \
  X(av_rdft_init) X(av_rdft_calc) X(av_rdft_end)
