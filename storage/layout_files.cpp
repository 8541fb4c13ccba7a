#include "storage/layout_files.h"

#include "core/deal.h"
#include "core/layout_text.h"
#include "storage/player_folder.h"
#include "storage/regular_file.h"
#include "storage/storage_error.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace kelmar {

namespace {

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string skipped(const std::string& file, int line, const std::string& rule) {
    const std::string where = line > 0 ? ", Zeile " + std::to_string(line) : std::string();
    return "Aufstellung " + QuotedFileName(file) + where + ": " + rule +
           ". Die Datei wird übergangen.";
}

// The first layout of `others` that has the short or the German name of
// `layout`, or null.
const Layout* clashWith(const Layout& layout, const std::vector<const Layout*>& others) {
    for (const Layout* other : others) {
        if (lowered(other->ShortName) == lowered(layout.ShortName) ||
            lowered(other->Name) == lowered(layout.Name)) {
            return other;
        }
    }
    return nullptr;
}

std::vector<std::filesystem::path> textFiles(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (it->path().extension() == ".txt") {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

std::string PlayerLayoutFolder() {
    return PlayerDataFolder("layouts");
}

PlayerLayouts ReadPlayerLayouts(const std::string& folder, const std::vector<Layout>& known) {
    PlayerLayouts result;
    if (folder.empty()) {
        return result;
    }
    for (const std::filesystem::path& path : textFiles(folder)) {
        const std::string file = path.filename().string();
        const std::string shortName = path.stem().string();
        if (!ValidLayoutShortName(shortName)) {
            result.messages.push_back(
                skipped(file, 0,
                        "Der Dateiname vor „.txt“ muss aus 1 bis 32 Buchstaben A–Z, a–z, Ziffern, "
                        "'-' oder '_' bestehen"));
            continue;
        }
        const FileBytes bytes = ReadRegularFile(path.string(), kLayoutFileMaxBytes + 1);
        if (bytes.error != 0) {
            result.messages.push_back(skipped(
                file, 0, "Die Datei ist nicht lesbar (" + GermanErrorText(bytes.error) + ")"));
            continue;
        }
        if (bytes.bytes.size() > kLayoutFileMaxBytes) {
            result.messages.push_back(skipped(file, 0, "Die Datei ist größer als 64 KiB"));
            continue;
        }
        LayoutTextResult parsed = ParseLayoutText(bytes.bytes, shortName);
        if (!parsed.layout) {
            result.messages.push_back(skipped(file, parsed.error.Line, parsed.error.Message));
            continue;
        }
        std::vector<const Layout*> others;
        for (const Layout& l : known) {
            others.push_back(&l);
        }
        for (const Layout& l : result.layouts) {
            others.push_back(&l);
        }
        if (const Layout* other = clashWith(*parsed.layout, others)) {
            result.messages.push_back(skipped(
                file, 0, "Name oder Kurzname gibt es schon (Aufstellung „" + other->Name + "“)"));
            continue;
        }
        if (!LayoutHasWinnableDeal(*parsed.layout)) {
            result.messages.push_back(
                skipped(file, 0, "Auf dieser Aufstellung findet das Spiel kein lösbares Spiel"));
            continue;
        }
        result.layouts.push_back(std::move(*parsed.layout));
    }
    return result;
}

} // namespace kelmar
