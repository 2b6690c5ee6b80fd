// A short tour of the library: the unit table, a text file written and read back, the
// number layouts and a component error.
#include <cstdio>
#include <string>

#include "kez/kez.hpp"

namespace {

void Print(const kez::String& text) { std::puts(kez::StringToUtf8(text).c_str()); }

}  // namespace

int main(int argc, char** argv) {
  using namespace kez;
  const std::string folder = argc > 1 ? argv[1] : "/tmp";

  Print(u"Units of the library, in start order:");
  const TPackageInfoTable& table = GetPackageInfoTable();
  for (std::int32_t i = 0; i < table.UnitCount; ++i) Print(u"  " + String(table.Units[i].Name));

  Print(u"\nThe real-number layouts:");
  for (const auto value : {1250.0L, -0.000123456L, 3.14159265358979323846L}) {
    Print(u"  [" + FloatToStrLayout(value, 12, -1) + u"]  [" + FloatToStrLayout(value, 10, 3) +
          u"]  " + FloatToStr(static_cast<double>(value)));
  }

  const String name = Utf8ToString(folder) + u"/kez_example.txt";
  TextFile out(name);
  out.Rewrite();
  out.WriteLn(u"caf\u00e9 \u20ac 42");
  out.WriteInteger(7, 4);
  out.WriteLn();
  out.Close();

  TextFile in(name);
  in.Reset();
  String line;
  in.ReadLn(line);
  const std::int32_t number = in.ReadInteger();
  in.Close();
  in.Erase();
  Print(u"\nRead back from " + name + u": \"" + line + u"\" and " + IntToStr(number));

  TComponent owner(nullptr);
  owner.SetName(u"Demo");
  Print(u"\nA component error reads: " + ComponentMessage(owner, u"not enough memory on heap"));

  // A deferred error waits for IOResult.
  TextFile missing(u"/nonexistent/folder/file.txt");
  missing.SetErrorMode(iemDeferred);
  missing.Reset();
  Print(u"Opening a missing file leaves error code " + IntToStr(missing.IOResult()));
  return 0;
}
