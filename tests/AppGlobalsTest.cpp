#include "app/AppGlobals.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include "engine/OutputPaths.h"

namespace snipster {
namespace {

TEST(AppGlobals, DecoderHandlesOpenAndClose) {
  AppGlobals globals;
  EXPECT_EQ(OpenDecoderLibrary(globals), "");
  ASSERT_NE(globals.probeHandle, nullptr);
  ASSERT_NE(globals.decodeHandle, nullptr);
  EXPECT_NE(globals.probeHandle, globals.decodeHandle);
  // Both handles work independently.
  EXPECT_EQ(mpg123_format_none(globals.probeHandle), MPG123_OK);
  EXPECT_EQ(mpg123_format(globals.decodeHandle, 44100, 2, MPG123_ENC_SIGNED_32), MPG123_OK);
  CloseDecoderLibrary(globals);
  EXPECT_EQ(globals.probeHandle, nullptr);
  EXPECT_EQ(globals.decodeHandle, nullptr);
}

TEST(AppGlobals, RingsHaveTheirCapacityAndStartEmpty) {
  AppGlobals globals;
  CreateSampleRings(globals);
  for (SampleRing* ring : {globals.decoderRing.get(), globals.converterRing.get()}) {
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->capacity(), 1u << 20);
    EXPECT_EQ(ring->Available(), 0u);
    EXPECT_EQ(ring->Free(), (1u << 20) - 1);
  }
  EXPECT_NE(globals.decoderRing.get(), globals.converterRing.get());
  EXPECT_EQ(globals.listFrozen.load(), 0);
}

TEST(AppGlobals, ProgramFolderHoldsThisTest) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(PathExists(folder + "/plan_tests"));
}

}  // namespace
}  // namespace snipster
