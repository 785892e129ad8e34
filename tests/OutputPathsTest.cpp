#include "engine/OutputPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(MakeUniquePath, FreePathIsKept) {
  TempDir dir;
  EXPECT_EQ(MakeUniquePath(dir / "song.mp3"), dir / "song.mp3");
}

TEST(MakeUniquePath, CountsFromTwoBeforeTheExtension) {
  TempDir dir;
  WriteFile(dir / "song.mp3", "x");
  EXPECT_EQ(MakeUniquePath(dir / "song.mp3"), dir / "song (2).mp3");
  WriteFile(dir / "song (2).mp3", "x");
  WriteFile(dir / "song (3).mp3", "x");
  EXPECT_EQ(MakeUniquePath(dir / "song.mp3"), dir / "song (4).mp3");
}

TEST(MakeUniquePath, DotInFolderNameIsNoExtension) {
  TempDir dir;
  ASSERT_TRUE(CreateFolderPath(dir / "v1.0"));
  WriteFile(dir / "v1.0/notes", "x");
  EXPECT_EQ(MakeUniquePath(dir / "v1.0/notes"), dir / "v1.0/notes (2)");
}

TEST(MakeUniquePath, ExistingFolderCountsAsTaken) {
  TempDir dir;
  ASSERT_TRUE(CreateFolderPath(dir / "out.mp3"));
  EXPECT_EQ(MakeUniquePath(dir / "out.mp3"), dir / "out (2).mp3");
}

TEST(CreateFolderPath, CreatesMissingParents) {
  TempDir dir;
  EXPECT_TRUE(CreateFolderPath(dir / "a/b/c"));
  EXPECT_TRUE(IsFolder(dir / "a"));
  EXPECT_TRUE(IsFolder(dir / "a/b"));
  EXPECT_TRUE(IsFolder(dir / "a/b/c"));
}

TEST(CreateFolderPath, Cases) {
  TempDir dir;
  WriteFile(dir / "file", "x");
  ASSERT_TRUE(CreateFolderPath(dir / "exists"));
  struct Case {
    std::string path;
    bool ok;
  } cases[] = {
      {dir / "exists", true},           // an existing folder succeeds at once
      {dir / "exists/", true},          // a folder text ends with '/'
      {dir / "x/y/z/", true},           // parents and a trailing '/'
      {dir / "file", false},            // a file stands there
      {dir / "file/sub", false},        // below a file
      {"", false},                      // nothing to create
      {"/proc/no-such/folder", false},  // a file system that refuses
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(CreateFolderPath(c.path), c.ok);
    if (c.ok) {
      EXPECT_TRUE(IsFolder(c.path));
    }
  }
}

TEST(CreateFolderPath, UnwritableParentFails) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  TempDir dir;
  ASSERT_TRUE(CreateFolderPath(dir / "locked"));
  chmod((dir / "locked").c_str(), 0500);
  EXPECT_FALSE(CreateFolderPath(dir / "locked/a/b"));
}

TEST(FolderOf, CutsAtTheLastSlash) {
  EXPECT_EQ(FolderOf("/music/out/song.mp3"), "/music/out");
  EXPECT_EQ(FolderOf("song.mp3"), "");
  EXPECT_EQ(FolderOf("C/My Music/song.mp3"), "C/My Music");
}

}  // namespace
}  // namespace snipster
