#ifndef LOCALE_REPORT_TESTS_POSIX_TEST_DATA_H_
#define LOCALE_REPORT_TESTS_POSIX_TEST_DATA_H_

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Reads a tab-separated file, skipping comment lines ('#').
inline std::vector<std::vector<std::string>> ReadTsv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return rows;
  char line[4096];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (line[0] == '#') continue;
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1) {
      fields.push_back(text.substr(start, tab - start));
    }
    fields.push_back(text.substr(start));
    rows.push_back(fields);
  }
  std::fclose(file);
  return rows;
}

#endif  // LOCALE_REPORT_TESTS_POSIX_TEST_DATA_H_
