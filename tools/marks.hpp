// The "marks" command of the kez tool: a sheet of every data-point mark and frame style.
#pragma once

#include <span>

// MarkSheet
// "kez marks --png FILE": draws the 52 geometric marks, a few character marks and the five
// frame styles, enlarged with a pixel grid and each code beside its mark, into FILE (PNG;
// BMP unless the name ends in .png). Returns the process exit code.
int MarkSheet(std::span<char*> Args);
