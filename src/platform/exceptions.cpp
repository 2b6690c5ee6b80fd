// Exception base and the object model.
#include "kez/platform/exceptions.hpp"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "kez/platform/classes.hpp"

namespace kez {

Exception::Exception(String Message)
    : FMessage(std::move(Message)), FUtf8(StringToUtf8(FMessage)) {}

String TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : mangled;
  const auto colon = name.rfind("::");
  if (colon != std::string::npos) name.erase(0, colon + 2);
  return Utf8ToString(name);
}

void TPersistent::Assign(TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
  if (Dest == nullptr) throw EConvertError(u"Cannot assign a " + ClassName() + u" to a nil");
  Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const {
  const String source = Source != nullptr ? Source->ClassName() : String(u"nil");
  throw EConvertError(u"Cannot assign a " + source + u" to a " + ClassName());
}

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner != nullptr) FOwner->FComponents.push_back(this);
}

TComponent::~TComponent() {
  // Children leave the list themselves as they are deleted; take them from the back.
  while (!FComponents.empty()) {
    TComponent* child = FComponents.back();
    FComponents.pop_back();
    child->FOwner = nullptr;
    delete child;
  }
  if (FOwner != nullptr) {
    auto& siblings = FOwner->FComponents;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
      if (*it == this) {
        siblings.erase(it);
        break;
      }
    }
  }
}

}  // namespace kez
