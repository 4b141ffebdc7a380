#include "skin/data/bsSkinFormRegistry.h"

namespace skin {

namespace {
IbsSkinFormRegistry* gRegistry = nullptr;
}

void SetSkinFormRegistry(IbsSkinFormRegistry* Registry) { gRegistry = Registry; }
IbsSkinFormRegistry* SkinFormRegistry() { return gRegistry; }

}  // namespace skin
