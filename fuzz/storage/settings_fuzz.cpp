// The settings reader and the best-times record parser on arbitrary bytes.
// Properties: never a crash or sanitizer report; every row read has a name of
// 1..20 bytes; what WriteSettings would write reads back to the same options
// and table; a record that is taken encodes to a record that decodes alike.
#include "core/zoom.h"
#include "fuzz/storage/fuzz_check.h"
#include "storage/high_score_record.h"
#include "storage/settings_file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace kelmar;

bool sameRow(const HighScoreEntry& a, const HighScoreEntry& b) {
    return a.Name == b.Name && a.Time == b.Time && a.Date == b.Date;
}

void checkRecord(std::string_view value) {
    HighScoreEntry entry;
    if (!DecodeHighScore(value, entry)) {
        return;
    }
    FUZZ_CHECK(!entry.Name.empty() && entry.Name.size() <= kMaxScoreNameLength);
    HighScoreEntry back;
    FUZZ_CHECK(DecodeHighScore(EncodeHighScore(entry), back));
    FUZZ_CHECK(sameRow(entry, back));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkRecord(text);

    GameSettings settings;
    HighScoreTable table;
    ApplySettingsText(settings, table, text);
    for (int row = 1; row <= kScoreRows; ++row) {
        const HighScoreEntry& entry = table.Rows[static_cast<size_t>(row)];
        FUZZ_CHECK(!entry.Name.empty() && entry.Name.size() <= kMaxScoreNameLength);
    }

    GameSettings settingsBack;
    HighScoreTable tableBack;
    ApplySettingsText(settingsBack, tableBack, SettingsText(settings, table));
    std::string name = settings.PlayerName; // a line break is written as a blank
    for (char& c : name) {
        c = (c == '\r' || c == '\n') ? ' ' : c;
    }
    const auto blank = name.find_last_not_of(" \t");
    name.erase(blank == std::string::npos ? 0 : blank + 1);
    name.erase(0, name.find_first_not_of(" \t") == std::string::npos
                      ? name.size()
                      : name.find_first_not_of(" \t"));
    FUZZ_CHECK(settingsBack.PlayerName == name);
    FUZZ_CHECK(settingsBack.AvoidUnsolveableGames == settings.AvoidUnsolveableGames);
    FUZZ_CHECK(settingsBack.PixelFormat == settings.PixelFormat);
    FUZZ_CHECK(settingsBack.ShowRenderSpeed == settings.ShowRenderSpeed);
    FUZZ_CHECK(settingsBack.ForceRepaint == settings.ForceRepaint);
    FUZZ_CHECK(IsZoomLevel(settings.Zoom) && settingsBack.Zoom == settings.Zoom);
    for (int row = 1; row <= kScoreRows; ++row) {
        FUZZ_CHECK(sameRow(tableBack.Rows[static_cast<size_t>(row)],
                           table.Rows[static_cast<size_t>(row)]));
    }
    return 0;
}
