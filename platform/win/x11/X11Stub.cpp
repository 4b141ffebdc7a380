#include "platform/win/Backend.h"
namespace win {
std::unique_ptr<Backend> CreateX11Backend() { return nullptr; }
}
