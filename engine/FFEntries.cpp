#include "engine/FFEntries.h"

#include "engine/MyUtils.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#define TVL_FF_DEFINE_ENTRY(name) decltype(&::name) name = nullptr;

namespace ff {
TVL_AVUTIL_ENTRIES(TVL_FF_DEFINE_ENTRY)
TVL_SWRESAMPLE_ENTRIES(TVL_FF_DEFINE_ENTRY)
TVL_SWSCALE_ENTRIES(TVL_FF_DEFINE_ENTRY)
TVL_AVCODEC_ENTRIES(TVL_FF_DEFINE_ENTRY)
TVL_AVFORMAT_ENTRIES(TVL_FF_DEFINE_ENTRY)
TVL_AVFILTER_ENTRIES(TVL_FF_DEFINE_ENTRY)
TVL_AVDEVICE_ENTRIES(TVL_FF_DEFINE_ENTRY)
TVL_CRT_ENTRIES(TVL_FF_DEFINE_ENTRY)
TVL_SDL_ENTRIES(TVL_FF_DEFINE_ENTRY)
}  // namespace ff

#define TVL_FF_BIND_ENTRY(name) BindFunction(ALibName, AHandle, #name, ff::name);
#define TVL_FF_CLEAR_ENTRY(name) ff::name = nullptr;

#define TVL_FF_FIXUP_PAIR(Suffix, LIST)                              \
  void Fixup##Suffix(const rtl::String& ALibName, void* AHandle) {   \
    LIST(TVL_FF_BIND_ENTRY)                                          \
  }                                                                  \
  void Unfix##Suffix() { LIST(TVL_FF_CLEAR_ENTRY) }

namespace engine {

TVL_FF_FIXUP_PAIR(AVUtil, TVL_AVUTIL_ENTRIES)
TVL_FF_FIXUP_PAIR(SwResample, TVL_SWRESAMPLE_ENTRIES)
TVL_FF_FIXUP_PAIR(SwScale, TVL_SWSCALE_ENTRIES)
TVL_FF_FIXUP_PAIR(AVCodec, TVL_AVCODEC_ENTRIES)
TVL_FF_FIXUP_PAIR(AVFormat, TVL_AVFORMAT_ENTRIES)
TVL_FF_FIXUP_PAIR(AVFilter, TVL_AVFILTER_ENTRIES)
TVL_FF_FIXUP_PAIR(MyUtil, TVL_CRT_ENTRIES)
TVL_FF_FIXUP_PAIR(SDL, TVL_SDL_ENTRIES)

// avdevice's registration is still a real call in 5.1 (the other libraries'
// registration functions are gone), made once per load.
void FixupAVDevice(const rtl::String& ALibName, void* AHandle) {
  TVL_AVDEVICE_ENTRIES(TVL_FF_BIND_ENTRY)
  ff::avdevice_register_all();
}
void UnfixAVDevice() { TVL_AVDEVICE_ENTRIES(TVL_FF_CLEAR_ENTRY) }

}  // namespace engine
