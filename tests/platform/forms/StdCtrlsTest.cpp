#include "platform/forms/StdCtrls.h"
#include "tests/platform/forms/FormsTestUtil.h"
