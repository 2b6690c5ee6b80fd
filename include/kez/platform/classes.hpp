/// @file
/// The object model the components stand on: TObject, TPersistent (Assign/AssignTo) and
/// TComponent (owner, Name, Tag).
///
/// @code
///   auto* owner = new kez::TComponent(nullptr);
///   auto* child = new SomeComponent(owner);   // owner deletes child when it is deleted
///   delete owner;
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TObject
/// Root of the class tree. Objects are identities: they are not copied by value.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  /// ClassName
  /// The class's name without namespace, as "TStringArray".
  String ClassName() const;
};

/// TNotifyEvent
/// An event with the sending object as its only argument (OnChange of every component).
using TNotifyEvent = std::function<void(TObject* Sender)>;

/// CallHandler
/// Calls a stored handler (a TNotifyEvent or any other std::function slot) through a copy,
/// so the handler may replace or clear itself, or assign or change its object, while it
/// runs: the closure that runs stays alive until it returns. An empty handler is not
/// called. Every class that stores a handler calls it through here.
template <class Handler, class... Args>
void CallHandler(const Handler& Stored, Args&&... Arguments) {
  if (!Stored) return;
  const Handler running = Stored;
  running(std::forward<Args>(Arguments)...);
}

/// TPersistent
/// An object whose state can be copied into another through Assign.
class TPersistent : public TObject {
 public:
  /// Assign
  /// Copies Source into this object. The base version hands the copy to
  /// Source->AssignTo(this); a class that knows Source's class overrides it. A null
  /// Source, or a pair no class knows, raises EConvertError
  /// "Cannot assign a <source class> to a <this class>" ("nil" for a null source).
  virtual void Assign(TPersistent* Source);

 protected:
  /// AssignTo
  /// Copies this object into Dest; the base version raises the EConvertError above
  /// ("... to a nil" for a null Dest).
  virtual void AssignTo(TPersistent* Dest);

  /// AssignError
  /// Raises EConvertError "Cannot assign a <Source class> to a <this class>".
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

/// TComponent
/// A persistent object with an owner, a Name and a Tag. An owner deletes the components it
/// owns when it is deleted itself; a component deleted first leaves its owner's list. A
/// component created with an owner must therefore be created with new.
class TComponent : public TPersistent {
 public:
  /// Creates the component; a non-null AOwner takes it into its list and deletes it with
  /// itself.
  explicit TComponent(TComponent* AOwner);
  /// Deletes the components this one owns, then leaves the owner's list.
  ~TComponent() override;

  /// The owning component, or null.
  TComponent* Owner() const { return FOwner; }
  /// The component's name (empty unless set); it is not checked for uniqueness.
  const String& Name() const { return FName; }
  /// Sets Name.
  void SetName(String Value) { FName = std::move(Value); }
  /// A number free for the application's use, 0 at first.
  std::int32_t Tag() const { return FTag; }
  /// Sets Tag.
  void SetTag(std::int32_t Value) { FTag = Value; }

  /// ComponentCount / Components
  /// The components this one owns, in order of creation (index 0 based).
  std::int32_t ComponentCount() const { return static_cast<std::int32_t>(FComponents.size()); }
  /// The owned component at Index (0-based); an Index outside 0..ComponentCount()-1 throws
  /// std::out_of_range.
  TComponent* Components(std::int32_t Index) const {
    return FComponents.at(static_cast<std::size_t>(Index));
  }

 private:
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  String FName;
  std::int32_t FTag = 0;
};

KEZ_API_END
}  // namespace kez
