#include "storage/tile_set_files.h"

#include "core/layout.h"
#include "core/zoom.h"
#include "storage/player_folder.h"
#include "storage/regular_file.h"
#include "storage/storage_error.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

namespace kelmar {

namespace {

// The picture files of a set; at 100 % the sheet is 342 x 270 and the frame
// 48 x 64.
struct SetPicture {
    const char* Name;
    bool Frame;
};
constexpr SetPicture kSheet{"KLTiles.bmp", false};
constexpr SetPicture kFrame{"KLTFrame.bmp", true};
constexpr int32_t kSheetWidth = 342;
constexpr int32_t kSheetHeight = 270;

// The size of `picture` in its file for `percent`: the sheet's cells scale
// with the level, the frame keeps an outline of whole pixels around them.
void sizeAt(const SetPicture& picture, int percent, int32_t& width, int32_t& height) {
    if (picture.Frame) {
        const TileFrameGeometry g = FrameGeometryAt(percent);
        width = g.Width;
        height = g.Height;
    } else {
        width = ScaleLength(kSheetWidth, percent);
        height = ScaleLength(kSheetHeight, percent);
    }
}

int64_t littleEndian(const std::string& bytes, std::size_t at, std::size_t size) {
    uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return static_cast<int64_t>(value);
}

// The header fields of a BMP file that say how large its picture is.
struct BmpHeader {
    int64_t DataOffset = 0;
    int64_t Width = 0;
    int64_t Height = 0; // negative: rows stored top-down
    int64_t Bits = 0;
    int64_t Compression = 0;
};

constexpr std::size_t kHeaderBytes = 34;

std::optional<BmpHeader> readHeader(const std::string& bytes) {
    if (bytes.size() < 26 || bytes.compare(0, 2, "BM") != 0) {
        return std::nullopt;
    }
    BmpHeader h;
    h.DataOffset = littleEndian(bytes, 10, 4);
    const int64_t infoSize = littleEndian(bytes, 14, 4);
    if (infoSize == 12) { // the old header: 16-bit sides, never compressed
        h.Width = static_cast<int16_t>(littleEndian(bytes, 18, 2));
        h.Height = static_cast<int16_t>(littleEndian(bytes, 20, 2));
        h.Bits = littleEndian(bytes, 24, 2);
    } else if (infoSize >= 40 && bytes.size() >= kHeaderBytes) {
        h.Width = static_cast<int32_t>(littleEndian(bytes, 18, 4));
        h.Height = static_cast<int32_t>(littleEndian(bytes, 22, 4));
        h.Bits = littleEndian(bytes, 28, 2);
        h.Compression = littleEndian(bytes, 30, 4);
    } else {
        return std::nullopt;
    }
    return h;
}

std::string sizeText(int64_t width, int64_t height) {
    return std::to_string(width) + " × " + std::to_string(height);
}

// What is wrong with the picture file at `path`, which must hold `picture`
// for `percent`; empty when nothing is.
std::string checkPicture(const std::string& path, const SetPicture& picture, int percent) {
    const FileBytes head = ReadRegularFile(path, kHeaderBytes);
    if (head.error != 0) {
        return "ist nicht lesbar (" + GermanErrorText(head.error) + ")";
    }
    const std::optional<BmpHeader> h = readHeader(head.bytes);
    if (!h) {
        return "ist keine BMP-Datei";
    }
    if (h->Compression != 0 && h->Compression != 3) {
        return "ist komprimiert gespeichert; gelesen werden nur unkomprimierte BMP-Dateien";
    }
    if (h->Bits != 1 && h->Bits != 4 && h->Bits != 8 && h->Bits != 16 && h->Bits != 24 &&
        h->Bits != 32) {
        return "hat " + std::to_string(h->Bits) +
               " Bit je Bildpunkt; gelesen werden 1, 4, 8, 16, 24 oder 32";
    }
    int32_t width = 0, height = 0;
    sizeAt(picture, percent, width, height);
    const int64_t rows = h->Height < 0 ? -h->Height : h->Height;
    if (h->Width != width || rows != height) {
        return "ist " + sizeText(h->Width, rows) + " Bildpunkte groß, verlangt sind " +
               sizeText(width, height);
    }
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(path, error);
    const int64_t stride = (h->Width * h->Bits + 31) / 32 * 4;
    if (error || static_cast<int64_t>(fileSize) < h->DataOffset + stride * rows) {
        return "endet vor der letzten Bildzeile";
    }
    return {};
}

std::string levelFileName(const SetPicture& picture, int percent) {
    return ZoomedFileName(picture.Name, percent);
}

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string notOffered(const std::string& shortName, const std::string& why) {
    return "Kachelsatz " + QuotedFileName(shortName) + ": " + why +
           ". Der Kachelsatz wird nicht angeboten.";
}

} // namespace

std::string PlayerTileSetFolder() {
    return PlayerDataFolder("tilesets");
}

std::string CheckTileSetFolder(const std::string& folder, const std::string& shortName) {
    for (const SetPicture& picture : {kSheet, kFrame}) {
        bool found = false;
        for (int percent : kZoomLevels) {
            const std::string file = levelFileName(picture, percent);
            const std::string path = folder + "/" + file;
            std::error_code error;
            if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
                continue;
            }
            found = true;
            const std::string fault = checkPicture(path, picture, percent);
            if (!fault.empty()) {
                return notOffered(shortName, "Die Datei " + QuotedFileName(file) + " " + fault);
            }
        }
        if (!found) {
            return notOffered(shortName, "Die Datei " + QuotedFileName(picture.Name) +
                                             " fehlt (auch in keiner der Größen " +
                                             levelFileName(picture, kZoomLevels[1]) + " bis " +
                                             levelFileName(picture, kZoomLevels.back()) + ")");
        }
    }
    return {};
}

PlayerTileSets ReadPlayerTileSets(const std::string& folder,
                                  const std::vector<std::string>& known) {
    PlayerTileSets result;
    if (folder.empty()) {
        return result;
    }
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            folders.push_back(it->path());
        }
    }
    std::sort(folders.begin(), folders.end());
    for (const std::filesystem::path& path : folders) {
        const std::string name = path.filename().string();
        if (!ValidLayoutShortName(name)) {
            result.messages.push_back(
                notOffered(name, "Der Ordnername muss aus 1 bis 32 Buchstaben A–Z, a–z, "
                                 "Ziffern, '-' oder '_' bestehen"));
            continue;
        }
        const bool taken = std::any_of(known.begin(), known.end(), [&name](const std::string& k) {
            return lowered(k) == lowered(name);
        });
        if (taken) {
            result.messages.push_back(
                notOffered(name, "Einen Kachelsatz dieses Namens hat das Spiel schon"));
            continue;
        }
        std::string fault = CheckTileSetFolder(path.string(), name);
        if (!fault.empty()) {
            result.messages.push_back(std::move(fault));
            continue;
        }
        result.sets.push_back({name, path.string()});
    }
    return result;
}

} // namespace kelmar
