// Shared vocabulary of the suite: enumerations, records, array and callback types, word
// tables, status globals. Included through kez/kezbase.hpp.
#pragma once
