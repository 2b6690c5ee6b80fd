// The "marks" command of the kez tool: a sheet of every data-point mark and frame style.
#pragma once

#include <memory>

#include "kez/kez.hpp"

// DrawMarkSheet
// The 52 geometric marks, a few character marks and the five frame styles, enlarged with a
// pixel grid and each code beside its mark.
std::unique_ptr<kez::TBitmap> DrawMarkSheet();
