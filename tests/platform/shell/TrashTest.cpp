// The trash of the freedesktop.org specification: the home trash's layout
// and .trashinfo text, names kept unique, links trashed as links, several
// items all or none, and the paths that are refused.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/shell/Trash.h"
#include "tests/platform/shell/ShellFixture.h"

namespace {

std::string Read(const std::string& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
bool Exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

class TrashTest : public ::testing::Test {
 protected:
  TTempTree tree;
  TEnvSetting home{"HOME", tree.Root()};
  TEnvSetting data{"XDG_DATA_HOME", tree.Root() + "/data"};
  std::string Trash(const std::string& rel) const { return tree.Path("data/Trash/" + rel); }
};

TEST(TrashPath, EscapingTable) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"/home/a/clip.mp4", "/home/a/clip.mp4"},
               {"/home/a/my clip.mp4", "/home/a/my%20clip.mp4"},
               {"/x/100%.avi", "/x/100%25.avi"},
               {"/x/视频", "/x/%E8%A7%86%E9%A2%91"},
               {"/x/a#b?c", "/x/a%23b%3Fc"}};
  for (const auto& c : cases) EXPECT_EQ(shell::EscapeTrashPath(c.in), c.out) << c.in;
}

TEST_F(TrashTest, HomeTrashLayoutInfoAndUniqueNames) {
  tree.Dir("d/folder/inner");
  tree.File("d/clip.mp4", "one");
  tree.File("d/folder/inner/x.txt");
  EXPECT_EQ(shell::HomeTrashDirectory(), tree.Path("data/Trash"));
  EXPECT_EQ(shell::TrashDirectoryFor(tree.Path("d/clip.mp4")), tree.Path("data/Trash"));
  shell::TTrashedItem item;
  ASSERT_EQ(shell::MoveToTrash(tree.Path("d/clip.mp4"), &item), 0);
  EXPECT_EQ(item.Trashed, Trash("files/clip.mp4"));
  EXPECT_EQ(item.Info, Trash("info/clip.mp4.trashinfo"));
  EXPECT_EQ(Read(Trash("files/clip.mp4")), "one");
  const std::string info = Read(item.Info);
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + tree.Path("d/clip.mp4") + "\nDeletionDate=", 0), 0u) << info;
  struct stat st;
  ASSERT_EQ(::stat(Trash("files").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u) << "the trash is the user's alone";

  tree.File("d/clip.mp4", "two");
  ASSERT_EQ(shell::MoveToTrash(tree.Path("d/clip.mp4"), &item), 0);
  EXPECT_EQ(item.Trashed, Trash("files/clip.2.mp4"));
  EXPECT_EQ(Read(Trash("files/clip.2.mp4")), "two");
  EXPECT_EQ(Read(Trash("files/clip.mp4")), "one");

  ASSERT_EQ(shell::MoveToTrash(tree.Path("d/folder/"), &item), 0) << "a trailing slash names the folder";
  EXPECT_TRUE(Exists(Trash("files/folder/inner/x.txt")));
  EXPECT_TRUE(Exists(Trash("info/folder.trashinfo")));

  // A link goes as the link; its target stays.
  tree.File("d/target.avi");
  ASSERT_EQ(::symlink(tree.Path("d/target.avi").c_str(), tree.Path("d/link.avi").c_str()), 0);
  ASSERT_EQ(shell::MoveToTrash(tree.Path("d/link.avi")), 0);
  ASSERT_EQ(::lstat(Trash("files/link.avi").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_TRUE(Exists(tree.Path("d/target.avi")));

  // Restoring puts it back and removes its info.
  ASSERT_EQ(shell::MoveToTrash(tree.Path("d/target.avi"), &item), 0);
  ASSERT_EQ(shell::RestoreFromTrash(item), 0);
  EXPECT_TRUE(Exists(tree.Path("d/target.avi")));
  EXPECT_FALSE(Exists(item.Info));
}

TEST_F(TrashTest, SeveralItemsAllOrNoneAndRefusedPaths) {
  tree.Dir("s");
  tree.File("s/a.mp4");
  tree.File("s/b.mp4");
  std::string failed;
  EXPECT_EQ(shell::MoveAllToTrash({tree.Path("s/a.mp4"), tree.Path("s/missing.mp4"), tree.Path("s/b.mp4")}, &failed),
            ENOENT);
  EXPECT_EQ(failed, tree.Path("s/missing.mp4"));
  EXPECT_TRUE(Exists(tree.Path("s/a.mp4"))) << "the first one came back";
  EXPECT_TRUE(Exists(tree.Path("s/b.mp4")));
  EXPECT_FALSE(Exists(Trash("files/a.mp4")));
  EXPECT_FALSE(Exists(Trash("info/a.mp4.trashinfo")));
  EXPECT_EQ(shell::MoveAllToTrash({tree.Path("s/a.mp4"), tree.Path("s/b.mp4")}), 0);
  EXPECT_TRUE(Exists(Trash("files/b.mp4")));

  EXPECT_EQ(shell::MoveToTrash("/"), EINVAL);
  EXPECT_EQ(shell::MoveToTrash(tree.Path("data")), EINVAL) << "a folder holding the trash";
  EXPECT_EQ(shell::MoveToTrash(tree.Path("data/Trash")), EINVAL);
  EXPECT_EQ(shell::MoveToTrash(""), EINVAL);
  if (::geteuid() != 0) {
    tree.Dir("ro");
    tree.File("ro/f.mp4");
    ::chmod(tree.Path("ro").c_str(), 0555);
    EXPECT_EQ(shell::MoveToTrash(tree.Path("ro/f.mp4")), EACCES);
    EXPECT_TRUE(Exists(tree.Path("ro/f.mp4")));
    EXPECT_FALSE(Exists(Trash("info/f.mp4.trashinfo"))) << "no info left behind";
    ::chmod(tree.Path("ro").c_str(), 0755);
  }
}

}  // namespace
