#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "RecordedTrack.h"

TEST(RecordedTrack, EntriesBecomeSignedDegreesInOrder) {
    const MapPolyline t = recordedTrack({"451234,1034567,N,W", "-451234,1034567,S,E", "abc,12,s,w", "too,few",
                                         "1,2,N,E,extra", "9e9999,1034567,N,E", "451234,9e9999,N,W",
                                         "910000,1034567,N,E", "451234,1810000,N,E"});
    ASSERT_EQ(t.points.size(), 4);  // the last four are no place on Earth
    EXPECT_DOUBLE_EQ(t.points[0].latitude, 45.1234);
    EXPECT_DOUBLE_EQ(t.points[0].longitude, -103.4567);
    EXPECT_DOUBLE_EQ(t.points[1].latitude, 45.1234);  // "S" flips whatever the sign read
    EXPECT_DOUBLE_EQ(t.points[2].latitude, 0.0);      // not a number: 0, not skipped
    EXPECT_DOUBLE_EQ(t.points[2].longitude, 0.0012);  // lower-case letters flip nothing
    EXPECT_DOUBLE_EQ(t.points[3].longitude, 0.0002);  // fields after the fourth ignored
    EXPECT_EQ(t.level, 0);
    EXPECT_TRUE(recordedTrack({}).points.isEmpty());
}
