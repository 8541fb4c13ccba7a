#include "storage/layout_files.h"

#include "core/deal.h"
#include "core/layout_text.h"
#include "storage/player_folder.h"
#include "storage/regular_file.h"
#include "storage/storage_error.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/uspoof.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>
#include <unordered_map>

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

// The layouts read so far, by what a new one must not share with them.
class LayoutIndex {
public:
    // Layouts are referred to by index: the vectors may grow.
    void add(const std::vector<Layout>& list, std::size_t index) {
        const Layout& layout = list[index];
        const Entry entry{&list, index};
        shortNames_.try_emplace(lowered(layout.ShortName), entry);
        names_.try_emplace(LayoutNameKey(layout.Name), entry);
        positions_.try_emplace(positionsKey(layout), entry);
    }
    // The first layout with the short or the German name of `layout`.
    const Layout* sameName(const Layout& layout) const {
        if (const Layout* other = find(shortNames_, lowered(layout.ShortName))) {
            return other;
        }
        return find(names_, LayoutNameKey(layout.Name));
    }
    const Layout* samePositions(const Layout& layout) const {
        return find(positions_, positionsKey(layout));
    }

private:
    struct Entry {
        const std::vector<Layout>* list;
        std::size_t index;
    };
    using Map = std::unordered_map<std::string, Entry>;

    static const Layout* find(const Map& map, const std::string& key) {
        const auto it = map.find(key);
        return it == map.end() ? nullptr : &(*it->second.list)[it->second.index];
    }
    static std::string positionsKey(const Layout& layout) {
        std::string key;
        for (const LayoutPosition& p : layout.Positions) {
            key += std::to_string(p.X) + ',' + std::to_string(p.Y) + ',' + std::to_string(p.Layer) +
                   ';';
        }
        return key;
    }

    Map shortNames_;
    Map names_;
    Map positions_;
};

// Decodes the UTF-8 `text`; nullopt when it is not valid UTF-8.
std::optional<std::vector<UChar32>> codePoints(std::string_view text) {
    std::vector<UChar32> result;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t at = 0; at < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        if (c < 0) {
            return std::nullopt;
        }
        result.push_back(c);
    }
    return result;
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
    const std::vector<std::filesystem::path> files = textFiles(folder);
    if (files.empty()) {
        // The names' keys need ICU's confusables data, about a mebibyte of
        // memory: a player without layouts of their own never pays for it.
        return result;
    }
    LayoutIndex index;
    for (std::size_t i = 0; i < known.size(); ++i) {
        index.add(known, i);
    }
    for (const std::filesystem::path& path : files) {
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
        if (!LayoutNamePrintable(parsed.layout->Name)) {
            result.messages.push_back(
                skipped(file, 0,
                        "Der Name darf nur druckbare Zeichen enthalten, keine Steuer-, "
                        "Richtungs- oder unsichtbaren Zeichen"));
            continue;
        }
        if (const Layout* other = index.sameName(*parsed.layout)) {
            result.messages.push_back(
                skipped(file, 0,
                        "Name oder Kurzname gibt es schon oder sieht gleich aus (Aufstellung „" +
                            other->Name + "“)"));
            continue;
        }
        if (const Layout* other = index.samePositions(*parsed.layout)) {
            result.messages.push_back(skipped(
                file, 0,
                "Die Aufstellung hat dieselben Plätze wie die Aufstellung „" + other->Name + "“"));
            continue;
        }
        if (!LayoutHasWinnableDeal(*parsed.layout)) {
            result.messages.push_back(
                skipped(file, 0, "Auf dieser Aufstellung findet das Spiel kein lösbares Spiel"));
            continue;
        }
        result.layouts.push_back(std::move(*parsed.layout));
        index.add(result.layouts, result.layouts.size() - 1);
    }
    return result;
}

bool LayoutNamePrintable(std::string_view name) {
    const auto characters = codePoints(name);
    if (!characters) {
        return false;
    }
    return std::all_of(characters->begin(), characters->end(), [](UChar32 c) {
        const auto type = static_cast<UCharCategory>(u_charType(c));
        return u_isprint(c) && type != U_LINE_SEPARATOR && type != U_PARAGRAPH_SEPARATOR;
    });
}

std::string LayoutNameKey(std::string_view name) {
    // Opened once; a checker only read from may be shared between threads.
    static USpoofChecker* const spoof = [] {
        UErrorCode status = U_ZERO_ERROR;
        USpoofChecker* checker = uspoof_open(&status);
        return U_SUCCESS(status) ? checker : nullptr;
    }();
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* fold = unorm2_getNFKCCasefoldInstance(&status);
    std::u16string text;
    for (const UChar32 c : codePoints(name).value_or(std::vector<UChar32>{})) {
        UChar units[2];
        int32_t length = 0;
        U16_APPEND_UNSAFE(units, length, c);
        text.append(units, units + length);
    }
    // Each step into a buffer large enough for the longest expansions of a
    // 40-byte name.
    const auto step = [&status](const std::u16string& in, auto call) {
        std::u16string out(in.size() * 20 + 16, u'\0');
        const int32_t length = call(in, out);
        out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
        return out;
    };
    const std::u16string folded = step(text, [&](const std::u16string& in, std::u16string& out) {
        return unorm2_normalize(fold, in.data(), static_cast<int32_t>(in.size()), out.data(),
                                static_cast<int32_t>(out.size()), &status);
    });
    if (spoof == nullptr || U_FAILURE(status)) {
        return lowered(std::string(name));
    }
    const std::u16string skeleton =
        step(folded, [&](const std::u16string& in, std::u16string& out) {
            return uspoof_getSkeleton(spoof, 0, in.data(), static_cast<int32_t>(in.size()),
                                      out.data(), static_cast<int32_t>(out.size()), &status);
        });
    std::string key(skeleton.size() * 3, '\0');
    int32_t length = 0;
    u_strToUTF8(key.data(), static_cast<int32_t>(key.size()), &length, skeleton.data(),
                static_cast<int32_t>(skeleton.size()), &status);
    if (U_FAILURE(status)) {
        return lowered(std::string(name));
    }
    key.resize(static_cast<std::size_t>(length));
    return key;
}

std::string SkippedLayoutsText(const std::vector<std::string>& messages) {
    return PlayerFileMessagesText(messages, "weitere Datei wird übergangen.",
                                  "weitere Dateien werden übergangen.");
}

} // namespace kelmar
