// The report for any values, against a formatting of its own that uses no
// printf: every line ends in one newline, the decimal form is the 32-bit
// signed reading of the hexadecimal one, and all of it is ASCII.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string Hex(uint32_t value, int digits) {
  std::string text;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
    text += "0123456789ABCDEF"[(value >> shift) & 0xF];
  return text;
}

std::string Decimal(int64_t value) {
  if (value < 0) return "-" + Decimal(-value);
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0);
  return text;
}

int64_t Signed32(uint32_t value) {
  return value >= 0x80000000u ? int64_t{value} - 0x100000000 : value;
}

std::string IdentifierLine(const char* label, uint32_t value, int digits) {
  return std::string(label) + ": 0x" + Hex(value, digits) + " (" + Decimal(Signed32(value)) + ")\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t bytes[sizeof(LocaleSnapshot)] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  LocaleSnapshot s;
  std::memcpy(&s, bytes, sizeof s);

  const std::string expected = IdentifierLine("GetSystemDefaultLCID", s.systemLcid, 8) +
                               IdentifierLine("GetUserDefaultLCID", s.userLcid, 8) +
                               IdentifierLine("GetSystemDefaultLangID", s.systemLangId, 4) +
                               IdentifierLine("GetUserDefaultLangID", s.userLangId, 4) +
                               IdentifierLine("GetSystemDefaultUILanguage", s.systemUiLanguage, 4) +
                               IdentifierLine("GetUserDefaultUILanguage", s.userUiLanguage, 4) +
                               "GetACP: " + Decimal(s.ansiCodePage) + "\n" +
                               "GetOEMCP: " + Decimal(s.oemCodePage) + "\n" + "Hit [Enter] key\n";

  const ReportText report = FormatReport(s);
  const std::string actual(report.bytes, report.length);
  Require(actual == expected);
  Require(report.length <= 308);
  size_t newlines = 0;
  for (char c : actual) {
    Require(static_cast<unsigned char>(c) < 0x80 && c != '\r');
    newlines += c == '\n';
  }
  Require(newlines == 9 && actual.back() == '\n');
  return 0;
}
