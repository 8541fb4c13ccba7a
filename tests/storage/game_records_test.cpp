#include "scores/score_text.h"
#include "storage/game_records.h"
#include "storage/storage_error.h"
#include "tests/storage/temp_folder.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace kelmar {

void PrintTo(const GameRecord& record, std::ostream* os) {
    *os << GameRecordLine(record);
}

namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

GameRecord aWin() {
    GameRecord record;
    SetEndTime(record, DayCountFromCivil(2026, 12, 8, 21, 4, 51, 999));
    record.Layout = "Pyramide";
    record.Deal = 482913;
    record.DealGrade = Grade::Medium;
    record.Result = GameResult::Won;
    record.TimeMs = 1694250;
    record.Moves = 72;
    record.Hints = 1;
    record.WinnableAtEnd = Winnable::Yes;
    return record;
}

void writeText(const std::string& path, const std::string& content) {
    WriteBytes(path, {content.begin(), content.end()});
}

std::string readText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Every value a field can take, and summaries with full lists of times.
GameRecordBook variedBook() {
    GameRecordBook book;
    for (int i = 0; i < 260; ++i) {
        GameRecord record = aWin();
        record.Day += i / 7;
        record.Second = i * 331 % 86400;
        record.Layout = i % 5 == 0 ? "?" : i % 3 == 0 ? "Ring_2-x" : "Pyramide";
        record.Deal = i % 4 == 0 ? 0 : 999999999 - static_cast<uint32_t>(i);
        record.DealGrade = static_cast<Grade>(i % 4);
        record.Result = static_cast<GameResult>(i % 3);
        record.WinnableAtEnd =
            WinnableAtEnd(record.Result, i % 2 ? SolveResult::Winnable : SolveResult::Undecided);
        record.TimeMs = i * 997 + (i == 7 ? 2147483647 - 7 * 997 : 0);
        record.Moves = i % 73;
        record.Checks = i == 9 ? 2147483647 : i % 3;
        record.DayGame = i % 6 == 0 ? record.Day - 1 : 0;
        record.Loaded = i % 2 == 1;
        record.Continued = i % 4 >= 2;
        book.Records.push_back(record);
    }
    SummariseOldest(book, 200);
    return book;
}

TEST(GameRecords, WritesOneAlignedLineAPersonCanRead) {
    EXPECT_EQ(GameRecordLine(aWin()), "2026-12-08 21:04:51 Pyramide     482913    mittel "
                                      "gewonnen      28:14.250   72     1         0 ja     "
                                      "-          -");
}

TEST(GameRecords, ReadsBackEveryRecordAndSummaryItWrote) {
    const GameRecordBook book = variedBook();
    ASSERT_FALSE(book.Summaries.empty());
    const std::string written = GameRecordsText(book);
    EXPECT_EQ(written.substr(0, 16), "Kelmar-Spiele 1\n");
    GameRecordsParse back = ParseGameRecords(written);
    EXPECT_TRUE(back.Sound());
    EXPECT_EQ(back.Book.Summaries, book.Summaries);
    EXPECT_EQ(back.Book.Records, book.Records);
    // Line ends of a Windows editor, its byte order mark, comments and empty
    // lines are no damage.
    std::string edited = "\xEF\xBB\xBF";
    for (const char c : written) {
        edited += c == '\n' ? std::string("\r\n# Notiz\r\n\r\n") : std::string(1, c);
    }
    back = ParseGameRecords(edited);
    EXPECT_TRUE(back.Sound());
    EXPECT_EQ(back.Book.Records, book.Records);
}

struct DamageCase {
    const char* what;
    std::size_t field; // the field of a good record line to replace
    const char* value;
};

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.what;
}

class DamagedLineTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedLineTest, IsFoundAndNamedByItsNumber) {
    const std::string good = GameRecordLine(aWin());
    std::vector<std::string> fields;
    for (std::size_t at = 0; at < good.size();) {
        const auto start = good.find_first_not_of(' ', at);
        const auto end = std::min(good.find(' ', start), good.size());
        fields.push_back(good.substr(start, end - start));
        at = end;
    }
    fields.at(GetParam().field) = GetParam().value;
    std::string damaged;
    for (const std::string& field : fields) {
        damaged += (damaged.empty() ? "" : " ") + field;
    }
    const GameRecordsParse parse =
        ParseGameRecords("Kelmar-Spiele 1\n" + good + "\n" + damaged + "\n" + good);
    EXPECT_TRUE(parse.Problem.empty());
    EXPECT_EQ(parse.DamagedLines, std::vector<int>{3});
    EXPECT_EQ(parse.Book.Records.size(), 2u) << "the good lines are still read";
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DamagedLineTest,
    ::testing::Values(
        DamageCase{"no such day", 0, "2026-02-29"}, DamageCase{"no short name", 2, "Pyra/mide"},
        DamageCase{"deal number with a leading zero", 3, "0482913"},
        DamageCase{"unknown grade", 4, "leichter"}, DamageCase{"unknown result", 5, "verloren"},
        DamageCase{"play time beyond 32 bits", 6, "35791:23.648"},
        DamageCase{"a win that was not winnable", 10, "nein"},
        DamageCase{"origin in another order", 12, "fortgesetzt,geladen"},
        DamageCase{"hour 24", 1, "24:00:00"}, DamageCase{"play time without ms", 6, "28:14"},
        DamageCase{"negative moves", 7, "-1"}, DamageCase{"a field too few", 12, ""}));

TEST(GameRecords, FindsDamagedSummariesAndFilesThatAreNotOurs) {
    const std::string all = GameRecordsText({variedBook().Summaries, {}});
    const std::string s = all.substr(all.find("Zusammenfassung"));
    const std::string record = GameRecordLine(aWin());
    auto summaryWith = [&](const std::string& from, const std::string& to) {
        std::string line = s.substr(0, s.find('\n'));
        line.replace(line.find(from), from.size(), to);
        return line;
    };
    struct Case {
        const char* what;
        std::string body;
    } cases[] = {
        {"a summary after a record", record + "\n" + summaryWith("", "")},
        {"the same group twice", summaryWith("", "") + "\n" + summaryWith("", "")},
        {"more wins than games", summaryWith("Siege=", "Siege=9")},
        {"a kept time too many", summaryWith("Beste=", "Beste=0:01.000,")},
        {"a field renamed", summaryWith("Serie=", "Reihe=")},
    };
    for (const Case& c : cases) {
        const GameRecordsParse parse = ParseGameRecords("Kelmar-Spiele 1\n" + c.body + "\n");
        EXPECT_FALSE(parse.DamagedLines.empty()) << c.what;
    }
    EXPECT_EQ(ParseGameRecords("Kelmar-Spiele 2\n" + record).Problem,
              "Sie stammt von einer neueren Version von Kelmar");
    EXPECT_EQ(ParseGameRecords("[Kelmar]\r\nZoom=100\r\n").Problem,
              "Sie ist keine Spielaufzeichnung von Kelmar");
    EXPECT_TRUE(ParseGameRecords("").Sound());
}

TEST(GameRecords, AFileThatIsNotSoundGetsOneWarningAndIsNeverWritten) {
    TempFolder folder;
    const std::string settings = folder.file("Kelmar.ini");
    const std::string path = GameRecordsPathBeside(settings);
    EXPECT_EQ(path, folder.file("Kelmar-Spiele.txt"));
    std::string content = "Kelmar-Spiele 1\n";
    for (int i = 0; i < 5; ++i) {
        content += "kaputt\n";
    }
    writeText(path, content);
    GameRecordsSession session(settings);
    EXPECT_EQ(session.Open(), "Kann Spielstatistik „" + path +
                                  "“ nicht lesen: Zeilen 2, 3, 4 und 2 weitere sind "
                                  "beschädigt.\nDie Datei bleibt unverändert; die Spiele werden "
                                  "nicht aufgezeichnet.");
    EXPECT_EQ(session.Append(aWin()), std::nullopt);
    EXPECT_THROW(AppendGameRecord(settings, aWin()), UnsoundRecordsError);
    EXPECT_EQ(readText(path), content);

    // Sound at the start, damaged since: one warning, then silence.
    writeText(path, "");
    GameRecordsSession later(settings);
    EXPECT_EQ(later.Open(), "");
    writeText(path, "Kelmar-Spiele 9\n");
    EXPECT_THROW(later.Append(aWin()), UnsoundRecordsError);
    EXPECT_EQ(later.Append(aWin()), std::nullopt);
    EXPECT_EQ(readText(path), "Kelmar-Spiele 9\n");
}

TEST(GameRecords, AppendsStorableRecordsAndResetKeepsTheOldOnesAside) {
    TempFolder folder;
    const std::string settings = folder.file("Kelmar.ini");
    GameRecordsSession session(settings);
    EXPECT_EQ(session.Open(), "") << "no file yet";
    GameRecord odd = aWin();
    odd.Layout = "Pyra mide"; // would split the line
    odd.TimeMs = -5;
    odd.WinnableAtEnd = Winnable::No;
    session.Append(aWin());
    const auto book = session.Append(odd);
    ASSERT_TRUE(book.has_value());
    ASSERT_EQ(book->Records.size(), 2u);
    EXPECT_EQ(book->Records[0], aWin());
    EXPECT_EQ(book->Records[1].Layout, "?");
    EXPECT_EQ(book->Records[1].TimeMs, 0);
    EXPECT_EQ(book->Records[1].WinnableAtEnd, Winnable::Yes);
    EXPECT_EQ(session.Read().Book.Records, book->Records);

    const std::string before = readText(GameRecordsPathBeside(settings));
    session.Reset();
    EXPECT_EQ(readText(GameRecordsBackupPathBeside(settings)), before);
    const GameRecordsRead after = session.Read();
    EXPECT_TRUE(after.Usable);
    EXPECT_TRUE(after.Book.Records.empty());
}

// The file stays near its cap: the oldest records become summaries, and
// the statistics over the file stay exactly what they were.
TEST(GameRecords, AFullFileFoldsItsOldestRecordsIntoSummariesWithoutLosingAGame) {
    TempFolder folder;
    const std::string settings = folder.file("Kelmar.ini");
    GameRecordBook full = variedBook();
    while (full.Records.size() < kMaxDetailedRecords) {
        GameRecord record = full.Records[full.Records.size() % 60];
        record.Day += static_cast<int32_t>(full.Records.size() / 50);
        full.Records.push_back(record);
    }
    writeText(GameRecordsPathBeside(settings), GameRecordsText(full));
    const GameRecordBook kept = AppendGameRecord(settings, aWin());
    full.Records.push_back(aWin());
    EXPECT_EQ(kept.Records.size(), kMaxDetailedRecords - kSummarisedRecords);
    EXPECT_EQ(ComputeStatistics(kept).Groups, ComputeStatistics(full).Groups);
    EXPECT_EQ(ReadGameRecords(GameRecordsPathBeside(settings)).Book.Summaries, kept.Summaries);
}

} // namespace
} // namespace kelmar
