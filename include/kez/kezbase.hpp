/// @file
/// KEZ_kezbase: the library frame. The base exception class of the library, the one wording
/// of component errors, the vocabulary shared by the suite (enumerations, records, word
/// tables, status globals), the drawing helpers and the chart elements (cross-hair, date/time
/// label layout, text label).
///
/// @code
///   throw kez::EKEZDStructError(kez::ComponentMessage(matrix, u"feature is not an integer"));
///   // "Component \"Feat1\": feature is not an integer"
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once, and the functions on
/// separate data; each header below says where process-wide state lives (kez/kez.hpp lists it
/// all).
#pragma once

#include <new>
#include <stdexcept>

#include "kez/platform/classes.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// EKEZError
/// Base of every error the library itself detects; catch it to catch them all.
class EKEZError : public Exception {
 public:
  using Exception::Exception;
};

/// ComponentMessage
/// The message of a component error: "Component " + '"' + Name + '"' + ": " + Text. The name
/// is used unchanged; a component without a name (always so inside its constructor) gives
/// two double quotes with nothing between them.
String ComponentMessage(const TComponent& Component, StringView Text);

/// RaiseComponentError
/// Raises E (a unit's exception class) with ComponentMessage(Component, Text).
template <class E>
[[noreturn]] void RaiseComponentError(const TComponent& Component, StringView Text) {
  throw E(ComponentMessage(Component, Text));
}

/// GuardAllocation
/// Runs Allocate; an allocation failure inside it (std::bad_alloc, std::length_error) is
/// discarded and replaced by E with the component message Text, as components report
/// "not enough memory on heap".
template <class E, class F>
void GuardAllocation(const TComponent& Component, StringView Text, F&& Allocate) {
  try {
    Allocate();
  } catch (const std::bad_alloc&) {
    RaiseComponentError<E>(Component, Text);
  } catch (const std::length_error&) {
    RaiseComponentError<E>(Component, Text);
  }
}

KEZ_API_END
}  // namespace kez

#include "kez/kezbase/vocabulary.hpp"
#include "kez/kezbase/drawing.hpp"
#include "kez/kezbase/chartelements.hpp"
