// The small queues of the preview player, free of SDL so they can be tested
// alone: the packet queue between the read thread and the decoders, the
// manual-reset event, and the ring of position and state notifications
// between the engine threads and the event thread.
//
// Threads: every operation may be called from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "engine/FFEntries.h"

namespace player {

// A manual-reset event: set stays set until reset; Wait returns at once
// while it is set.
class TManualEvent {
 public:
  explicit TManualEvent(bool ASignalled) : set_(ASignalled) {}
  void Set();
  void Reset();
  bool IsSet();
  // True when the event is (or becomes) set within AMilliseconds (< 0: no limit).
  bool Wait(int AMilliseconds);

 private:
  std::mutex lock_;
  std::condition_variable cond_;
  bool set_;
};

// Bytes counted for each queued packet beyond its data (the size of one
// list node of the original layout), so queue limits stay the same.
inline constexpr int PacketNodeSize = 72;

// Packets from the read thread to one decoder. The flush packet is queued
// as itself (compared by address) and tells the decoder to flush.
class TPacketQueue {
 public:
  explicit TPacketQueue(const AVPacket* AFlushPacket = nullptr) : flush_(AFlushPacket) {}
  ~TPacketQueue() { Flush(); }
  TPacketQueue(const TPacketQueue&) = delete;
  TPacketQueue& operator=(const TPacketQueue&) = delete;

  // Takes over APacket's reference (moves it) unless it is the flush packet;
  // -1 when memory runs out.
  int Put(AVPacket* APacket);
  // Queues an empty packet (no data) of stream AStreamIndex: the end mark.
  int PutEmpty(int AStreamIndex);
  void Flush();
  void Abort();
  // 1 with a packet (owned by the caller unless it is the flush packet;
  // free it with FreePacket), 0 when empty and not blocking, -1 once aborted.
  int Get(AVPacket*& APacket, bool ABlock);
  bool IsFlush(const AVPacket* APacket) const { return APacket == flush_; }
  void FreePacket(AVPacket*& APacket) const;
  bool Aborted() const { return abort_.load(); }
  int Packets() const { return nb_packets_.load(); }
  int Size() const { return size_.load(); }
  // Wakes a blocked Get without aborting (used by the closing code).
  void Signal();
  // Empties the queue and clears the abort flag (a stream is opened again).
  void Start();

 private:
  const AVPacket* flush_;
  std::mutex lock_;
  std::condition_variable cond_;
  std::deque<AVPacket*> list_;
  std::atomic<int> nb_packets_{0};
  std::atomic<int> size_{0};
  std::atomic<bool> abort_{false};
};

// The ring of notifications: 10 slots, at most 9 pending. A notification of
// the kind of the newest pending one replaces it; when the ring is full the
// oldest is dropped.
enum TPlayEventKind : int { pekNone = 0, pekPosition = 1, pekState = 2, pekEnd = 3 };
struct TPlayEventItem {
  int Kind = pekNone;
  int64_t Value = 0;
};

class TPlayEvent {
 public:
  static constexpr int Slots = 10;
  void Post(TPlayEventItem AItem);
  // Kind pekNone when nothing is pending.
  TPlayEventItem Take();
  bool Wait(int AMilliseconds) { return event_.Wait(AMilliseconds); }
  void Clear();
  int Pending();

 private:
  std::mutex lock_;
  TManualEvent event_{false};
  int header_ = 0;
  int tailer_ = 0;
  TPlayEventItem events_[Slots];
};

}  // namespace player
