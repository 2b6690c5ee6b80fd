// Start of KEZ_stringl: the scrambler's tables are built from the default seed.
#include "kez/stringl/scramble.hpp"
#include "package/units.hpp"

namespace kez::detail {

void StringlStart() { InitScramble(ScrambleDefaultSeed); }

}  // namespace kez::detail
