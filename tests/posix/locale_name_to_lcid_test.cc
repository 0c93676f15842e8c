#include "posix/locale_name_to_lcid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "posix/lcid_table.h"
#include "test_data.h"

namespace {

uint32_t Lcid(const std::string& name) { return LocaleNameToLcid(name.data(), name.size()); }

// The identifiers Windows gives its locale names, read from the list the
// table is generated from.
std::map<std::string, uint32_t> WindowsIdentifiers() {
  std::map<std::string, uint32_t> identifiers;
  for (const auto& row : ReadTsv(WINDOWS_LOCALES_TSV)) {
    if (row.size() >= 2 && row[0] != "name") {
      identifiers[row[0]] = static_cast<uint32_t>(std::strtoul(row[1].c_str(), nullptr, 16));
    }
  }
  return identifiers;
}

struct NameCase {
  const char* name;
  uint32_t lcid;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class LocaleNameToLcidTest : public testing::TestWithParam<NameCase> {};

TEST_P(LocaleNameToLcidTest, MapsToTheWindowsLocale) {
  EXPECT_EQ(Lcid(GetParam().name), GetParam().lcid) << "name: " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, LocaleNameToLcidTest,
    testing::Values(
        // The invariant locale, with or without a codeset.
        NameCase{"C", 0x007F}, NameCase{"POSIX", 0x007F}, NameCase{"C.UTF-8", 0x007F},
        NameCase{"C.utf8", 0x007F}, NameCase{"POSIX.ISO-8859-1", 0x007F},
        // Codesets and @euro change nothing; case does not matter to Windows.
        NameCase{"de_DE", 0x0407}, NameCase{"de_DE.UTF-8", 0x0407}, NameCase{"de_DE@euro", 0x0407},
        NameCase{"de_DE.ISO-8859-15@euro", 0x0407}, NameCase{"DE_de.utf8", 0x0407},
        NameCase{"es_ES", 0x0C0A}, NameCase{"en_US@", 0x0409},
        // Scripts: from a modifier, or the one glibc's data is written in.
        NameCase{"sr_RS", 0x281A}, NameCase{"sr_RS@latin", 0x241A}, NameCase{"sr_ME", 0x301A},
        NameCase{"sr_RS.UTF-8@latin", 0x241A}, NameCase{"uz_UZ", 0x0443},
        NameCase{"uz_UZ@cyrillic", 0x0843}, NameCase{"bs_BA", 0x141A}, NameCase{"az_AZ", 0x042C},
        NameCase{"ha_NG", 0x0468}, NameCase{"ff_SN", 0x0867}, NameCase{"iu_CA", 0x045D},
        NameCase{"pa_PK", 0x0846}, NameCase{"pa_IN", 0x0446}, NameCase{"tg_TJ", 0x0428},
        NameCase{"chr_US", 0x045C}, NameCase{"sd_IN@devanagari", 0x0459},
        NameCase{"ks_IN@devanagari", 0x0860}, NameCase{"ca_ES@valencia", 0x0803},
        // Tatar in the Latin alphabet is a locale Windows does not have.
        NameCase{"tt_RU", 0x0444}, NameCase{"tt_RU@iqtelif", 0x0C00},
        // Languages Windows spells as CLDR does.
        NameCase{"tl_PH", 0x0464}, NameCase{"cmn_TW", 0x0404}, NameCase{"ckb_IQ", 0x0492},
        NameCase{"iw_IL", 0x040D}, NameCase{"sh_RS", 0x241A},
        // Kurmanji is not Windows' (Central) Kurdish, in any spelling.
        NameCase{"ku_TR", 0x0C00}, NameCase{"ku", 0x0C00},
        // Names without a region are Windows' neutral locales.
        NameCase{"de", 0x0007}, NameCase{"sr", 0x6C1A}, NameCase{"sr@latin", 0x701A},
        NameCase{"pt_BR", 0x0416}, NameCase{"es_419", 0x580A},
        // Windows has the locale, but without an identifier of its own.
        NameCase{"yue_HK", 0x0C00}, NameCase{"eo", 0x0C00}, NameCase{"be_BY@latin", 0x0C00},
        // Anything that is no locale name at all.
        NameCase{"", 0x0C00}, NameCase{"_", 0x0C00}, NameCase{"x", 0x0C00},
        NameCase{"C_US", 0x0C00}, NameCase{"de_DEU", 0x0C00}, NameCase{"de_D3", 0x0C00},
        NameCase{"../../etc/passwd", 0x0C00}, NameCase{"/usr/lib/locale/de_DE", 0x0C00},
        NameCase{"de-DE", 0x0C00}, NameCase{"abcdefghi_DE", 0x0C00},
        NameCase{"\xC3\xA4\xC3\xB6_DE", 0x0C00}));

TEST(LocaleNameToLcid, ReadsOnlyTheGivenLength) {
  EXPECT_EQ(LocaleNameToLcid("de_DE:fr_FR", 5), 0x0407u);
  EXPECT_EQ(LocaleNameToLcid("fr_FR", 2), 0x000Cu);
  const char withNul[] = "de\0DE";
  EXPECT_EQ(LocaleNameToLcid(withNul, 5), 0x0C00u);
}

TEST(LocaleNameToLcid, HugeNamesAreNoLocale) {
  std::string name(100000, 'a');
  EXPECT_EQ(Lcid(name), 0x0C00u);
  EXPECT_EQ(Lcid("de_DE.UTF-8@" + name), 0x0407u) << "an unknown modifier is dropped";
  EXPECT_EQ(Lcid("de_DE." + name), 0x0407u) << "the codeset plays no part";
}

// Every locale glibc supports maps to the Windows locale of the same language,
// script and region, as listed in tests/data/supported-locales.tsv.
TEST(LocaleNameToLcid, EveryGlibcSupportedLocale) {
  const std::map<std::string, uint32_t> windows = WindowsIdentifiers();
  ASSERT_GT(windows.size(), 900u);
  const auto rows = ReadTsv(std::string(TEST_DATA_DIR) + "/supported-locales.tsv");
  ASSERT_EQ(rows.size(), 500u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 4u);
    const std::string& windowsName = row[2];
    uint32_t expected = 0x0C00;
    if (windowsName != "-") {
      ASSERT_EQ(windows.count(windowsName), 1u) << windowsName;
      expected = windows.at(windowsName) == 0x1000 ? 0x0C00 : windows.at(windowsName);
    }
    EXPECT_EQ(Lcid(row[0]), expected) << row[0] << " should be " << windowsName;
  }
}

// The generated table holds exactly the named locales of the list that have
// an identifier of their own, in the order the lookup relies on.
TEST(WindowsLocales, TableMatchesTheListAndIsSorted) {
  std::map<std::string, uint32_t> expected;
  for (const auto& [name, lcid] : WindowsIdentifiers()) {
    if (lcid != 0x1000 && name != "(invariant)" && name.find('_') == std::string::npos) {
      expected[name] = lcid;
    }
  }
  std::map<std::string, uint32_t> table;
  for (size_t i = 0; i < kWindowsLocaleCount; ++i) {
    table[kWindowsLocales[i].name] = kWindowsLocales[i].lcid;
    if (i > 0) {
      EXPECT_LT(std::strcmp(kWindowsLocales[i - 1].name, kWindowsLocales[i].name), 0);
    }
  }
  EXPECT_EQ(table, expected);
}

}  // namespace
