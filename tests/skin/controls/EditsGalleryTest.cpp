// Gallery of the edits and up-down buttons in three stored skins and plain
// (PNG files in the build folder).
#include "tests/skin/controls/EditsTestUtil.h"

namespace skinctltest {
namespace {

TEST(EditsGalleryPlaceholder, Builds) {}

}  // namespace
}  // namespace skinctltest
