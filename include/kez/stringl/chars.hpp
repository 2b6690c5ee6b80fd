// Character classes, whole-text tests, editing, counting and searching. Included through kez/stringl.hpp.
#pragma once
