// The run-time entry points of FFmpeg, SDL and the C library.
//
// Contract: every FFmpeg/SDL function the converter calls is called through a
// pointer of namespace ff that has the function's own name and type
// (ff::avcodec_open2(ctx, codec, &opts)). The headers give types and layouts
// only; tvl_engine never links the libraries. A pointer is null until the
// loader (FFmpegLoader.h) has bound its library, and null again after Unload:
// check TFFmpegLoader::Loaded for your set before calling.
//
// Each library has one X-macro list (AVUtilEntries.h, AVCodecEntries.h, ...).
// Adding a name to a list is all it takes to declare, bind and clear it.
// Header inlines that call library functions (avio_tell, av_err2str) must
// not be used: they would need the libraries at link time.
#pragma once

#include "engine/AVCodecEntries.h"
#include "engine/AVDeviceEntries.h"
#include "engine/AVFilterEntries.h"
#include "engine/AVFormatEntries.h"
#include "engine/AVUtilEntries.h"
#include "engine/CRTEntries.h"
#include "engine/SDLEntries.h"
#include "engine/SwResampleEntries.h"
#include "engine/SwScaleEntries.h"
#include "platform/rtl/Types.h"

// Some bound functions are marked deprecated in 5.1 headers; taking their
// type is not a use worth a warning.
#define TVL_FF_DECLARE_ENTRY(name) extern decltype(&::name) name;

namespace ff {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
TVL_AVUTIL_ENTRIES(TVL_FF_DECLARE_ENTRY)
TVL_SWRESAMPLE_ENTRIES(TVL_FF_DECLARE_ENTRY)
TVL_SWSCALE_ENTRIES(TVL_FF_DECLARE_ENTRY)
TVL_AVCODEC_ENTRIES(TVL_FF_DECLARE_ENTRY)
TVL_AVFORMAT_ENTRIES(TVL_FF_DECLARE_ENTRY)
TVL_AVFILTER_ENTRIES(TVL_FF_DECLARE_ENTRY)
TVL_AVDEVICE_ENTRIES(TVL_FF_DECLARE_ENTRY)
TVL_CRT_ENTRIES(TVL_FF_DECLARE_ENTRY)
TVL_SDL_ENTRIES(TVL_FF_DECLARE_ENTRY)
#pragma GCC diagnostic pop
}  // namespace ff

namespace engine {

// Binding routines, one pair per library. Fixup binds every name of the
// library's list from the handle and raises rtl::Exception ("Load function
// %s@%s error: %s") at the first missing one; Unfix sets them all to null.
// ALibName is the file name used in messages.
using TFixupProc = void (*)(const rtl::String& ALibName, void* AHandle);
using TUnfixProc = void (*)();

void FixupAVCodec(const rtl::String& ALibName, void* AHandle);
void FixupAVDevice(const rtl::String& ALibName, void* AHandle);
void FixupAVFilter(const rtl::String& ALibName, void* AHandle);
void FixupAVFormat(const rtl::String& ALibName, void* AHandle);
void FixupAVUtil(const rtl::String& ALibName, void* AHandle);
void FixupSwScale(const rtl::String& ALibName, void* AHandle);
void FixupSwResample(const rtl::String& ALibName, void* AHandle);
void FixupMyUtil(const rtl::String& ALibName, void* AHandle);
void FixupSDL(const rtl::String& ALibName, void* AHandle);
void UnfixAVCodec();
void UnfixAVDevice();
void UnfixAVFilter();
void UnfixAVFormat();
void UnfixAVUtil();
void UnfixSwScale();
void UnfixSwResample();
void UnfixMyUtil();
void UnfixSDL();

}  // namespace engine
