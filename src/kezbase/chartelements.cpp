// The chart's settings objects: cross-hair, date/time label layout, text label.
#include "kez/kezbase/chartelements.hpp"

#include <algorithm>

namespace kez {
namespace {

// Stores Value in Field and notifies, the rule of most setters here.
template <class Owner, class T>
void StoreAndNotify(Owner& Self, T& Field, T Value) {
  Field = Value;
  Self.Changed();
}

// Stores Value in Field and notifies only when it differs from the value held.
template <class Owner, class T>
void StoreIfChanged(Owner& Self, T& Field, T Value) {
  if (Field == Value) return;
  Field = Value;
  Self.Changed();
}

}  // namespace

// ---- TCrossHair --------------------------------------------------------------------------

void TCrossHair::SetCrossHPosX(double Value) { StoreAndNotify(*this, FPosX, Value); }
void TCrossHair::SetCrossHPosY(double Value) { StoreAndNotify(*this, FPosY, Value); }
void TCrossHair::SetCrossHColor(TColor Value) { StoreAndNotify(*this, FColor, Value); }
void TCrossHair::SetCrossHMode(TCrossHMode Value) { StoreAndNotify(*this, FMode, Value); }
void TCrossHair::SetCrossHLineType(TPenStyle Value) { StoreAndNotify(*this, FLineType, Value); }
void TCrossHair::SetCrossHLineWid(std::int32_t Value) { StoreAndNotify(*this, FLineWid, Value); }
void TCrossHair::SetCrossHLayer(std::int32_t Value) {
  StoreAndNotify(*this, FLayer, std::clamp<std::int32_t>(Value, 1, 2));
}

void TCrossHair::SetPos(double X, double Y) {
  if (X == FPosX && Y == FPosY) return;
  FPosX = X;
  FPosY = Y;
  Changed();
}

void TCrossHair::Changed() { CallHandler(FOnChange, this); }

void TCrossHair::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TCrossHair*>(Source)) {
    FPosX = other->FPosX;
    FPosY = other->FPosY;
    FColor = other->FColor;
    FMode = other->FMode;
    FLineType = other->FLineType;
    FLineWid = other->FLineWid;
    FLayer = other->FLayer;
    FOnChange = other->FOnChange;
    return;
  }
  TPersistent::Assign(Source);
}

void TCrossHair::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TCrossHair*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

// ---- TDTLabel ----------------------------------------------------------------------------

void TDTLabel::SetTimeFormat(TTimeFormat Value) { StoreAndNotify(*this, FTimeFormat, Value); }
void TDTLabel::SetDAteOrder(TDateOrder Value) { StoreAndNotify(*this, FDateOrder, Value); }
void TDTLabel::SetDateSeparator(char16_t Value) { StoreIfChanged(*this, FDateSeparator, Value); }
void TDTLabel::SetTimeSeparator(char16_t Value) { StoreIfChanged(*this, FTimeSeparator, Value); }
void TDTLabel::SetYearLength(TYearLength Value) { StoreIfChanged(*this, FYearLength, Value); }
void TDTLabel::SetMonthName(bool Value) { StoreIfChanged(*this, FMonthName, Value); }
void TDTLabel::SetDateForTime(TDateForTime Value) { StoreIfChanged(*this, FDateForTime, Value); }

void TDTLabel::Changed() { CallHandler(FOnChange, this); }

void TDTLabel::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TDTLabel*>(Source)) {
    FTimeFormat = other->FTimeFormat;
    FDateSeparator = other->FDateSeparator;
    FTimeSeparator = other->FTimeSeparator;
    FYearLength = other->FYearLength;
    FMonthName = other->FMonthName;
    FDateOrder = other->FDateOrder;
    FDateForTime = other->FDateForTime;
    FOnChange = other->FOnChange;
    return;
  }
  TPersistent::Assign(Source);
}

void TDTLabel::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TDTLabel*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

// ---- TCustomTextLabel --------------------------------------------------------------------

TCustomTextLabel::TCustomTextLabel() : FFont(std::make_unique<TFont>()) {}

TCustomTextLabel::~TCustomTextLabel() = default;

void TCustomTextLabel::SetTxtLblPosX(double Value) { StoreAndNotify(*this, FPosX, Value); }
void TCustomTextLabel::SetTxtLblPosY(double Value) { StoreAndNotify(*this, FPosY, Value); }

void TCustomTextLabel::SetTxtLblLayer(std::int32_t Value) {
  if (Value < 1 || Value > 16) return;
  StoreAndNotify(*this, FLayer, Value);
}

void TCustomTextLabel::SetTxtLblShadowDx(std::int32_t Value) {
  StoreAndNotify(*this, FXShadow, Value);
}
void TCustomTextLabel::SetTxtLblShadowDy(std::int32_t Value) {
  StoreAndNotify(*this, FYShadow, Value);
}
void TCustomTextLabel::SetTxtLblColorShadow(TColor Value) {
  StoreAndNotify(*this, FColorShadow, Value);
}
void TCustomTextLabel::SetTxtLblAlignment(TAlignment Value) {
  StoreAndNotify(*this, FAlignment, Value);
}
void TCustomTextLabel::SetTxtLblVertAlignment(TVerticalAlignment Value) {
  StoreAndNotify(*this, FVertAlign, Value);
}
void TCustomTextLabel::SetTxtLblScreenPos(TTxtLblAttachMode Value) {
  StoreAndNotify(*this, FAttachDat, Value);
}
void TCustomTextLabel::SetTxtLblColorBkg(TColor Value) { StoreAndNotify(*this, FColorBkg, Value); }
void TCustomTextLabel::SetTxtLblColorBrd(TColor Value) { StoreAndNotify(*this, FColorBrd, Value); }
void TCustomTextLabel::SetTxtLblTranspar(bool Value) { StoreAndNotify(*this, FTransPar, Value); }
void TCustomTextLabel::SetTxtLblMode(TTxtLblMode Value) { StoreAndNotify(*this, FMode, Value); }
void TCustomTextLabel::SetTxtLblVisible(bool Value) { StoreAndNotify(*this, FVisible, Value); }

void TCustomTextLabel::SetTxtLblFont(const TFont& Value) {
  // TFont's Assign only reads its source; it takes a non-const pointer as every Assign does.
  FFont->Assign(const_cast<TFont*>(&Value));
  Changed();
}

void TCustomTextLabel::SetTxtLblCaption(StringView Value) {
  String caption(Value);
  for (char16_t& c : caption)
    if (c < 32 && c != u'\n') c = u' ';
  FCaption = std::move(caption);
  Changed();
}

void TCustomTextLabel::Changed() { CallHandler(FOnChange, this); }

void TCustomTextLabel::CopyFields(const TCustomTextLabel& Source) {
  if (&Source == this) return;
  FPosX = Source.FPosX;
  FPosY = Source.FPosY;
  FLayer = Source.FLayer;
  FXShadow = Source.FXShadow;
  FYShadow = Source.FYShadow;
  FColorShadow = Source.FColorShadow;
  FAlignment = Source.FAlignment;
  FVertAlign = Source.FVertAlign;
  FAttachDat = Source.FAttachDat;
  FColorBkg = Source.FColorBkg;
  FColorBrd = Source.FColorBrd;
  FTransPar = Source.FTransPar;
  FFont->Assign(Source.FFont.get());
  FCaption = Source.FCaption;
  FMode = Source.FMode;
  FOnChange = Source.FOnChange;
  FVisible = Source.FVisible;
}

void TCustomTextLabel::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TCustomTextLabel*>(Source)) {
    CopyFields(*other);
    return;
  }
  TPersistent::Assign(Source);
}

void TCustomTextLabel::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TCustomTextLabel*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

}  // namespace kez
