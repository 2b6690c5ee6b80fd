// The HTML helpers: THtmlProducer::Convert on an arbitrary template with a handler that
// replaces, removes or keeps each tag (chosen by the tag's name), then URLDecode and
// ResolveHTMLEntities on the same text.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/htmlsupport.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const kez::String replacement = in.Text();
  const kez::String text = in.Text();

  kez::THtmlProducer p(nullptr);
  p.SetTemplate(text);
  p.SetOnHTMLTag(
      [&](kez::TObject*, const kez::String& Name, const kez::String& Params, kez::String& Out) {
        switch (Name.size() % 3) {
          case 0:
            Out = replacement + Params;
            break;
          case 1:
            Out.clear();
            break;
          default:
            break;
        }
      });
  p.Convert();
  kez::URLDecode(text);
  if (kez::ResolveHTMLEntities(text).size() > text.size()) std::abort();
  return 0;
}
