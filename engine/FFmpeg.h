// TCustomFFmpeg: the command-line converter as an object. One object performs
// one conversion run: options are applied (ApplyOption and the handlers),
// inputs and outputs are opened from them, then StartConvert runs the
// transcode in the caller or on a conversion thread of the object's own.
//
// Ownership: the object owns every FFmpeg resource it opens (input and
// output format contexts, engine-owned encoder settings, custom I/O
// contexts) and releases them in ReleaseResources, at the end of a run and
// on destruction. Opening an output only checks that it could be written: a
// run creates its output files beside their targets when it starts and puts
// them in their targets' places when it finishes or is stopped; a failed run
// leaves a file in the output's place as it was. Empty outputs are removed,
// and nothing the object did not create itself is ever deleted.
//
// Threads: options and files are set up by one thread before the run. During
// a run only Stop, Cancel, Pause and Resume may be called from another
// thread. The conversion thread is owned by the object and joined before the
// object goes away, so Stop never touches a thread object that has ended.
// Pause is cooperative: the transcode parks at its safe points (once per
// packet and before every duplicated frame) through CheckPause, holding no
// engine lock there.
//
// Stream tables grow with the streams: a file may hold any number of
// streams. The 20-entry limit survives only where an option names a stream
// index ("itsscale", "streamid").
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "engine/FFEntries.h"
#include "engine/FFUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Threads.h"
#include "platform/rtl/Types.h"

namespace engine {

// The engine's own failures during option handling, file opening and runs.
class FFmpegException : public rtl::Exception {
 public:
  using Exception::Exception;
  explicit FFmpegException(const std::string& AUtf8) : Exception(AUtf8.c_str()) {}
};

// Streams per file as far as options that name a stream index are concerned.
inline constexpr int MAX_STREAMS = 20;

struct TAVStreamMap {
  int file_index = 0;
  int stream_index = 0;
  int sync_file_index = 0;
  int sync_stream_index = 0;
};

struct TAVMetaDataMap {
  int out_file = 0;
  int in_file = 0;
};

enum TPostHook : uint8_t { phPreview, phBitmap, phHBITMAP };
struct TPostHooks {
  uint8_t Bits = 0;
  constexpr TPostHooks() = default;
  constexpr TPostHooks(std::initializer_list<TPostHook> AHooks) {
    for (TPostHook h : AHooks) Bits |= static_cast<uint8_t>(1u << h);
  }
  constexpr bool Contains(TPostHook AHook) const { return (Bits >> AHook) & 1u; }
  friend constexpr bool operator==(TPostHooks, TPostHooks) = default;
};

// The transcode's per-stream records; the stream set-up fills them. Only what
// the object itself needs at the end of a run is declared here.
struct TAVInputStream {
  int file_index = 0;
  int index = 0;
  AVStream* st = nullptr;
  int decoding_needed = 0;
  AVCodecContext* dec_ctx = nullptr;  // owned by the run's stream table
};
struct TAVOutputStream {
  int file_index = 0;
  int index = 0;
  AVStream* st = nullptr;
  int encoding_needed = 0;
  AVCodecContext* enc_ctx = nullptr;  // the stream's encoder (see TOutputStreamSetup)
};

// An open codec remembered so that a run broken by an exception still closes
// it. CloseListedEncoders/Decoders read an item as a TAVOutputStream or
// TAVInputStream: a run that keeps records of other types takes its items off
// the lists before its records go.
struct TCodecItem {
  void* st = nullptr;  // TAVOutputStream* in the encoder list, TAVInputStream* in the decoder list
  TCodecItem* Prev = nullptr;
  TCodecItem* Next = nullptr;
};

// A codec option that no generic context knows but an encoder's or muxer's
// private class may: kept until the output's encoders and muxer are known.
struct TPrivateOption {
  std::string Name;
  std::string Value;
  int MediaType = -1;     // AVMEDIA_TYPE_* of the encoder meant; -1: any encoder or the muxer
  bool Required = false;  // from a preset: the encoder must know it
  std::string Origin;     // preset name for messages
  std::string Line;       // preset line for messages
};

// What opening an output decided for one of its streams. FFmpeg 5.1 streams
// carry no codec context, so the engine keeps the encoder settings here; the
// stream set-up opens the encoder from them.
struct TOutputStreamSetup {
  TOutputStreamSetup() = default;
  TOutputStreamSetup(const TOutputStreamSetup&) = delete;
  TOutputStreamSetup& operator=(const TOutputStreamSetup&) = delete;
  ~TOutputStreamSetup();

  AVStream* st = nullptr;
  AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
  bool stream_copy = false;
  AVCodecContext* enc = nullptr;   // owned; private options already set on its priv_data
  const AVCodec* codec = nullptr;  // the encoder; nullptr when FFmpeg has none for the id
  bool own_amrnb = false;          // AMR-NB through the engine's own encoder path
  std::vector<std::string> bitstream_filters;  // names, in order
};

// One output file: its context (also listed in Foutput_files), the muxer's
// private options for writing the header, and its streams' settings.
struct TOutputFile {
  TOutputFile() = default;
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;
  AVFormatContext* ctx = nullptr;
  AVDictionary* muxer_opts = nullptr;
  std::vector<std::unique_ptr<TOutputStreamSetup>> streams;
  // The file is written beside its target and put in its place only at the
  // end of a run that finished or was stopped (see OpenOutputIO).
  std::string target;   // the name the output was opened with (encoded)
  std::string partial;  // the file written beside it (encoded); empty: written in place
  bool remove_on_release = false;  // nothing worth keeping: what was written goes
};

class TCustomFFmpeg;

// Runs one object's conversion; owned and joined by that object.
class TConvertThread final : public rtl::TThread {
 public:
  TConvertThread(TCustomFFmpeg* AOwner, rtl::TThreadPriority APriority);
  ~TConvertThread() override;

 protected:
  void Execute() override;

 private:
  TCustomFFmpeg* FOwner;
};

// Delivers the terminate notification of an object that never started;
// starts at once; owned and joined by that object.
class TDoTerminateThread final : public rtl::TThread {
 public:
  explicit TDoTerminateThread(TCustomFFmpeg* AOwner);
  ~TDoTerminateThread() override;

 protected:
  void Execute() override;

 private:
  TCustomFFmpeg* FOwner;
};

using TCustomHookEvent = std::function<void(rtl::TObject* Sender, void* ABitmap, int AFrameNumber,
                                            int64_t APTS, bool& AUpdate, bool& AStopHook)>;
using TPreviewBitmapEvent =
    std::function<void(rtl::TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS)>;
using TProgressEvent = std::function<void(
    rtl::TObject* Sender, int AFileIndex, int AFrameNumber, float AFPS, float AQuality,
    double ABitRate, int64_t ACurrentSize, int64_t ACurrentDuration, int64_t ATotalDuration)>;

class TCustomFFmpeg : public rtl::TObject {
 public:
  // AMaxFiles: 1 to 512 inputs and as many outputs (EAssertionFailed otherwise).
  explicit TCustomFFmpeg(int AMaxFiles);
  ~TCustomFFmpeg() override;
  TCustomFFmpeg(const TCustomFFmpeg&) = delete;
  TCustomFFmpeg& operator=(const TCustomFFmpeg&) = delete;

  // --- run control ---------------------------------------------------------
  // Starts the run. Returns the conversion thread (not yet started: the caller
  // starts it) when AUseThread, else runs the whole conversion in the caller
  // and returns nullptr. nullptr too when already running or terminated, and
  // when no output or no input is open (the run then ends at once).
  TConvertThread* StartConvert(bool AUseThread, rtl::TThreadPriority APriority);
  void Stop(bool AWaitFor);
  void Cancel(bool AWaitFor);
  void Pause();
  void Resume();
  bool Paused() const;
  void Reset();
  // The transcode's safe point: parks while paused (unless a stop is asked)
  // and tells whether the run should break off.
  bool CheckPause();
  bool Broken() const { return FBroken.load(); }
  // Logs once per object, at warning level, that an option has no effect
  // with the bound libraries.
  void WarnNoEffect(const char* AName);

  // --- options (dispatcher and handlers) ------------------------------------
  void ResetOptions();
  void ApplyOption(const rtl::String& AName, const rtl::String& AValue);
  bool SetGenericOption(const std::string& AName, const std::string& AValue);
  bool SetGenericIntOption(const std::string& AName, int AValue);

  void SetFormat(const rtl::String& AValue);
  void SetBitrate(const rtl::String& AName, const rtl::String& AValue);
  void SetFrameRate(const rtl::String& AValue);
  void SetFrameSize(const rtl::String& AValue);
  void SetAspectRatio(const rtl::String& AValue);
  void SetPixelFormat(const std::string& AValue);
  void SetSampleFormat(const std::string& AValue);
  void SetCropTop(int A);
  void SetCropBottom(int A);
  void SetCropLeft(int A);
  void SetCropRight(int A);
  void SetVideoQScale(float AQ);
  void SetRateControlOverride(const std::string& AValue);
  void SetVideoStandard(const std::string& AValue);
  void SetAudioRate(int A);
  void SetAudioChannels(int A);
  void SetVideoCodec(const rtl::String& AValue);
  void SetAudioCodec(const rtl::String& AValue);
  void SetSubtitleCodec(const rtl::String& AValue);
  void SetVideoTag(const rtl::String& AValue);
  void SetAudioTag(const rtl::String& AValue);
  void SetSubtitleTag(const rtl::String& AValue);
  void SetVideoFilters(const rtl::String& AValue);
  void AddVideoHook(const std::string& AValue);
  void AddStreamMap(const std::string& AValue);
  void AddMetadataMap(const std::string& AValue);
  void SetInputTimestampScale(const std::string& AValue);
  void SetRecordingTimeText(const std::string& AName, const std::string& AValue);
  void SetRecordingTime(int64_t ATime);
  void SetStartTimeText(const std::string& AName, const std::string& AValue);
  void SetInputTimestampOffset(const std::string& AName, const std::string& AValue);
  void SetRecordingTimestamp(const std::string& AName, const std::string& AValue);
  void AddMetadataText(const std::string& AValue);
  void AddMetadataPair(const std::string& AKey, const std::string& AValue);
  void SetVerbosity(int A) { Fverbose = A; }
  void SetMotionThreshold(int A);
  void SetTopFieldFirst(int A) { Ftop_field_first = A; }
  void SetVideoChannel(int A);

  // outputs' own handlers
  void AddNewVideoStream();
  void AddNewAudioStream();
  void AddNewSubtitleStream();
  void SetPass(int APass);
  void SetIntraMatrix(const std::string& AText);
  void SetInterMatrix(const std::string& AText);
  void SetStreamId(const rtl::String& AName, const rtl::String& AValue);

  // targets, presets and setters
  void SetTarget(const rtl::String& AType, const rtl::String& ANorm, const rtl::String& ADefaultNorm);
  void SetTargetText(const std::string& AValue);
  void ApplyPreset(const rtl::String& AOptionName, const rtl::String& AValue);
  void SetVideoStats(bool AEnable);
  void SetVideoStatsFile(const std::string& AName);
  void AddBitstreamFilter(const rtl::String& AOptionName, const rtl::String& AValue);
  void SetStartTime(int64_t AValue);
  void SetProgramID(int AValue);
  void SetAudioVolume(int AValue);
  void SetAudioSyncMethod(int AValue) { Faudio_sync_method = AValue; }
  void SetVideoSyncMethod(int AValue) { Fvideo_sync_method = AValue; }
  void SetMuxMaxDelay(float AValue);
  void SetMuxPreload(float AValue);
  void SetPostHooks(TPostHooks AHooks);
  void SetPostHooksLocked(TPostHooks AHooks);
  // The post-hook set, read under the post-hook lock (the task list changes
  // it while the run goes on).
  TPostHooks PostHooks() const;

  // --- files -----------------------------------------------------------------
  bool OpenInputFile(const rtl::String& AFileName);
  // The new number of output files, or -1 with LastErrMsg.
  int OpenOutputFile(const rtl::String& AFileName, bool AJoin);
  bool FindCodec(const char* AName, int AMediaType, AVCodecID& ACodecId, int AStrict, bool AEncoder);
  void GetInputStreamKinds(bool& AHasVideo, bool& AHasAudio, bool AFirstOnly, bool& AHasSubtitle);
  // The index of the open input (AInputs) or output file that AFileName
  // names, or -1.
  int SameFileIndex(const rtl::String& AFileName, bool AInputs) const;

  // --- open-codec lists --------------------------------------------------------
  static void AddCodecItem(TCodecItem*& AList, void* AStream);
  static void RemoveCodecItem(TCodecItem*& AList, void* AStream);
  static void CloseListedEncoders(TCodecItem*& AList);
  static void CloseListedDecoders(TCodecItem*& AList);

  // --- properties ---------------------------------------------------------------
  int nb_input_files() const { return Fnb_input_files; }
  int nb_output_files() const { return Fnb_output_files; }
  bool Finished() const { return FFinished.load(); }
  bool FatalException() const { return FFatalException.load(); }
  rtl::String FatalMessage() const;
  const rtl::String& LastErrMsg() const { return FLastErrMsg; }
  bool Converting() const { return FConverting.load(); }
  bool Terminated() const { return FTerminated.load(); }
  int MaxFiles() const { return FMaxFiles; }
  // The output file behind output table entry AIndex (join entries share one).
  TOutputFile* OutputFile(int AIndex) const;

  std::function<void(rtl::TObject* Sender)> FOnTerminate;
  TCustomHookEvent FOnCustomHook;
  TPreviewBitmapEvent FOnPreviewBitmap;
  TProgressEvent FOnProgress;
  int64_t ReportInterval = 500000;
  int64_t PreviewInterval = 100000;
  // Conversions the caller runs at the same time as this one, itself
  // included (the task list's busy slots); the run counts at least those when
  // it shares out the idle cores. 0: only the runs under way count.
  int ExpectedConcurrentRuns = 0;

  // --- state read by the stream set-up, the transcode and tests -------------------
  // Capacity and file tables.
  int FMaxFiles = 0;
  std::vector<AVFormatContext*> Finput_files;
  std::vector<AVIOContext*> Finput_custom_io;  // our own I/O of an input, else nullptr
  std::vector<int64_t> Finput_files_ts_offset;
  std::vector<std::array<double, MAX_STREAMS>> Finput_files_ts_scale;
  std::vector<AVFormatContext*> Foutput_files;
  std::vector<std::shared_ptr<TOutputFile>> FOutputFiles;  // parallel to Foutput_files
  std::vector<TAVMetaDataMap> Fmeta_data_maps;
  std::vector<const AVCodec*> Finput_codecs;   // per input stream (all inputs, in order)
  // Per input stream, in step with Finput_codecs: the decoding options given
  // by name before its file was opened, as name and value texts.
  std::vector<std::vector<std::pair<std::string, std::string>>> Finput_decoder_opts;
  std::vector<const AVCodec*> Foutput_codecs;  // per created output stream, by name only
  std::vector<TAVStreamMap> Fstream_maps;
  int Fnb_input_files = 0, Fnb_icodecs = 0, Fnb_output_files = 0, Fnb_ocodecs = 0;
  int Fnb_stream_maps = 0, Fnb_meta_data_maps = 0;
  std::array<int, MAX_STREAMS> Fstreamid_map{};

  // Option state for the next input or output.
  std::string Flast_asked_format;
  int Fframe_width = 0, Fframe_height = 0;
  float Fframe_aspect_ratio = 0;
  int Fframe_pix_fmt = -1;
  int Faudio_sample_fmt = -1;
  int Fframe_topBand = 0, Fframe_bottomBand = 0, Fframe_leftBand = 0, Fframe_rightBand = 0;
  std::array<int, 4> Fmax_frames{};
  AVRational Fframe_rate{0, 0};
  float Fvideo_qscale = 0;
  std::vector<uint16_t> Fintra_matrix, Finter_matrix;  // 64 coefficients when set
  std::string Fvideo_rc_override_string;
  bool Fvideo_disable = false;
  int Fvideo_discard = 0;
  std::string Fvideo_codec_name;
  uint32_t Fvideo_codec_tag = 0;
  rtl::String Fvideo_language;
  bool Fsame_quality = false, Fdo_deinterlace = false;
  int Ftop_field_first = -1, Fme_threshold = 0, Fintra_dc_precision = 8;
  bool Floop_input = false;
  int Floop_output = -1;
  bool Fqp_hist = false;
  rtl::String Fvfilters;
  bool FEnableFilter = false;
  bool Fintra_only = false;

  int Faudio_sample_rate = 44100;
  int64_t Fchannel_layout = 0;
  float Faudio_qscale = -99999.0f;
  bool Faudio_disable = false;
  int Faudio_channels = 2;
  std::string Faudio_codec_name;
  uint32_t Faudio_codec_tag = 0;
  rtl::String Faudio_language;

  bool Fsubtitle_disable = false;
  std::string Fsubtitle_codec_name;
  rtl::String Fsubtitle_language;
  uint32_t Fsubtitle_codec_tag = 0;

  float Fmux_preload = 0.5f, Fmux_max_delay = 0.7f;
  int64_t Frecording_time = INT64_MAX, Fstart_time = 0, Frecording_timestamp = 0;
  int64_t Finput_ts_offset = 0;
  int Fdo_benchmark = 0;
  bool Fdo_hex_dump = false, Fdo_pkt_dump = false, Fdo_psnr = false;
  int Fdo_pass = 0;
  std::string Fpass_logfilename_prefix;
  int Faudio_stream_copy = 0, Fvideo_stream_copy = 0, Fsubtitle_stream_copy = 0;
  int Fvideo_sync_method = -1, Faudio_sync_method = 0;
  float Faudio_drift_threshold = 0.1f;
  bool Fcopy_ts = false, Fopt_shortest = false;
  int Fvideo_global_header = 0;
  std::string Fvstats_filename;
  FILE* Fvstats_file = nullptr;
  int Fopt_programid = 0, Fcopy_initial_nonkeyframes = 0;
  bool Frate_emu = false;
  int Fvideo_channel = 0;
  std::string Fvideo_standard;
  int Faudio_volume = 256;
  bool Fexit_on_error = false;
  int Fusing_stdin = 0;
  bool Fusing_vhook = false;
  int Fverbose = 1, Fthread_count = 1, Fq_pressed = 0;
  bool Finput_sync = false;
  int64_t Flimit_filesize = 0;
  bool Fforce_fps = false;
  int Fpgmyuv_compatibility_hack = 0;
  float Fdts_delta_threshold = 10.0f;
  unsigned Fsws_flags = 4;
  TFFOptions FOptions;
  std::vector<std::pair<std::string, std::string>> Fmetadata;
  std::vector<TPrivateOption> FPrivateOptions;
  std::vector<std::string> Fvideo_bitstream_filters, Faudio_bitstream_filters,
      Fsubtitle_bitstream_filters;
  std::vector<std::vector<std::string>> Fvideo_hooks;  // library path and its arguments
  struct TFrameHookEntry* FFirstHook = nullptr;       // the loaded hooks, in option order

  // Work state of the transcode kept beside the options.
  int64_t Fvideo_size = 0, Faudio_size = 0, Fextra_size = 0;
  int Fnb_frames_dup = 0, Fnb_frames_drop = 0;
  bool FShowDupOrDrop = false;
  int Fbit_buffer_size = 262144;
  AVFilterGraph* Fgraph = nullptr;

  // Open-codec lists.
  TCodecItem* FEncoderList = nullptr;
  TCodecItem* FDecoderList = nullptr;

  // Hooks.
  int FHookFrameNumber = 0;
  std::unique_ptr<TRGBConvertContext> FHookContext;
  struct TPostHookContext {
    std::unique_ptr<TRGBConvertContext> Context;
    std::unique_ptr<rtl::TObject> Previewer;
    int64_t preview_last_time = 0;
    int64_t preview_cur_time = 0;
  } FPostContext;
  TPostHooks FPostHooks;

  // Run state.
  bool FJoinMode = false;
  int64_t FTotalOutputDuration = -1;
  rtl::String FLastErrMsg;

 protected:
  // The transcode proper; the run calls it once. Sets FFinished at its normal
  // end. A subclass that overrides it ends the run (Stop(true)) in its own
  // destructor, before its members go.
  virtual void Transcode();
  void RunConversion();
  void NotifyTerminate();
  void ReleaseResources();
  void ReportFatal(const rtl::String& AMessage);
  void Log(int ALevel, const std::string& AUtf8);

  std::atomic<bool> FConverting{false};
  std::atomic<bool> FBroken{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFatalException{false};

 private:
  friend class TConvertThread;
  friend class TDoTerminateThread;

  void SetCodecName(int& AStreamCopy, std::string& ACodecName, const rtl::String& AValue);
  void SetTag(uint32_t& ATag, const rtl::String& AValue, const char* AKind);
  void SetCrop(int A, int& ABand, bool AVertical, const char* AName);
  void LogFormatList(bool APixel);
  void ReleaseOutputFile(TOutputFile& AFile);
  // The outputs are created when the run starts, never before: each file is
  // written beside its target (a name of its own in the same folder) and put
  // over the target by SettleOutputFiles.
  void OpenOutputIO();
  // At the end of a run: a finished or stopped run's output replaces the
  // target; a failed run's output is kept only where no file stood, so that
  // a file that was there stays as it was. Empty outputs go.
  void SettleOutputFiles(bool ARunFailed);
  void NewVideoStream(TOutputFile& AFile);
  void NewAudioStream(TOutputFile& AFile);
  void NewSubtitleStream(TOutputFile& AFile);
  TOutputStreamSetup& AddStreamSetup(TOutputFile& AFile, AVMediaType AType,
                                     const AVCodec* ACodec, std::vector<std::string>& ABsfs);
  void ApplyPrivateOptions(TOutputStreamSetup& ASetup);
  void ApplyMuxerOptions(TOutputFile& AFile);
  const AVCodec* ChooseEncoder(TOutputFile& AFile, std::string& AName, AVMediaType AType,
                               AVCodecID& AId, bool& AOwnAmrNb);
  void AddNewStream(AVMediaType AType);
  bool AnyPrivateClassKnows(const std::string& AName) const;
  bool IsGenericOptionName(const std::string& AName) const;
  bool SetPresetOption(const std::string& AKey, const std::string& AValue, int AMediaType,
                       const std::string& APreset, const std::string& ALine);

  TConvertThread* FThread = nullptr;              // the run's thread, while it exists
  std::unique_ptr<TConvertThread> FThreadObj;     // owns it until joined
  std::unique_ptr<TDoTerminateThread> FTermThread;
  rtl::TEvent FStopEvent{true, true};
  rtl::TEvent FTermEvent{true, true};
  mutable std::mutex FPauseLock;
  std::condition_variable FPauseCond;
  bool FPaused = false;
  mutable std::mutex FFatalLock;
  rtl::String FFatalMessage;
  std::set<std::string> FWarnedNames;
};

// The stored H.264 encoder presets: the text of AName (letter case ignored),
// or empty text.
rtl::String FindStoredPreset(const rtl::String& AName);
// The names of the stored presets, in table order.
std::vector<rtl::String> StoredPresetNames();
// Splits a "vhook" value into the library and its arguments ("|" separates
// when present, else a space), at most 64 entries.
std::vector<std::string> SplitVideoHookArgs(const std::string& AValue);
// The encoder-choice rules applied when an output stream is created.
void ChooseSampleFormat(AVCodecContext* AEnc, const AVCodec* ACodec);
void ChooseSampleRate(AVCodecContext* AEnc, const AVCodec* ACodec, rtl::TObject* ASender);
void ChoosePixelFormat(AVCodecContext* AEnc, const AVCodec* ACodec);
// 64 comma-separated coefficients into ADest.
void ParseMatrix(uint16_t* ADest, const std::string& AText);
// An 8-bit time or date into microseconds (FFmpegException on bad text).
int64_t ParseTimeOrFail(const std::string& AContext, const std::string& ATime, bool AIsDuration);
// True when the two paths name one file: the same device and inode when both
// exist, else the same path once resolved (links, "." and "..").
bool SameFile(const std::string& APathA, const std::string& APathB);
// The process-wide lock of the live-preview post hooks.
std::recursive_mutex& PostHookLock();

}  // namespace engine
