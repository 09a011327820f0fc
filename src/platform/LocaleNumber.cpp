#include "platform/LocaleNumber.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <system_error>

namespace cz {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string LocaleDecimalSeparator() {
  const std::lconv* conventions = std::localeconv();
  if (conventions == nullptr || conventions->decimal_point == nullptr ||
      conventions->decimal_point[0] == '\0') {
    return ".";
  }
  return conventions->decimal_point;
}

std::optional<double> ParseLocaleDecimal(std::string_view text) {
  return ParseDecimal(text, LocaleDecimalSeparator());
}

std::optional<double> ParseDecimal(std::string_view text, std::string_view separator) {
  if (separator.empty()) separator = ".";
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

  // Rewrite into the locale-free form std::from_chars reads, checking the shape on the way.
  std::string plain;
  plain.reserve(text.size());
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain += '-';
    ++i;
  }
  std::size_t digits = 0;
  bool separatorSeen = false;
  while (i < text.size()) {
    if (IsDigit(text[i])) {
      plain += text[i++];
      ++digits;
    } else if (!separatorSeen && text.substr(i, separator.size()) == separator) {
      plain += '.';
      i += separator.size();
      separatorSeen = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    std::size_t exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      plain += text[i++];
      ++exponentDigits;
    }
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  double value = 0.0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace cz
