// Proves that an installed kez is found and linked by find_package(kez).
#include <cstdio>

#include "kez/kez.hpp"

int main() {
  const kez::String text = kez::FloatToStrLayout(1250, 12, -1);
  std::printf("%s\n", kez::StringToUtf8(text).c_str());
  return text == u" 1.250E+0003" && kez::GetPackageInfoTable().UnitCount == 11 ? 0 : 1;
}
