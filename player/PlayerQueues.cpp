#include "player/PlayerQueues.h"

#include <chrono>

namespace player {

void TManualEvent::Set() {
  std::lock_guard g(lock_);
  set_ = true;
  cond_.notify_all();
}

void TManualEvent::Reset() {
  std::lock_guard g(lock_);
  set_ = false;
}

bool TManualEvent::IsSet() {
  std::lock_guard g(lock_);
  return set_;
}

bool TManualEvent::Wait(int AMilliseconds) {
  std::unique_lock g(lock_);
  if (AMilliseconds < 0) {
    cond_.wait(g, [&] { return set_; });
    return true;
  }
  return cond_.wait_for(g, std::chrono::milliseconds(AMilliseconds), [&] { return set_; });
}

int TPacketQueue::Put(AVPacket* APacket) {
  AVPacket* node = const_cast<AVPacket*>(flush_);
  int bytes = 0;
  if (APacket != flush_) {
    node = ff::av_packet_alloc();
    if (!node) return -1;
    if (ff::av_packet_ref(node, APacket) < 0) {
      ff::av_packet_free(&node);
      return -1;
    }
    ff::av_packet_unref(APacket);
    bytes = node->size;
  }
  std::lock_guard g(lock_);
  list_.push_back(node);
  nb_packets_ += 1;
  size_ += bytes + PacketNodeSize;
  cond_.notify_one();
  return 0;
}

int TPacketQueue::PutEmpty(int AStreamIndex) {
  AVPacket* node = ff::av_packet_alloc();
  if (!node) return -1;
  node->stream_index = AStreamIndex;
  std::lock_guard g(lock_);
  list_.push_back(node);
  nb_packets_ += 1;
  size_ += PacketNodeSize;
  cond_.notify_one();
  return 0;
}

void TPacketQueue::FreePacket(AVPacket*& APacket) const {
  if (APacket && APacket != flush_) ff::av_packet_free(&APacket);
  APacket = nullptr;
}

void TPacketQueue::Flush() {
  std::lock_guard g(lock_);
  for (AVPacket* p : list_) FreePacket(p);
  list_.clear();
  nb_packets_ = 0;
  size_ = 0;
}

void TPacketQueue::Abort() {
  std::lock_guard g(lock_);
  abort_ = true;
  cond_.notify_all();
}

void TPacketQueue::Start() {
  Flush();
  abort_ = false;
}

void TPacketQueue::Signal() {
  std::lock_guard g(lock_);
  cond_.notify_all();
}

int TPacketQueue::Get(AVPacket*& APacket, bool ABlock) {
  APacket = nullptr;
  std::unique_lock g(lock_);
  for (;;) {
    if (abort_) return -1;
    if (!list_.empty()) {
      APacket = list_.front();
      list_.pop_front();
      nb_packets_ -= 1;
      size_ -= (APacket == flush_ ? 0 : APacket->size) + PacketNodeSize;
      return 1;
    }
    if (!ABlock) return 0;
    cond_.wait(g);
  }
}

void TPlayEvent::Post(TPlayEventItem AItem) {
  std::lock_guard g(lock_);
  const int newest = (tailer_ + Slots - 1) % Slots;
  if (header_ == tailer_ || events_[newest].Kind != AItem.Kind) {
    tailer_ = (tailer_ + 1) % Slots;
    if (tailer_ == header_) header_ = (header_ + 1) % Slots;
  }
  events_[(tailer_ + Slots - 1) % Slots] = AItem;
  event_.Set();
}

TPlayEventItem TPlayEvent::Take() {
  std::lock_guard g(lock_);
  TPlayEventItem item;
  if (header_ == tailer_) {
    event_.Reset();
    return item;
  }
  item = events_[header_];
  header_ = (header_ + 1) % Slots;
  if (header_ == tailer_) event_.Reset();
  return item;
}

void TPlayEvent::Clear() {
  std::lock_guard g(lock_);
  header_ = tailer_ = 0;
  event_.Reset();
}

int TPlayEvent::Pending() {
  std::lock_guard g(lock_);
  return (tailer_ - header_ + Slots) % Slots;
}

}  // namespace player
