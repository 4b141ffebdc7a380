// Entry points bound from libavformat (see FFEntries.h for how lists are used).
//
// avio_tell is a header inline over avio_seek: call ff::avio_seek(pb, 0, SEEK_CUR).
#pragma once

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
}

#define TVL_AVFORMAT_ENTRIES(X)                                                 \
  X(avformat_version) X(avformat_get_class) X(avformat_network_init)           \
  X(avformat_network_deinit)                                                   \
  /* formats */                                                                \
  X(av_demuxer_iterate) X(av_muxer_iterate) X(av_find_input_format)            \
  X(av_guess_format) X(av_guess_codec) X(av_codec_get_id) X(av_codec_get_tag) \
  X(avformat_query_codec) X(av_filename_number_test) X(av_get_frame_filename)  \
  /* contexts and streams */                                                   \
  X(avformat_alloc_context) X(avformat_free_context)                           \
  X(avformat_alloc_output_context2) X(avformat_new_stream) X(av_new_program)   \
  X(av_program_add_stream_index) X(av_find_program_from_stream)                \
  X(av_find_best_stream) X(av_guess_frame_rate) X(av_guess_sample_aspect_ratio)\
  X(av_stream_get_side_data) X(av_stream_new_side_data)                        \
  /* reading */                                                                \
  X(avformat_open_input) X(avformat_find_stream_info) X(avformat_close_input)  \
  X(av_read_frame) X(av_read_pause) X(av_read_play) X(av_seek_frame)           \
  X(avformat_seek_file) X(avformat_flush)                                      \
  /* writing */                                                                \
  X(avformat_init_output) X(avformat_write_header) X(av_write_frame)           \
  X(av_interleaved_write_frame) X(av_write_trailer)                            \
  /* diagnostics */                                                            \
  X(av_dump_format) X(av_sdp_create) X(av_pkt_dump_log2) X(av_hex_dump_log)    \
  /* byte I/O */                                                               \
  X(avio_open) X(avio_open2) X(avio_close) X(avio_closep) X(avio_alloc_context)\
  X(avio_context_free) X(avio_size) X(avio_seek) X(avio_skip) X(avio_feof)     \
  X(avio_flush) X(avio_read) X(avio_write) X(avio_w8) X(avio_printf)           \
  X(avio_check) X(avio_enum_protocols) X(avio_find_protocol_name)
