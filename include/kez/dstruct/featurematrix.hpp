// TFeatureMatrix: objects by typed features. Included through kez/dstruct.hpp.
#pragma once
