// The calendar and number words, the language names and the status globals.
#include "kez/kezbase.hpp"

namespace kez {
namespace {

// Every entry of a word table fits the fixed capacity the suite stores it in.
template <class Table>
constexpr bool FitsCapacity(const Table& T, std::size_t Capacity) {
  for (const auto& row : T) {
    for (std::string_view word : row) {
      if (word.empty() || word.size() > Capacity) return false;
    }
  }
  return true;
}

// Windows-1252 bytes; a hex escape followed by a letter a-f is closed by splitting the
// literal ("d\xE9" "c").
constexpr TLangWordTable<1, 12> kMonthShort = {{{
    // Unknown
    {{{"M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"}}},
    // English
    {{{"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}}},
    // German
    {{{"J\xE4n", "Feb", "M\xE4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"}}},
    // French
    {{{"jan", "f\xE9v", "mar", "avr", "mai", "juin", "jul", "ao\xFB", "sep", "oct", "nov",
       "d\xE9"
       "c"}}},
    // Spanish
    {{{"Ene", "Feb", "Mar", "Abr", "May", "Jun", "Jul", "Ago", "Sep", "Oct", "Nov", "Dic"}}},
}}};
static_assert(FitsCapacity(kMonthShort, 4));

constexpr TLangWordTable<1, 12> kMonthLong = {{{
    // Unknown
    {{{"M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"}}},
    // English
    {{{"January", "February", "March", "April", "May", "June", "July", "August", "September",
       "October", "November", "December"}}},
    // German
    {{{"J\xE4nner", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September",
       "Oktober", "November", "Dezember"}}},
    // French
    {{{"janvier", "f\xE9vrier ", "mars", "avril", "mai", "juin", "juillet", "ao\xFBt", "septembre",
       "octobre", "novembre",
       "d\xE9"
       "cembre"}}},
    // Spanish
    {{{"enero", "febrero", "marzo", "abril", "mai", "junio", "julio", "agosto", "septiembre",
       "octubre", "noviembre", "diciembre"}}},
}}};
static_assert(FitsCapacity(kMonthLong, 10));

constexpr TLangWordTable<1, 7> kWeekDayShort = {{{
    // Unknown
    {{{"D01", "D02", "D03", "D04", "D05", "D06", "D07"}}},
    // English
    {{{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}}},
    // German
    {{{"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"}}},
    // French
    {{{"lun", "mar", "mer", "jeu", "ven", "sam", "dim"}}},
    // Spanish
    {{{"lun", "mar", "mie", "jue", "vie", "sab", "dom"}}},
}}};
static_assert(FitsCapacity(kWeekDayShort, 3));

constexpr TLangWordTable<1, 7> kWeekDayLong = {{{
    // Unknown
    {{{"D01", "D02", "D03", "D04", "D05", "D06", "D07"}}},
    // English
    {{{"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"}}},
    // German
    {{{"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"}}},
    // French
    {{{"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"}}},
    // Spanish
    {{{"lunes", "martes", "mi\xE9rcoles", "jueves", "viernes",
       "s\xE1"
       "bado",
       "domingo"}}},
}}};
static_assert(FitsCapacity(kWeekDayLong, 10));

constexpr TLangWordTable<0, 12> kNumWords = {{{
    // Unknown
    {{{"N00", "N01", "N02", "N03", "N04", "N05", "N06", "N07", "N08", "N09", "N10", "N11", "N12"}}},
    // English
    {{{"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
       "eleven", "twelve"}}},
    // German
    {{{"null", "eins", "zwei", "drei", "vier", "f\xFCnf", "sechs", "sieben", "acht", "neun", "zehn",
       "elf", "zw\xF6lf"}}},
    // French
    {{{"z\xE9ro", "celui", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf", "dix",
       "onze", "douze"}}},
    // Spanish
    {{{"cero", "uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve", "diez",
       "once", "doce"}}},
}}};
static_assert(FitsCapacity(kNumWords, 6));

constexpr TLangWordTable<lgUnknown, lgSpanish> kLanguageID = {{{
    // Unknown
    {{{"???", "???", "???", "???", "???"}}},
    // English
    {{{"???", "English", "German", "French", "Spanish"}}},
    // German
    {{{"???", "englisch", "deutsch", "franz\xF6sisch", "spanisch"}}},
    // French
    {{{"???", "anglais", "allemand",
       "fran\xE7"
       "ais",
       "espagnol"}}},
    // Spanish
    {{{"???", "ingl\xE9s", "alem\xE1n", "franc\xE9s", "espa\xF1ol"}}},
}}};
static_assert(FitsCapacity(kLanguageID, 15));
}  // namespace

const TLangWordTable<1, 12> MonthShort = kMonthShort;
const TLangWordTable<1, 12> MonthLong = kMonthLong;
const TLangWordTable<1, 7> WeekDayShort = kWeekDayShort;
const TLangWordTable<1, 7> WeekDayLong = kWeekDayLong;
const TLangWordTable<0, 12> NumWords = kNumWords;
const TLangWordTable<lgUnknown, lgSpanish> LanguageID = kLanguageID;

constinit double ProcStat = 0;
constinit double LastProcStat = 0;
constinit bool AbortMathProc = false;

FeedBackProcType& MathFeedBackProc() {
  static FeedBackProcType slot;
  return slot;
}

}  // namespace kez
