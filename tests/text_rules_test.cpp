#include "search/text_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

struct FoldRow {
  const char* meaning;
  std::string text;
  std::string folded;
};

TEST(FoldCaseTest, Windows1252Table) {
  const FoldRow cases[] = {
      {"a to z lose 0x20", "az", "AZ"},
      {"capitals, digits and neighbours of a-z stay", "AZ09`{@[", "AZ09`{@["},
      {"umlauts fold onto capitals", "\xE4\xF6\xFC", "\xC4\xD6\xDC"},
      {"division sign folds onto multiplication sign", "\xF7", "\xD7"},
      {"y diaeresis folds onto sharp s", "\xFF", "\xDF"},
      {"sharp s, s caron, oe, z caron, micro stay", "\xDF\x9A\x9C\x9E\xB5", "\xDF\x9A\x9C\x9E\xB5"},
      {"capitals 0xC0-0xDF stay", "\xC0\xDE", "\xC0\xDE"},
      {"Strasse with sharp s keeps its length",
       "Stra\xDF"
       "e",
       "STRA\xDF"
       "E"},
  };
  for (const FoldRow& c : cases) {
    EXPECT_EQ(FoldCaseWindows1252(c.text), c.folded) << c.meaning;
  }
}

TEST(FoldCaseTest, Utf8FormOfTheSameMapping) {
  const FoldRow cases[] = {
      {"a to z lose 0x20", "abc xyz", "ABC XYZ"},
      {"lower umlauts fold onto capitals", "übung äö", "ÜBUNG ÄÖ"},
      {"capital umlauts stay", "ÜBUNG", "ÜBUNG"},
      {"sharp s stays, so Straße differs from STRASSE", "Straße", "STRAßE"},
      {"y diaeresis folds onto sharp s", "ÿ", "ß"},
      {"division sign folds onto multiplication sign", "÷", "×"},
      {"a continuation byte after another lead byte stays (s caron)", "š", "š"},
      {"a lone continuation byte stays", "\xA4", "\xA4"},
      {"Latin-1 bytes in a UTF-8 build stay", "\xE4\xFF", "\xE4\xFF"},
      {"lead bytes of other scripts stay", "\xE3\x81\xA0", "\xE3\x81\xA0"},
      {"only the byte right after 0xC3 folds", "\xC3\xC3\xA4", "\xC3\xC3\x84"},
      {"0xC3 at the end stays", "a\xC3", "A\xC3"},
  };
  for (const FoldRow& c : cases) {
    EXPECT_EQ(FoldCaseUtf8(c.text), c.folded) << c.meaning;
  }
}

TEST(FoldCaseTest, TheBuildFoldsByItsCodePage) {
  EXPECT_EQ(FoldCase("äx"),
            kSystemCodePage == CodePage::Utf8 ? FoldCaseUtf8("äx") : FoldCaseWindows1252("äx"));
}

TEST(FindTextTest, Table) {
  struct Case {
    const char* meaning;
    std::string text;
    std::string needle;
    std::int64_t start;
    std::int64_t position;
  } cases[] = {
      {"empty needle", "abc", "", 1, 0},
      {"empty text", "", "a", 1, 0},
      {"needle equal to the text", "abc", "abc", 1, 1},
      {"needle one byte longer", "abc", "abcd", 1, 0},
      {"start beyond the length", "abc", "c", 4, 0},
      {"start below 1 counts as 1", "abc", "a", -5, 1},
      {"first occurrence at or after the start", "xaxa", "a", 3, 4},
      {"first of several", "abab", "ab", 1, 1},
      {"needle overhanging the end", "abca", "ab", 3, 0},
      {"exact bytes, case matters", "ABC", "abc", 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindText(c.text, c.needle, c.start), c.position) << c.meaning;
  }
}

TEST(FieldTextTest, SemicolonFields) {
  struct Case {
    std::string text;
    std::int64_t separators;
    std::vector<std::string> fields;
  } cases[] = {
      {"a;;b", 2, {"a", "", "b"}},          {";", 1, {"", ""}}, {"", 0, {""}}, {"foo", 0, {"foo"}},
      {" foo ; bar", 1, {" foo ", " bar"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountText(c.text, ';'), c.separators) << c.text;
    for (std::size_t i = 0; i < c.fields.size(); ++i) {
      EXPECT_EQ(FieldText(c.text, static_cast<std::int64_t>(i) + 1, ';'), c.fields[i]) << c.text;
    }
  }
  EXPECT_EQ(FieldText("a;b", 4, ';'), "") << "beyond the last field";
  EXPECT_EQ(FieldText("a;b", 0, ';'), "a") << "below 1 counts as 1";
}

TEST(TrimBlanksTest, OnlyBlanks) {
  EXPECT_EQ(TrimBlanks("  txt  "), "txt");
  EXPECT_EQ(TrimBlanks("\ttxt\t"), "\ttxt\t");
  EXPECT_EQ(TrimBlanks("\xA0txt"), "\xA0txt");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks(" a b "), "a b");
}

TEST(ExtensionOfTest, Table) {
  const std::pair<std::string, std::string> cases[] = {
      {"bericht.txt", "txt"},
      {"archiv.tar.gz", "gz"},
      {"Makefile", ""},
      {"notiz.", ""},
      {".profile", "profile"},
      {"Bild.JPG", "JPG"},
      {"a.b\\c", ""},
      {"dir/file", ""},
      {"", ""},
      {".", ""},
      {"..x", "x"},
      {"x", ""},
  };
  for (const auto& [name, extension] : cases) {
    EXPECT_EQ(ExtensionOf(name), extension) << name;
  }
}

TEST(PassesTypeFilterTest, Table) {
  struct Case {
    const char* typesField;
    const char* name;
    bool passes;
  } cases[] = {
      {"", "a.txt", true},        {"", "Makefile", true},     {"   ", "notiz.", true},
      {"txt", "a.txt", true},     {"txt", "b.TxT", true},     {"txt", "c.t", true},
      {"txt", "d.xt", true},      {"txt", "e", false},        {"txt", "f.", false},
      {"txt", "g.log", false},    {"doc", "x.c", true},       {"doc", "y.o", true},
      {" txt ", "a.txt", true},   {"\t\t", "a.txt", false},   {"\t\t", "a", false},
      {"Txt;Log", "a.LOG", true}, {"übung", "x.ÜBUNG", true}, {"*.h", "a.h", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PassesTypeFilter(FoldCase(c.typesField), FoldCase(ExtensionOf(c.name))), c.passes)
        << "types '" << c.typesField << "', name " << c.name;
  }
}

TEST(LineMatchesTest, Table) {
  const std::vector<std::string> fooAndEmpty = {"FOO", ""};
  const std::vector<std::string> leadingBlank = {" FOO"};
  const std::vector<std::string> blank = {" "};
  const std::vector<std::string> umlaut = {FoldCase("größe")};
  struct Case {
    const char* meaning;
    const std::vector<std::string>& terms;
    std::string line;
    bool matches;
  } cases[] = {
      {"term in any case", fooAndEmpty, "a FoO b", true},
      {"the empty term matches nothing", fooAndEmpty, "bar", false},
      {"the empty term does not match the empty line", fooAndEmpty, "", false},
      {"leading blank belongs to the term", leadingBlank, "x foo", true},
      {"leading blank missing in the line", leadingBlank, "foo", false},
      {"a blank term matches a line with a blank", blank, "a b", true},
      {"a blank term misses a line without one", blank, "ab", false},
      {"umlauts without regard to case", umlaut, "GRÖßE", true},
      {"a Latin-1 byte is not the UTF-8 letter", umlaut,
       "gr\xF6\xDF"
       "e",
       false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineMatches(c.line, c.terms), c.matches) << c.meaning;
  }
}

TEST(DecimalTextTest, Table) {
  const std::pair<std::int64_t, std::string> cases[] = {
      {0, "0"},
      {7, "7"},
      {-1, "-1"},
      {2147483648LL, "2147483648"},
      {-2147483648LL, "-2147483648"},
      {std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
      {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(DecimalText(value), text);
  }
}

}  // namespace
