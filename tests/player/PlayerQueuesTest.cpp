// The packet queue between reader and decoders, and the ring of position and
// state notifications.
#include <gtest/gtest.h>

#include <thread>

#include "player/PlayerQueues.h"
#include "tests/player/PlayerTestUtils.h"

using namespace player;

namespace {

class PacketQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { playertest::LoadPlayerLibraries(); }
  // A packet with ASize bytes of data.
  AVPacket* Packet(int ASize) {
    AVPacket* p = ff::av_packet_alloc();
    EXPECT_EQ(ff::av_new_packet(p, ASize), 0);
    return p;
  }
  void Put(TPacketQueue& q, int ASize) {
    AVPacket* p = Packet(ASize);
    EXPECT_EQ(q.Put(p), 0);
    ff::av_packet_free(&p);
  }
  AVPacket flush_{};
};

TEST_F(PacketQueueTest, CountsDataAndNodesAndKeepsOrder) {
  TPacketQueue q(&flush_);
  Put(q, 100);
  EXPECT_EQ(q.Size(), 172);
  Put(q, 7);
  EXPECT_EQ(q.Packets(), 2);
  AVPacket* got = nullptr;
  ASSERT_EQ(q.Get(got, false), 1);
  EXPECT_EQ(got->size, 100);
  q.FreePacket(got);
  EXPECT_EQ(q.Size(), 79);
  q.Flush();
  EXPECT_EQ(q.Packets(), 0);
  EXPECT_EQ(q.Size(), 0);
  ASSERT_EQ(q.Put(&flush_), 0);
  EXPECT_EQ(q.Packets(), 1);
  EXPECT_EQ(q.Size(), 72);
  ASSERT_EQ(q.Get(got, false), 1);
  EXPECT_TRUE(q.IsFlush(got));
  q.FreePacket(got);
}

TEST_F(PacketQueueTest, EmptyAndAbortedQueues) {
  TPacketQueue q(&flush_);
  AVPacket* got = nullptr;
  EXPECT_EQ(q.Get(got, false), 0);
  Put(q, 10);
  q.Abort();
  EXPECT_EQ(q.Get(got, true), -1) << "an aborted queue gives nothing although it holds a packet";
  q.Start();
  EXPECT_EQ(q.Packets(), 0);
  Put(q, 3);
  EXPECT_EQ(q.Get(got, false), 1);
  q.FreePacket(got);
}

TEST_F(PacketQueueTest, BlockingGetWakesOnPutAndOnAbort) {
  TPacketQueue q(&flush_);
  int result = 0;
  std::thread t([&] {
    AVPacket* got = nullptr;
    result = q.Get(got, true);
    q.FreePacket(got);
  });
  Put(q, 5);
  t.join();
  EXPECT_EQ(result, 1);
  std::thread t2([&] {
    AVPacket* got = nullptr;
    result = q.Get(got, true);
  });
  q.Abort();
  t2.join();
  EXPECT_EQ(result, -1);
}

TEST(PlayEventTest, CollapsesRepeatsKeepsOrderAndDropsTheOldest) {
  TPlayEvent ring;
  ring.Post({pekPosition, 1});
  ring.Post({pekPosition, 2});
  ring.Post({pekState, psPause});
  ring.Post({pekPosition, 3});
  TPlayEventItem a = ring.Take(), b = ring.Take(), c = ring.Take(), d = ring.Take();
  EXPECT_EQ(a.Kind, pekPosition);
  EXPECT_EQ(a.Value, 2);
  EXPECT_EQ(b.Kind, pekState);
  EXPECT_EQ(c.Value, 3);
  EXPECT_EQ(d.Kind, pekNone);
  EXPECT_FALSE(ring.Wait(0)) << "an empty ring resets its event";

  for (int i = 0; i < 10; ++i) ring.Post({i % 2 ? pekState : pekPosition, i});
  EXPECT_EQ(ring.Pending(), 9);
  EXPECT_EQ(ring.Take().Value, 1) << "the oldest of ten is lost";
}

TEST(ManualEventTest, StaysSetUntilReset) {
  TManualEvent e(true);
  EXPECT_TRUE(e.Wait(0));
  EXPECT_TRUE(e.Wait(0));
  e.Reset();
  EXPECT_FALSE(e.Wait(10));
  std::thread t([&] { e.Set(); });
  EXPECT_TRUE(e.Wait(5000));
  t.join();
}

}  // namespace
