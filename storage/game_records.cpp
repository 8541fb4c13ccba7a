#include "storage/game_records.h"

#include "core/grade.h"
#include "core/layout.h"
#include "core/numbered_deal.h"
#include "core/plain_text.h"
#include "scores/score_text.h"
#include "storage/regular_file.h"
#include "storage/replace_file.h"
#include "storage/settings_lock.h"
#include "storage/storage_error.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>

namespace kelmar {
namespace {

constexpr std::string_view kSummaryWord = "Zusammenfassung";
constexpr std::string_view kAllGrades = "*";
constexpr std::string_view kNone = "-";
constexpr std::string_view kVersionName = "Kelmar-Spiele ";
// The column heads, aligned with GameRecordLine's columns.
constexpr std::string_view kCommentLine =
    "# Datum    Uhrzeit  Aufstellung  Spiel     Grad   Ergebnis      Spielzeit Züge Tipps "
    "Prüfungen Lösbar Tagesspiel Herkunft";
constexpr std::size_t kRecordFields = 13;

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (true) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos) {
            return fields;
        }
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
}

// Decimal digits only, no sign, at most `maxDigits`, value at most `limit`.
std::optional<int64_t> parseNumber(std::string_view text, int64_t limit,
                                   std::size_t maxDigits = 18) {
    const std::optional<uint64_t> value =
        text.size() <= maxDigits ? ParseDigits(text, static_cast<uint64_t>(limit)) : std::nullopt;
    return value ? std::optional<int64_t>(static_cast<int64_t>(*value)) : std::nullopt;
}

std::optional<int32_t> parseCount(std::string_view text) {
    const auto value = parseNumber(text, std::numeric_limits<int32_t>::max(), 10);
    return value ? std::optional<int32_t>(static_cast<int32_t>(*value)) : std::nullopt;
}

// Digits at fixed places: "YYYY-MM-DD" gives {YYYY, MM, DD} for the pattern "4-2-2".
std::optional<std::array<int, 3>> parseTriple(std::string_view text, char separator, int first) {
    const std::size_t length = static_cast<std::size_t>(first) + 6;
    if (text.size() != length || text[static_cast<std::size_t>(first)] != separator ||
        text[static_cast<std::size_t>(first) + 3] != separator) {
        return std::nullopt;
    }
    const auto a = parseNumber(text.substr(0, static_cast<std::size_t>(first)), 9999);
    const auto b = parseNumber(text.substr(static_cast<std::size_t>(first) + 1, 2), 99);
    const auto c = parseNumber(text.substr(static_cast<std::size_t>(first) + 4, 2), 99);
    if (!a || !b || !c) {
        return std::nullopt;
    }
    return std::array<int, 3>{static_cast<int>(*a), static_cast<int>(*b), static_cast<int>(*c)};
}

// "YYYY-MM-DD" of a real date from 1900 on, as a day count.
std::optional<int32_t> parseDate(std::string_view text) {
    const auto parts = parseTriple(text, '-', 4);
    if (!parts || (*parts)[0] < 1900 || (*parts)[1] < 1 || (*parts)[1] > 12 || (*parts)[2] < 1) {
        return std::nullopt;
    }
    const double count = DayCountFromCivil((*parts)[0], (*parts)[1], (*parts)[2]);
    const CivilDate back = CivilFromDayCount(count);
    if (back.Month != (*parts)[1] || back.Day != (*parts)[2]) {
        return std::nullopt; // 31 April, 29 February of a common year
    }
    return static_cast<int32_t>(count);
}

std::string formatDate(int32_t day) {
    const CivilDate date = CivilFromDayCount(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(date.Year),
                  date.Month, date.Day);
    return text;
}

std::optional<int32_t> parseTimeOfDay(std::string_view text) {
    const auto parts = parseTriple(text, ':', 2);
    if (!parts || (*parts)[0] > 23 || (*parts)[1] > 59 || (*parts)[2] > 59) {
        return std::nullopt;
    }
    return ((*parts)[0] * 60 + (*parts)[1]) * 60 + (*parts)[2];
}

std::string formatTimeOfDay(int32_t second) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600, second / 60 % 60,
                  second % 60);
    return text;
}

// "M:SS.mmm": 1..6 digits of minutes.
std::optional<int32_t> parsePlayTime(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 6 || text.size() != colon + 7 ||
        text[colon + 3] != '.') {
        return std::nullopt;
    }
    const auto minutes = parseNumber(text.substr(0, colon), 999999);
    const auto seconds = parseNumber(text.substr(colon + 1, 2), 59);
    const auto millis = parseNumber(text.substr(colon + 4, 3), 999);
    if (!minutes || !seconds || !millis) {
        return std::nullopt;
    }
    const int64_t ms = (*minutes * 60 + *seconds) * 1000 + *millis;
    if (ms > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(ms);
}

std::string formatPlayTime(int32_t ms) {
    ms = std::max(ms, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

// "leicht", "mittel", "schwer" and `anyWord` for Any.
std::optional<Grade> parseGrade(std::string_view text, std::string_view anyWord) {
    for (const Grade grade : {Grade::Easy, Grade::Medium, Grade::Hard}) {
        if (text == GradeWord(grade)) {
            return grade;
        }
    }
    return text == anyWord ? std::optional<Grade>(Grade::Any) : std::nullopt;
}

std::string_view gradeField(Grade grade, std::string_view anyWord) {
    return grade == Grade::Any ? anyWord : GradeWord(grade);
}

std::optional<GameResult> parseResult(std::string_view text) {
    for (const GameResult result : {GameResult::Won, GameResult::Stuck, GameResult::GivenUp}) {
        if (text == ResultWord(result)) {
            return result;
        }
    }
    return std::nullopt;
}

constexpr std::string_view kWinnableWords[] = {"-", "ja", "nein"}; // by Winnable's order
constexpr std::string_view kOriginWords[] = {"-", "geladen", "fortgesetzt", "geladen,fortgesetzt"};

std::optional<std::size_t> wordIndex(std::string_view text, const auto& words) {
    for (std::size_t i = 0; i < std::size(words); ++i) {
        if (text == words[i]) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> parseLayout(std::string_view text, bool allowAll) {
    if (text == kUnknownLayout || (allowAll && text == kAllLayouts) ||
        ValidLayoutShortName(std::string(text))) {
        return std::string(text);
    }
    return std::nullopt;
}

// "-" (0) or a deal number without leading zeros.
std::optional<uint32_t> parseDeal(std::string_view text) {
    if (text == kNone) {
        return 0;
    }
    const auto number = text[0] == '0' ? std::nullopt : parseNumber(text, kMaxDealNumber, 9);
    return number ? std::optional<uint32_t>(static_cast<uint32_t>(*number)) : std::nullopt;
}

std::optional<GameRecord> parseRecordLine(const std::vector<std::string_view>& f) {
    if (f.size() != kRecordFields) {
        return std::nullopt;
    }
    GameRecord record;
    const auto day = parseDate(f[0]);
    const auto second = parseTimeOfDay(f[1]);
    const auto layout = parseLayout(f[2], false);
    const auto deal = parseDeal(f[3]);
    const auto grade = parseGrade(f[4], kNone);
    const auto result = parseResult(f[5]);
    const auto time = parsePlayTime(f[6]);
    const auto moves = parseCount(f[7]);
    const auto hints = parseCount(f[8]);
    const auto checks = parseCount(f[9]);
    const auto winnable = wordIndex(f[10], kWinnableWords);
    const auto dayGame = f[11] == kNone ? std::optional<int32_t>(0) : parseDate(f[11]);
    const auto origin = wordIndex(f[12], kOriginWords);
    if (!day || !second || !layout || !deal || !grade || !result || !time || !moves || !hints ||
        !checks || !winnable || !dayGame || !origin) {
        return std::nullopt;
    }
    record.Day = *day;
    record.Second = *second;
    record.Layout = *layout;
    record.Deal = *deal;
    record.DealGrade = *grade;
    record.Result = *result;
    record.TimeMs = *time;
    record.Moves = *moves;
    record.Hints = *hints;
    record.Checks = *checks;
    record.WinnableAtEnd = static_cast<Winnable>(*winnable);
    record.DayGame = *dayGame;
    record.Loaded = (*origin & 1) != 0;
    record.Continued = (*origin & 2) != 0;
    if ((record.Result == GameResult::Won && record.WinnableAtEnd == Winnable::No) ||
        (record.Result == GameResult::Stuck && record.WinnableAtEnd == Winnable::Yes)) {
        return std::nullopt;
    }
    return record;
}

// "t1,t2,..." or "-" for none.
std::optional<std::vector<int32_t>> parseTimes(std::string_view text) {
    std::vector<int32_t> times;
    if (text == kNone) {
        return times;
    }
    while (true) {
        const auto comma = text.find(',');
        const auto time = parsePlayTime(text.substr(0, comma));
        if (!time) {
            return std::nullopt;
        }
        times.push_back(*time);
        if (comma == std::string_view::npos) {
            return times;
        }
        text.remove_prefix(comma + 1);
    }
}

std::string formatTimes(const std::vector<int32_t>& times) {
    if (times.empty()) {
        return std::string(kNone);
    }
    std::string text;
    for (const int32_t time : times) {
        text += text.empty() ? "" : ",";
        text += formatPlayTime(time);
    }
    return text;
}

constexpr std::string_view kSummaryKeys[] = {
    "bis",       "Spiele",      "Siege",      "Serie", "Rekordserie",
    "Zeitsumme", "Tagesspiele", "Tagessiege", "Beste", "Letzte"};
constexpr std::size_t kSummaryFields = 3 + std::size(kSummaryKeys);

// The counts must be those CountGame can produce.
bool consistent(const GroupStatistics& s) {
    const auto kept = [&s](std::size_t cap) {
        return static_cast<std::size_t>(std::min<int64_t>(s.Wins, static_cast<int64_t>(cap)));
    };
    return s.Games >= 1 && s.Wins <= s.Games && s.LongestStreak <= s.Wins &&
           s.CurrentStreak <= s.LongestStreak && s.DayGames <= s.Games &&
           s.DayWins <= std::min(s.DayGames, s.Wins) && (s.Wins > 0 || s.WinTimeSumMs == 0) &&
           s.BestTimes.size() == kept(kKeptBestTimes) &&
           s.LastTimes.size() == kept(kChartedTimes) &&
           std::is_sorted(s.BestTimes.begin(), s.BestTimes.end());
}

std::optional<GroupStatistics> parseSummaryLine(const std::vector<std::string_view>& f) {
    if (f.size() != kSummaryFields || f[0] != kSummaryWord) {
        return std::nullopt;
    }
    std::string_view values[std::size(kSummaryKeys)];
    for (std::size_t i = 0; i < std::size(kSummaryKeys); ++i) {
        const std::string_view field = f[3 + i];
        const std::string_view key = kSummaryKeys[i];
        if (field.size() <= key.size() || field.substr(0, key.size()) != key ||
            field[key.size()] != '=') {
            return std::nullopt;
        }
        values[i] = field.substr(key.size() + 1);
    }
    constexpr int64_t kLimit = 999'999'999'999'999'999;
    const auto layout = parseLayout(f[1], true);
    const auto grade = parseGrade(f[2], kAllGrades);
    const auto lastDay = parseDate(values[0]);
    std::optional<int64_t> counts[7];
    for (std::size_t i = 0; i < std::size(counts); ++i) {
        counts[i] = parseNumber(values[1 + i], kLimit);
    }
    const auto best = parseTimes(values[8]);
    const auto last = parseTimes(values[9]);
    if (!layout || !grade || !lastDay || !best || !last ||
        std::any_of(std::begin(counts), std::end(counts), [](const auto& c) { return !c; })) {
        return std::nullopt;
    }
    GroupStatistics summary{*layout,    *grade,     *counts[0], *counts[1], *counts[2], *counts[3],
                            *counts[4], *counts[5], *counts[6], *lastDay,   *best,      *last};
    return consistent(summary) ? std::optional<GroupStatistics>(summary) : std::nullopt;
}

std::string summaryLine(const GroupStatistics& s) {
    const std::string values[] = {formatDate(s.LastDay),           std::to_string(s.Games),
                                  std::to_string(s.Wins),          std::to_string(s.CurrentStreak),
                                  std::to_string(s.LongestStreak), std::to_string(s.WinTimeSumMs),
                                  std::to_string(s.DayGames),      std::to_string(s.DayWins),
                                  formatTimes(s.BestTimes),        formatTimes(s.LastTimes)};
    std::string line(kSummaryWord);
    line += ' ' + s.Layout + ' ' + std::string(gradeField(s.DealGrade, kAllGrades));
    for (std::size_t i = 0; i < std::size(kSummaryKeys); ++i) {
        line += ' ' + std::string(kSummaryKeys[i]) + '=' + values[i];
    }
    return line;
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::string rightAligned(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// The problem of a first line that is not this version's.
std::string versionProblem(std::string_view line) {
    if (line.substr(0, kVersionName.size()) == kVersionName &&
        parseNumber(line.substr(kVersionName.size()), 999999)) {
        return "Sie stammt von einer neueren Version von Kelmar";
    }
    return "Sie ist keine Spielaufzeichnung von Kelmar";
}

std::string damagedLinesText(const std::vector<int>& lines) {
    constexpr std::size_t kNamed = 3;
    std::string text = lines.size() == 1 ? "Zeile " : "Zeilen ";
    for (std::size_t i = 0; i < std::min(lines.size(), kNamed); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    }
    if (lines.size() > kNamed) {
        text += " und " + std::to_string(lines.size() - kNamed) + " weitere";
    }
    return text + (lines.size() == 1 ? " ist beschädigt" : " sind beschädigt");
}

std::string readWarning(const std::string& path, const std::string& reason) {
    return "Kann Spielstatistik " + QuotedFileName(path) + " nicht lesen: " + reason +
           ".\nDie Datei bleibt unverändert; die Spiele werden nicht aufgezeichnet.";
}

std::string writeAction(const std::string& path) {
    return "Kann Spielstatistik " + QuotedFileName(path) + " nicht schreiben";
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void replaceWhole(const std::string& path, const std::string& text) {
    const std::string action = writeAction(path);
    TemporarySibling temporary(path, action);
    WriteWholeFile(temporary.path(), text, action);
    temporary.commit();
}

// A record as the file can hold it: values no game produces are brought
// into range rather than making the whole file unreadable.
GameRecord storable(GameRecord r) {
    constexpr int32_t kLastSecond = 86399;
    const int32_t firstDay = *parseDate("1900-01-01");
    const int32_t lastDay = *parseDate("9999-12-31");
    if (!parseLayout(r.Layout, false)) {
        r.Layout = kUnknownLayout;
    }
    r.Day = std::clamp(r.Day, firstDay, lastDay);
    r.Second = std::clamp(r.Second, 0, kLastSecond);
    r.Deal = r.Deal > kMaxDealNumber ? 0 : r.Deal;
    r.DealGrade = GradeFromCode(static_cast<int32_t>(r.DealGrade));
    for (int32_t* value : {&r.TimeMs, &r.Moves, &r.Hints, &r.Checks}) {
        *value = std::max(*value, 0);
    }
    r.Result = parseResult(ResultWord(r.Result)).value_or(GameResult::GivenUp);
    if (r.WinnableAtEnd > Winnable::No ||
        (r.Result == GameResult::Won && r.WinnableAtEnd == Winnable::No) ||
        (r.Result == GameResult::Stuck && r.WinnableAtEnd == Winnable::Yes)) {
        r.WinnableAtEnd = WinnableAtEnd(r.Result, std::nullopt);
    }
    r.DayGame = r.DayGame == 0 ? 0 : std::clamp(r.DayGame, firstDay, lastDay);
    return r;
}

} // namespace

GameRecordsParse ParseGameRecords(std::string_view text) {
    GameRecordsParse result;
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF"; // an editor's UTF-8 mark
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    int number = 0;
    bool recordSeen = false;
    std::map<std::pair<std::string, Grade>, bool> summarised;
    while (!text.empty()) {
        const std::string_view line = TakeLine(text);
        if (++number == 1) {
            if (line != kGameRecordsVersionLine) {
                result.Problem = versionProblem(line);
                return result;
            }
            continue;
        }
        const auto fields = splitFields(line);
        if (fields.empty() || fields[0].front() == '#') {
            continue;
        }
        if (fields[0] == kSummaryWord) {
            auto summary = parseSummaryLine(fields);
            std::string key = summary ? summary->Layout : std::string();
            std::transform(key.begin(), key.end(), key.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
            if (!summary || recordSeen || summarised[{key, summary->DealGrade}]) {
                result.DamagedLines.push_back(number);
                continue;
            }
            summarised[{key, summary->DealGrade}] = true;
            result.Book.Summaries.push_back(std::move(*summary));
            continue;
        }
        if (auto record = parseRecordLine(fields)) {
            recordSeen = true;
            result.Book.Records.push_back(std::move(*record));
        } else {
            result.DamagedLines.push_back(number);
        }
    }
    return result;
}

std::string GameRecordLine(const GameRecord& r) {
    const std::string fields[] = {
        formatDate(r.Day),
        formatTimeOfDay(r.Second),
        padded(r.Layout, 12),
        padded(r.Deal == 0 ? std::string(kNone) : std::to_string(r.Deal), 9),
        padded(std::string(gradeField(r.DealGrade, kNone)), 6),
        padded(std::string(ResultWord(r.Result)), 12),
        rightAligned(formatPlayTime(r.TimeMs), 10),
        rightAligned(std::to_string(r.Moves), 4),
        rightAligned(std::to_string(r.Hints), 5),
        rightAligned(std::to_string(r.Checks), 9),
        padded(std::string(kWinnableWords[static_cast<std::size_t>(r.WinnableAtEnd)]), 6),
        padded(r.DayGame == 0 ? std::string(kNone) : formatDate(r.DayGame), 10),
        std::string(kOriginWords[(r.Loaded ? 1 : 0) | (r.Continued ? 2 : 0)]),
    };
    std::string line;
    for (const std::string& field : fields) {
        line += line.empty() ? "" : " ";
        line += field;
    }
    return line;
}

std::string GameRecordsText(const GameRecordBook& book) {
    std::string text(kGameRecordsVersionLine);
    text += '\n';
    text += kCommentLine;
    text += '\n';
    for (const GroupStatistics& summary : book.Summaries) {
        text += summaryLine(summary) + '\n';
    }
    for (const GameRecord& record : book.Records) {
        text += GameRecordLine(record) + '\n';
    }
    return text;
}

std::string GameRecordsPathBeside(const std::string& settingsPath) {
    return folderOf(settingsPath) + kGameRecordsFileName;
}

std::string GameRecordsBackupPathBeside(const std::string& settingsPath) {
    return folderOf(settingsPath) + kGameRecordsBackupFileName;
}

GameRecordsRead ReadGameRecords(const std::string& path) {
    const FileBytes file = ReadRegularFile(path, kMaxRecordsFileBytes + 1);
    if (file.error == ENOENT) {
        return {};
    }
    if (file.error != 0) {
        return {{}, false, readWarning(path, GermanErrorText(file.error))};
    }
    if (file.bytes.size() > kMaxRecordsFileBytes) {
        return {{}, false, readWarning(path, "Sie ist zu groß")};
    }
    GameRecordsParse parse = ParseGameRecords(file.bytes);
    if (!parse.Problem.empty()) {
        return {{}, false, readWarning(path, parse.Problem)};
    }
    if (!parse.DamagedLines.empty()) {
        return {std::move(parse.Book), false,
                readWarning(path, damagedLinesText(parse.DamagedLines))};
    }
    return {std::move(parse.Book), true, {}};
}

GameRecordBook AppendGameRecord(const std::string& settingsPath, const GameRecord& record) {
    const std::string path = GameRecordsPathBeside(settingsPath);
    const SettingsLock lock(settingsPath, writeAction(path));
    GameRecordsRead file = ReadGameRecords(path);
    if (!file.Usable) {
        throw UnsoundRecordsError(file.Warning);
    }
    GameRecordBook& book = file.Book;
    book.Records.push_back(storable(record));
    if (book.Records.size() > kMaxDetailedRecords) {
        SummariseOldest(book, book.Records.size() - (kMaxDetailedRecords - kSummarisedRecords));
    }
    replaceWhole(path, GameRecordsText(book));
    return std::move(book);
}

void ResetGameRecords(const std::string& settingsPath) {
    const std::string path = GameRecordsPathBeside(settingsPath);
    const SettingsLock lock(settingsPath, writeAction(path));
    const std::string target = WriteTargetOf(path);
    if (::rename(target.c_str(),
                 WriteTargetOf(GameRecordsBackupPathBeside(settingsPath)).c_str()) != 0 &&
        errno != ENOENT) {
        throw IoError(writeAction(path) + ": " + GermanErrorText(errno) + ".");
    }
    replaceWhole(path, GameRecordsText({}));
}

std::string GameRecordsSession::Open() {
    const GameRecordsRead read = Read();
    usable_ = read.Usable;
    return read.Warning;
}

std::optional<GameRecordBook> GameRecordsSession::Append(const GameRecord& record) {
    if (!usable_) {
        return std::nullopt;
    }
    try {
        return AppendGameRecord(settingsPath_, record);
    } catch (const UnsoundRecordsError&) {
        usable_ = false;
        throw;
    }
}

GameRecordsRead GameRecordsSession::Read() const {
    return ReadGameRecords(GameRecordsPathBeside(settingsPath_));
}

void GameRecordsSession::Reset() {
    ResetGameRecords(settingsPath_);
    usable_ = true;
}

} // namespace kelmar
