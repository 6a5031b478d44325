// The hour, minute and day-half clip tables and the lenient number reading.
// Expected clip runs are written as the words heard, one word per clip file.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "speech/SpokenTime.h"

namespace {

// "vingt et une heure" -> {"vingt.wav", "et.wav", "une.wav", "heure.wav"}.
ClipList clips(const char* words) {
    ClipList out;
    std::istringstream in(words);
    for (std::string word; in >> word;) out.push_back(word + ".wav");
    return out;
}

struct TableRow {
    const char* key;
    const char* english;
    const char* french;
};

void PrintTo(const TableRow& row, std::ostream* os) {
    *os << '"' << row.key << '"';
}

// ---- hours ----

class HourTable : public testing::TestWithParam<TableRow> {};

TEST_P(HourTable, SpeaksTheRowInEachLanguage) {
    const TableRow& row = GetParam();
    EXPECT_EQ(hourClips(row.key, "eng"), clips(row.english));
    EXPECT_EQ(hourClips(row.key, "fra"), clips(row.french));
}

INSTANTIATE_TEST_SUITE_P(
    AllKeys, HourTable,
    testing::Values(TableRow{"0", "twelve o_clock", "minuit"}, TableRow{"1", "one", "une heure"},
                    TableRow{"2", "two", "deux heure"}, TableRow{"3", "three", "trois heure"},
                    TableRow{"4", "four", "quatre heure"}, TableRow{"5", "five", "cinq heure"},
                    TableRow{"6", "six", "six heure"}, TableRow{"7", "seven", "sept heure"},
                    TableRow{"8", "eight", "huit heure"}, TableRow{"9", "nine", "neuf heure"},
                    TableRow{"10", "ten", "dix heure"}, TableRow{"11", "eleven", "onze heure"},
                    TableRow{"12", "twelve", "midi"}, TableRow{"13", "one o_clock", "treize heure"},
                    TableRow{"14", "two o_clock", "quatorze heure"},
                    TableRow{"15", "three o_clock", "quinze heure"},
                    TableRow{"16", "four o_clock", "seize heure"},
                    TableRow{"17", "five o_clock", "dix sept heure"},
                    TableRow{"18", "six o_clock", "dix huit heure"},
                    TableRow{"19", "seven o_clock", "dix neuf heure"},
                    TableRow{"20", "eight o_clock", "vingt heure"},
                    TableRow{"21", "nine o_clock", "vingt et une heure"},
                    TableRow{"22", "ten o_clock", "vingt deux heure"},
                    TableRow{"23", "eleven o_clock", "vingt trois heure"},
                    TableRow{"24", "twelve o_clock", "minuit"}));

// ---- minutes ----

class MinuteTable : public testing::TestWithParam<TableRow> {};

TEST_P(MinuteTable, SpeaksTheRowInEachLanguage) {
    const TableRow& row = GetParam();
    EXPECT_EQ(minuteClips(row.key, "eng"), clips(row.english));
    EXPECT_EQ(minuteClips(row.key, "fra"), clips(row.french));
}

INSTANTIATE_TEST_SUITE_P(
    AllKeys, MinuteTable,
    testing::Values(
        TableRow{"1", "zero one", "et un"}, TableRow{"2", "zero two", "et deux"},
        TableRow{"3", "zero three", "et trois"}, TableRow{"4", "zero four", "et quatre"},
        TableRow{"5", "zero five", "et cinq"}, TableRow{"6", "zero six", "et six"},
        TableRow{"7", "zero seven", "et sept"}, TableRow{"8", "zero eight", "et huit"},
        TableRow{"9", "zero nine", "et neuf"}, TableRow{"10", "ten", "dix"},
        TableRow{"11", "eleven", "onze"}, TableRow{"12", "twelve", "douze"},
        TableRow{"13", "thirteen", "treize"}, TableRow{"14", "fourteen", "quatorze"},
        TableRow{"15", "fifteen", "quinze"}, TableRow{"16", "sixteen", "seize"},
        TableRow{"17", "seventeen", "dix sept"}, TableRow{"18", "eighteen", "dix huit"},
        TableRow{"19", "nineteen", "dix neuf"}, TableRow{"20", "twenty", "vingt"},
        TableRow{"21", "twenty one", "vingt et un"}, TableRow{"22", "twenty two", "vingt deux"},
        TableRow{"23", "twenty three", "vingt trois"},
        TableRow{"24", "twenty four", "vingt quatre"}, TableRow{"25", "twenty five", "vingt cinq"},
        TableRow{"26", "twenty six", "vingt six"}, TableRow{"27", "twenty seven", "vingt sept"},
        TableRow{"28", "twenty eight", "vingt huit"}, TableRow{"29", "twenty nine", "vingt neuf"},
        TableRow{"30", "thirty", "trente"}, TableRow{"31", "thirty one", "trente et un"},
        TableRow{"32", "thirty two", "trente deux"}, TableRow{"33", "thirty three", "trente trois"},
        TableRow{"34", "thirty four", "trente quatre"},
        TableRow{"35", "thirty five", "trente cinq"}, TableRow{"36", "thirty six", "trente six"},
        TableRow{"37", "thirty seven", "trente sept"},
        TableRow{"38", "thirty eight", "trente huit"}, TableRow{"39", "thirty nine", "trente neuf"},
        TableRow{"40", "fourty", "quarante"}, TableRow{"41", "fourty one", "quarante et un"},
        TableRow{"42", "fourty two", "quarante deux"},
        TableRow{"43", "fourty three", "quarante trois"},
        TableRow{"44", "fourty four", "quarante quatre"},
        TableRow{"45", "fourty five", "quarante cinq"},
        TableRow{"46", "fourty six", "quarante six"},
        TableRow{"47", "fourty seven", "quarante sept"},
        TableRow{"48", "fourty eight", "quarante huit"},
        TableRow{"49", "fourty nine", "quarante neuf"}, TableRow{"50", "fifty", "cinquante"},
        TableRow{"51", "fifty one", "cinquante et un"},
        TableRow{"52", "fifty two", "cinquante deux"},
        TableRow{"53", "fifty three", "cinquante trois"},
        TableRow{"54", "fifty four", "cinquante quatre"},
        TableRow{"55", "fifty five", "cinquante cinq"},
        TableRow{"56", "fifty six", "cinquante six"},
        TableRow{"57", "fifty seven", "cinquante sept"},
        TableRow{"58", "fifty eight", "cinquante huit"},
        TableRow{"59", "fifty nine", "cinquante neuf"}));

// ---- keys and languages that have no row ----

class NoRow : public testing::TestWithParam<const char*> {};

TEST_P(NoRow, IsSilentInBothTables) {
    for (const char* lang : {"eng", "fra"}) {
        EXPECT_TRUE(hourClips(GetParam(), lang).empty()) << lang;
        EXPECT_TRUE(minuteClips(GetParam(), lang).empty()) << lang;
    }
}

// Keys are compared as written: only plain decimal text finds a row.
INSTANTIATE_TEST_SUITE_P(Keys, NoRow,
                         testing::Values("60", "99", "-1", "1.5", "01", "07", " 7", "7 ", "+7", "",
                                         "abc", "5:", "٥"));

TEST(NoRow, ZeroIsAnHourButNoMinute) {
    EXPECT_EQ(hourClips("0", "eng"), clips("twelve o_clock"));
    EXPECT_TRUE(minuteClips("0", "eng").empty());
    EXPECT_TRUE(minuteClips("0", "fra").empty());
}

TEST(NoRow, TwentyFiveIsNoHourButAMinute) {
    EXPECT_TRUE(hourClips("25", "eng").empty());
    EXPECT_TRUE(hourClips("25", "fra").empty());
    EXPECT_EQ(minuteClips("25", "fra"), clips("vingt cinq"));
}

class OtherLanguage : public testing::TestWithParam<const char*> {};

TEST_P(OtherLanguage, HasNoFolderAndSpeaksNothing) {
    const std::string lang = GetParam();
    EXPECT_FALSE(clipFolder(lang).has_value());
    for (const char* key : {"0", "1", "7", "12", "21", "24"})
        EXPECT_TRUE(hourClips(key, lang).empty()) << key;
    for (const char* key : {"1", "5", "21", "40", "59"})
        EXPECT_TRUE(minuteClips(key, lang).empty()) << key;
}

INSTANTIATE_TEST_SUITE_P(Codes, OtherLanguage,
                         testing::Values("ENG", "Eng", "en", "", "FRA", "fr", "fre", "eng ", " fra",
                                         "english"));

TEST(ClipFolder, IsSoundsThenTheLanguageBetweenSeparators) {
    const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(clipFolder("eng"), sep + "sounds" + sep + "en" + sep);
    EXPECT_EQ(clipFolder("fra"), sep + "sounds" + sep + "fr" + sep);
}

TEST(ClipFolder, IsJoinedWithThePlatformsSeparator) {
    const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(clipFolder("eng"), sep + "sounds" + sep + "en" + sep);
    EXPECT_EQ(clipFolder("fra"), sep + "sounds" + sep + "fr" + sep);
}

// ---- day half ----

struct DayHalfCase {
    const char* input;
    const char* clip;
};

class DayHalf : public testing::TestWithParam<DayHalfCase> {};

TEST_P(DayHalf, MatchesOnlyTheLowerCasedWholeInput) {
    EXPECT_EQ(amPmClip(GetParam().input), GetParam().clip) << '"' << GetParam().input << '"';
}

INSTANTIATE_TEST_SUITE_P(Table, DayHalf,
                         testing::Values(DayHalfCase{"AM", "am.wav"}, DayHalfCase{"am", "am.wav"},
                                         DayHalfCase{"aM", "am.wav"}, DayHalfCase{"Am", "am.wav"},
                                         DayHalfCase{"PM", "pm.wav"}, DayHalfCase{"pm", "pm.wav"},
                                         DayHalfCase{"pM", "pm.wav"}, DayHalfCase{" AM", ""},
                                         DayHalfCase{"AM ", ""}, DayHalfCase{"A.M.", ""},
                                         DayHalfCase{"", ""}, DayHalfCase{"09", ""},
                                         DayHalfCase{"A", ""}, DayHalfCase{"AMPM", ""},
                                         DayHalfCase{"XM", ""}));

// ---- lenient number reading ----

struct NumberCase {
    const char* text;
    const char* key;
};

class NumberKey : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberKey, ReadsLenientlyAndWritesPlainDecimal) {
    EXPECT_EQ(numberKey(GetParam().text), GetParam().key) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberKey,
    testing::Values(NumberCase{"07", "7"}, NumberCase{" 7", "7"}, NumberCase{"7:", "7"},
                    NumberCase{"", "0"}, NumberCase{"abc", "0"}, NumberCase{"25", "25"},
                    NumberCase{"-1", "-1"}, NumberCase{"1.5", "1.5"}, NumberCase{"0", "0"},
                    NumberCase{"00", "0"}, NumberCase{" 0012x", "12"}, NumberCase{"12", "12"},
                    NumberCase{"5:", "5"}, NumberCase{"  ", "0"}, NumberCase{"\t9", "9"},
                    NumberCase{"-0", "0"}, NumberCase{"-", "0"}, NumberCase{"+7", "7"},
                    NumberCase{"7.", "7"}, NumberCase{"7.0", "7"}, NumberCase{"1.50", "1.5"},
                    NumberCase{".5", "0.5"}, NumberCase{"0-5", "0"}, NumberCase{"x7", "0"},
                    NumberCase{"7 5", "7"}, NumberCase{"- 5", "0"}, NumberCase{"24", "24"},
                    NumberCase{"007:30", "7"}, NumberCase{"59", "59"}, NumberCase{"60", "60"},
                    NumberCase{"123456789012345678901234567890",
                               "123456789012345678901234567890"}));

// ---- the pieces together, as the clock uses them ----

TEST(SpokenPieces, TimeTextHourAndMinuteParts) {
    EXPECT_EQ(hourClips(numberKey("07"), "eng"), clips("seven"));
    EXPECT_EQ(hourClips(numberKey("7"), "fra"), clips("sept heure"));
    EXPECT_EQ(minuteClips(numberKey("05"), "eng"), clips("zero five"));
    EXPECT_EQ(minuteClips(numberKey("5:"), "fra"), clips("et cinq"));
    EXPECT_TRUE(minuteClips(numberKey("00"), "eng").empty());
    // A text without a colon has an empty hour part: the midnight row.
    EXPECT_EQ(hourClips(numberKey(""), "fra"), clips("minuit"));
    EXPECT_TRUE(hourClips(numberKey("25"), "eng").empty());
}

// The hour of a 12-hour clock: twelve in the morning is midnight in French.
struct HourCase {
    const char* hour;
    const char* dayHalf;
    const char* english;
    const char* french;
};

class SpokenHour : public testing::TestWithParam<HourCase> {};

TEST_P(SpokenHour, FollowsTheDayHalfInFrench) {
    const HourCase& c = GetParam();
    EXPECT_EQ(hourClips(hourKey(c.hour, c.dayHalf, "eng"), "eng"), clips(c.english));
    EXPECT_EQ(hourClips(hourKey(c.hour, c.dayHalf, "fra"), "fra"), clips(c.french));
}

INSTANTIATE_TEST_SUITE_P(Table, SpokenHour,
                         testing::Values(HourCase{"12", "AM", "twelve", "minuit"},
                                         HourCase{"12", "PM", "twelve", "midi"},
                                         HourCase{"1", "AM", "one", "une heure"},
                                         HourCase{"11", "PM", "eleven", "onze heure"},
                                         HourCase{"07", "AM", "seven", "sept heure"}));

}  // namespace
