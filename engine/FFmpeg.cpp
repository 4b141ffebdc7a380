#include "engine/FFmpeg.h"
#include "engine/FrameHook.h"

#include <cstdarg>
#include <cstdio>

#include "engine/FFmpegLoader.h"
#include "engine/FFmpegLogger.h"
#include "engine/MyUtils.h"
#include "engine/TranscodeRun.h"
#include "engine/UnicodeProtocol.h"
#include "platform/rtl/Strings.h"

namespace engine {

using rtl::String;

TOutputStreamSetup::~TOutputStreamSetup() {
  if (enc && ff::avcodec_free_context) ff::avcodec_free_context(&enc);
}

// --- threads -----------------------------------------------------------------

TConvertThread::TConvertThread(TCustomFFmpeg* AOwner, rtl::TThreadPriority APriority)
    : FOwner(AOwner) {
  SetPriority(APriority);
}

TConvertThread::~TConvertThread() {
  if (Started() && !Finished()) WaitFor();
}

void TConvertThread::Execute() {
  if (!FOwner) return;
  try {
    FOwner->RunConversion();
  } catch (...) {
  }
  FOwner->FStopEvent.SetEvent();
}

TDoTerminateThread::TDoTerminateThread(TCustomFFmpeg* AOwner) : FOwner(AOwner) {
  // The event is reset before the thread runs so that a wait that begins at
  // once cannot pass before the notification.
  if (FOwner) FOwner->FTermEvent.ResetEvent();
  Start();
}

TDoTerminateThread::~TDoTerminateThread() {
  if (Started() && !Finished()) WaitFor();
}

void TDoTerminateThread::Execute() {
  if (!FOwner) return;
  try {
    FOwner->NotifyTerminate();
  } catch (...) {
  }
  FOwner->FTermEvent.SetEvent();
}

// --- object --------------------------------------------------------------------

TCustomFFmpeg::TCustomFFmpeg(int AMaxFiles) {
  Assert(AMaxFiles > 0 && AMaxFiles <= 512, "Assertion failure");
  FMaxFiles = AMaxFiles;
  Finput_files.assign(FMaxFiles, nullptr);
  Finput_custom_io.assign(FMaxFiles, nullptr);
  Finput_files_ts_offset.assign(FMaxFiles, 0);
  Finput_files_ts_scale.assign(FMaxFiles, {});
  Foutput_files.assign(FMaxFiles, nullptr);
  FOutputFiles.assign(FMaxFiles, nullptr);
  Fmeta_data_maps.assign(FMaxFiles, {});
  Fstream_maps.assign(static_cast<size_t>(FMaxFiles) * MAX_STREAMS, {});
  FHookContext = std::make_unique<TRGBConvertContext>();
  FPostContext.Context = std::make_unique<TRGBConvertContext>();
  ResetOptions();
}

TCustomFFmpeg::~TCustomFFmpeg() {
  Stop(true);
  FThreadObj.reset();
  FTermThread.reset();
  ReleaseResources();
  FHookContext.reset();
  FPostContext.Context.reset();
}

String TCustomFFmpeg::FatalMessage() const {
  std::lock_guard<std::mutex> g(FFatalLock);
  return FFatalMessage;
}

TOutputFile* TCustomFFmpeg::OutputFile(int AIndex) const {
  if (AIndex < 0 || AIndex >= Fnb_output_files) return nullptr;
  return FOutputFiles[AIndex].get();
}

void TCustomFFmpeg::Log(int ALevel, const std::string& AUtf8) {
  GetFFLogger()->Log(this, static_cast<TLogLevel>(ALevel), rtl::Utf8ToString(AUtf8));
}

void TCustomFFmpeg::WarnNoEffect(const char* AName) {
  if (!FWarnedNames.insert(AName).second) return;
  Log(llWarning, std::string("Option \"") + AName +
                     "\" has no effect with the bound FFmpeg libraries");
}

void TCustomFFmpeg::ReportFatal(const String& AMessage) {
  GetFFLogger()->Log(this, llQuiet, AMessage);
  std::lock_guard<std::mutex> g(FFatalLock);
  FFatalException = true;
  FFatalMessage = AMessage;
}

TConvertThread* TCustomFFmpeg::StartConvert(bool AUseThread, rtl::TThreadPriority APriority) {
  if (FConverting || FTerminated) return nullptr;
  try {
    if (Fnb_output_files <= 0) {
      ReleaseResources();
      throw FFmpegException("At least one output file must be specified");
    }
    if (Fnb_input_files == 0) {
      ReleaseResources();
      throw FFmpegException("At least one input file must be specified");
    }
  } catch (const rtl::Exception& e) {
    ReportFatal(e.Message());
    NotifyTerminate();
    return nullptr;
  }
  // A thread left from an earlier run (after Reset) is joined before a new one.
  FThreadObj.reset();
  FConverting = true;
  FBroken = false;
  FFinished = false;
  FTerminated = false;
  {
    std::lock_guard<std::mutex> g(FPauseLock);
    FPaused = false;
  }
  if (!AUseThread) {
    RunConversion();
    return nullptr;
  }
  // Reset here rather than when the thread begins, so that a Stop issued
  // before the thread has started still waits for the run.
  FStopEvent.ResetEvent();
  FThreadObj = std::make_unique<TConvertThread>(this, APriority);
  FThread = FThreadObj.get();
  return FThread;
}

void TCustomFFmpeg::Transcode() { FFinished = RunTranscode(*this); }

void TCustomFFmpeg::RunConversion() {
  FFinished = false;
  auto guarded = [this](const std::function<void()>& AStep) {
    try {
      AStep();
    } catch (const rtl::Exception& e) {
      ReportFatal(e.Message());
    } catch (const std::exception& e) {
      ReportFatal(rtl::Utf8ToString(e.what()));
    }
  };
  bool failed = true;
  guarded([this, &failed] {
    OpenOutputIO();
    Transcode();
    failed = false;
  });
  guarded([this, failed] { SettleOutputFiles(failed); });
  guarded([this] { CloseListedEncoders(FEncoderList); });
  guarded([this] { CloseListedDecoders(FDecoderList); });
  guarded([this] { ReleaseResources(); });
  guarded([this] { NotifyTerminate(); });
}

void TCustomFFmpeg::NotifyTerminate() {
  // Terminated first: a Cancel that sees the run no longer converting must
  // not take it for one that never started and report its end again.
  FTerminated = true;
  FConverting = false;
  // The thread object itself stays owned until it is joined.
  if (FOnTerminate) FOnTerminate(this);
}

void TCustomFFmpeg::Stop(bool AWaitFor) {
  FBroken = true;
  {
    std::lock_guard<std::mutex> g(FPauseLock);
    FPaused = false;
  }
  FPauseCond.notify_all();
  TConvertThread* thread = FThread;
  if (!thread) return;
  if (!thread->Started()) {
    // Never started by its owner: it cannot end by itself, so it runs now
    // and meets the stop at once.
    thread->Start();
  }
  if (!AWaitFor) return;
  // Asked from inside the run (its own notification): it cannot wait for itself.
  if (rtl::GetCurrentThreadId() == thread->ThreadID()) return;
  const bool onMain = rtl::GetCurrentThreadId() == rtl::MainThreadID();
  while (FStopEvent.WaitFor(20) != rtl::wrSignaled) {
    if (onMain) {
      rtl::CheckSynchronize();
      PumpMessages();
    }
  }
  FThreadObj.reset();
  FThread = nullptr;
}

void TCustomFFmpeg::Cancel(bool AWaitFor) {
  if (FConverting) {
    Stop(AWaitFor);
  } else if (!FTerminated) {
    // One notification per run: a second Cancel while the first is still
    // being delivered only waits for it.
    if (!FTermThread || FTermThread->Finished()) {
      FTermThread.reset();
      FTermThread = std::make_unique<TDoTerminateThread>(this);
    }
    if (AWaitFor) FTermEvent.WaitFor(rtl::INFINITE);
  }
}

void TCustomFFmpeg::Pause() {
  if (!FThread) return;
  std::lock_guard<std::mutex> g(FPauseLock);
  FPaused = true;
}

void TCustomFFmpeg::Resume() {
  {
    std::lock_guard<std::mutex> g(FPauseLock);
    if (!FThread || !FPaused) return;
    FPaused = false;
  }
  FPauseCond.notify_all();
}

bool TCustomFFmpeg::Paused() const {
  std::lock_guard<std::mutex> g(FPauseLock);
  return FPaused;
}

bool TCustomFFmpeg::CheckPause() {
  std::unique_lock<std::mutex> g(FPauseLock);
  FPauseCond.wait(g, [this] { return !FPaused || FBroken; });
  return FBroken;
}

void TCustomFFmpeg::Reset() {
  if (!TFFmpegLoader::Loaded(TranscoderLibraries)) return;
  ReleaseResources();
  ResetOptions();
  FJoinMode = false;
  FConverting = false;
  FBroken = false;
  FFinished = false;
  FTerminated = false;
  FTotalOutputDuration = -1;
  AllocFFOptions(FOptions, static_cast<int>(Fsws_flags));
}

void TCustomFFmpeg::ReleaseOutputFile(TOutputFile& AFile) {
  AVFormatContext* oc = AFile.ctx;
  AFile.streams.clear();
  ff::av_dict_free(&AFile.muxer_opts);
  if (!oc) return;
  if (oc->oformat && !(oc->oformat->flags & AVFMT_NOFILE) && oc->pb) {
    if (IsUnicodeAVIO(oc->pb))
      CloseUnicodeAVIO(&oc->pb);
    else
      ff::avio_closep(&oc->pb);
  }
  // Only what this object created itself goes; the target is never touched.
  if (!AFile.partial.empty()) std::remove(rtl::U8(DecodeAVFileName(AFile.partial)).c_str());
  AFile.partial.clear();
  ff::avformat_free_context(oc);
  AFile.ctx = nullptr;
}

void TCustomFFmpeg::ReleaseResources() {
  if (!TFFmpegLoader::Loaded(TranscoderLibraries)) return;
  FreeFFOptions(FOptions);
  // Join entries share one file record: each record is released once.
  for (int j = 0; j < Fnb_output_files; ++j) {
    std::shared_ptr<TOutputFile> file = std::move(FOutputFiles[j]);
    Foutput_files[j] = nullptr;
    if (file && file.use_count() == 1) ReleaseOutputFile(*file);
  }
  for (auto& f : FOutputFiles) f.reset();
  Fnb_output_files = 0;
  for (int i = 0; i < Fnb_input_files; ++i) {
    if (Finput_files[i]) ff::avformat_close_input(&Finput_files[i]);
    if (Finput_custom_io[i]) CloseUnicodeAVIO(&Finput_custom_io[i]);
  }
  Fnb_input_files = 0;
  // The codec tables follow the files: a reset object starts them afresh.
  Finput_codecs.clear();
  Finput_decoder_opts.clear();
  Foutput_codecs.clear();
  Fnb_icodecs = Fnb_ocodecs = 0;
  Fintra_matrix.clear();
  Finter_matrix.clear();
  if (Fvstats_file) fclose(Fvstats_file);
  Fvstats_file = nullptr;
  Fvstats_filename.clear();
  Fvideo_codec_name.clear();
  Faudio_codec_name.clear();
  Fsubtitle_codec_name.clear();
  Fvideo_standard.clear();
  Fvideo_rc_override_string.clear();
  Fvideo_language.clear();
  Faudio_language.clear();
  Fsubtitle_language.clear();
  Fsubtitle_codec_tag = 0;
  Fvideo_hooks.clear();
  if (FFirstHook) FrameHookRelease(FFirstHook);
  Fusing_vhook = false;
  if (Fgraph) ff::avfilter_graph_free(&Fgraph);
  if (FHookContext) ResetRGBConvertContext(*FHookContext);
  if (FPostContext.Context) ResetRGBConvertContext(*FPostContext.Context);
  {
    std::lock_guard<std::recursive_mutex> g(PostHookLock());
    FPostContext.Previewer.reset();
  }
  FPostContext.preview_last_time = 0;
  FPostContext.preview_cur_time = 0;
}

// --- open-codec lists ------------------------------------------------------------

void TCustomFFmpeg::AddCodecItem(TCodecItem*& AList, void* AStream) {
  auto* item = new TCodecItem{AStream, nullptr, AList};
  if (AList) AList->Prev = item;
  AList = item;
}

void TCustomFFmpeg::RemoveCodecItem(TCodecItem*& AList, void* AStream) {
  TCodecItem* item = AList;
  while (item && item->st != AStream) item = item->Next;
  if (!item) return;
  if (item->Prev) item->Prev->Next = item->Next;
  if (item->Next) item->Next->Prev = item->Prev;
  if (AList == item) AList = item->Next;
  delete item;
}

namespace {

void CloseListed(TCodecItem*& AList, const std::function<AVCodecContext*(void*)>& AContext) {
  TCodecItem* item = AList;
  AList = nullptr;
  std::exception_ptr failure;
  while (item) {
    TCodecItem* next = item->Next;
    try {
      if (AVCodecContext* ctx = AContext(item->st)) {
        std::lock_guard<std::recursive_mutex> g(CodecLock);
        ff::avcodec_close(ctx);
      }
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    delete item;
    item = next;
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

void TCustomFFmpeg::CloseListedEncoders(TCodecItem*& AList) {
  CloseListed(AList, [](void* st) -> AVCodecContext* {
    auto* ost = static_cast<TAVOutputStream*>(st);
    if (!ost || !ost->encoding_needed || !ost->enc_ctx) return nullptr;
    ff::av_freep(&ost->enc_ctx->stats_in);
    return ost->enc_ctx;
  });
}

void TCustomFFmpeg::CloseListedDecoders(TCodecItem*& AList) {
  CloseListed(AList, [](void* st) -> AVCodecContext* {
    auto* ist = static_cast<TAVInputStream*>(st);
    if (!ist || !ist->decoding_needed) return nullptr;
    return ist->dec_ctx;
  });
}

std::recursive_mutex& PostHookLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace engine
