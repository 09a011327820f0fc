#pragma once
// Decimal numbers typed by a person (world files, the /X position) in the notation of the
// user's locale.
//
// The locale is the C library's global LC_NUMERIC locale. The Qt application takes it from
// the environment at start-up (QCoreApplication sets LC_ALL from it); a program that never
// sets it stays in the "C" locale, whose decimal separator is ".".

#include <optional>
#include <string>
#include <string_view>

namespace cz {

// The decimal separator of the current locale ("." or "," in practice; may be several bytes).
std::string LocaleDecimalSeparator();

// The value of text written as blanks, an optional sign, digits with at most one decimal
// separator of the locale (at least one digit in all), an optional exponent ("e" or "E", an
// optional sign, digits), blanks. Blanks are spaces, tabs and carriage returns. Anything
// else, "inf", "nan", hexadecimal and values beyond the range of double give nullopt.
std::optional<double> ParseLocaleDecimal(std::string_view text);

// The same with a given decimal separator instead of the locale's.
std::optional<double> ParseDecimal(std::string_view text, std::string_view separator);

}  // namespace cz
