#include "audio/buffer_ring.h"

#include <gtest/gtest.h>

namespace {

TEST(BufferRing, PicksOnlyTheDoneBufferAtTheRingIndexInRingOrder) {
    BufferRing ring;
    EXPECT_EQ(ring.Pick(false, nullptr), nullptr);
    EXPECT_EQ(ring.index(), 0);

    ring[2].flags = WaveHeader::kDone;  // done out of order: waits for 0 and 1
    EXPECT_EQ(ring.Pick(false, nullptr), nullptr);
    ring[0].flags = WaveHeader::kDone;
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[0]);
    EXPECT_EQ(ring.index(), 1);
    EXPECT_EQ(ring.Pick(false, nullptr), nullptr);
    ring[1].flags = WaveHeader::kDone | WaveHeader::kPrepared;
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[1]);
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[2]);
    EXPECT_EQ(ring.index(), 3);

    // An explicit header is taken as given, even a null one, and the ring
    // does not move.
    EXPECT_EQ(ring.Pick(true, &ring[4]), &ring[4]);
    EXPECT_EQ(ring.Pick(true, nullptr), nullptr);
    EXPECT_EQ(ring.index(), 3);

    for (int i : {3, 4, 0}) {
        ring[i].flags = WaveHeader::kDone;
    }
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[3]);
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[4]);
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[0]) << "the index wraps after the fifth";
    ring.ResetIndex();
    EXPECT_EQ(ring.index(), 0);
}

TEST(BufferRing, DroppedBufferIsPassedOverUntilTheRingIsReset) {
    BufferRing ring;
    ring.Drop(&ring[1]);
    EXPECT_EQ(ring.DroppedCount(), 1);
    for (int i = 0; i < BufferRing::kCount; ++i) {
        ring[i].flags = WaveHeader::kDone;
    }
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[0]);
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[2]) << "the ring does not stall at a dropped buffer";
    ring.Drop(&ring[3]);
    ring.Drop(&ring[4]);
    ring.Drop(&ring[0]);
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[2]);
    ring.Drop(&ring[2]);
    EXPECT_EQ(ring.Pick(false, nullptr), nullptr) << "nothing left in the ring";

    ring.ResetIndex();
    EXPECT_EQ(ring.DroppedCount(), 0);
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[0]);
    EXPECT_EQ(ring.Pick(false, nullptr), &ring[1]);
}

}  // namespace
