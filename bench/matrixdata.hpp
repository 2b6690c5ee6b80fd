// The feature matrix shared by the feature-matrix benchmark and the peak-memory cases.
#pragma once

#include <cstdint>
#include <string>

#include "kez/dstruct.hpp"

namespace kez::bench {

// The value of feature f of object o (both from 1), the same on every run.
inline double MatrixValue(std::int32_t f, std::int32_t o) { return o * 0.25 + f; }

// Sizes m to Feats x Objs, names the features "feature<n>" as doubles and fills every value.
inline void FillMatrix(kez::TFeatureMatrix& m, std::int32_t Feats, std::int32_t Objs) {
  m.Resize(Feats, Objs);
  for (std::int32_t f = 1; f <= Feats; ++f) {
    kez::TFeatProps p;
    p.FeatNum = f;
    p.FeatName = "feature" + std::to_string(f);
    p.FeatKind = kez::fkDouble;
    m.SetFeatProps(f, p);
    for (std::int32_t o = 1; o <= Objs; ++o) m.SetFeatValDouble(f, o, MatrixValue(f, o));
  }
}

}  // namespace kez::bench
