// Scrambling and UU encoding. Included through kez/stringl.hpp.
#pragma once
