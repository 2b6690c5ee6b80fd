// The one wording of component errors.
#include "kez/kezbase.hpp"

namespace kez {

String ComponentMessage(const TComponent& Component, StringView Text) {
  String message = u"Component \"";
  message += Component.Name();
  message += u"\": ";
  message += Text;
  return message;
}

}  // namespace kez
