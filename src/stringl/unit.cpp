// Start of KEZ_stringl.
#include "package/units.hpp"

namespace kez::detail {

void StringlStart() {}

}  // namespace kez::detail
