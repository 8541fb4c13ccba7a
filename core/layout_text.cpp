#include "core/layout_text.h"

#include "core/game.h"
#include "core/plain_text.h"
#include "core/zoom.h"

#include <vector>

namespace kelmar {

namespace {

constexpr int32_t kHalfColumn = kFaceWidth / 2; // 19 px per picture column
constexpr int32_t kHalfRow = kFaceHeight / 2;   // 27 px per picture row
constexpr size_t kMaxNameBytes = 40;

struct PictureRow {
    int line = 0;
    std::string cells;
};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// The layer of an "Ebene N" line: N, -1 for a number outside 0..99 or none.
int headerLayer(std::string_view rest) {
    rest = trimmed(rest);
    const std::optional<uint64_t> n = rest.size() <= 2 ? ParseDigits(rest, 99) : std::nullopt;
    return n ? static_cast<int>(*n) : -1;
}

class Parser {
public:
    explicit Parser(const std::string& shortName) { layout_.ShortName = shortName; }

    LayoutTextResult run(std::string_view text);

private:
    bool line(int number, std::string_view s);
    bool header(int number, std::string_view s);
    bool finishLayer();
    bool fail(int line, std::string message) {
        error_ = LayoutTextError{line, std::move(message)};
        return false;
    }

    Layout layout_;
    bool named_ = false;
    int layer_ = 0;
    std::vector<PictureRow> rows_;
    std::vector<LayoutPosition> positions_;
    LayoutTextError error_;
};

bool Parser::header(int number, std::string_view s) {
    const int layer = headerLayer(s.substr(5));
    if (layer < 1 || layer > kMaxLayoutLayer) {
        return fail(number, "Die Ebene muss eine Zahl von 1 bis 15 sein");
    }
    if (layer <= layer_) {
        return fail(number, "Ebene " + std::to_string(layer) + " folgt nicht auf eine niedrigere");
    }
    if (!finishLayer()) {
        return false;
    }
    layer_ = layer;
    return true;
}

bool Parser::line(int number, std::string_view raw) {
    if (!raw.empty() && raw.back() == '\r') {
        raw.remove_suffix(1);
    }
    const std::string_view s = trimmed(raw);
    if (startsWith(s, ";")) {
        return true;
    }
    if (!named_) {
        if (s.empty()) {
            return true;
        }
        if (!startsWith(s, "Name:")) {
            return fail(number, "Die erste Zeile muss „Name: …“ sein");
        }
        const std::string_view name = trimmed(s.substr(5));
        if (name.empty() || name.size() > kMaxNameBytes) {
            return fail(number, "Der Name muss 1 bis 40 Zeichen lang sein");
        }
        layout_.Name = std::string(name);
        named_ = true;
        return true;
    }
    if (startsWith(s, "Ebene")) {
        return header(number, s);
    }
    if (layer_ == 0) {
        if (s.empty()) {
            return true;
        }
        return fail(number, "Vor dem ersten Bild fehlt „Ebene 1“");
    }
    for (size_t c = 0; c < raw.size(); ++c) {
        if (raw[c] != '#' && raw[c] != '.' && raw[c] != ' ') {
            return fail(number, "Zeichen " + std::to_string(c + 1) +
                                    " ist nicht erlaubt (nur '#', '.' und Leerzeichen)");
        }
    }
    rows_.push_back(PictureRow{number, std::string(raw)});
    return true;
}

// Cuts the picture of the layer into 2 x 2 tiles, top row first.
bool Parser::finishLayer() {
    std::vector<std::vector<bool>> taken(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
        taken[r].assign(rows_[r].cells.size(), false);
    }
    const auto isTile = [&](size_t r, size_t c) {
        return r < rows_.size() && c < rows_[r].cells.size() && rows_[r].cells[c] == '#' &&
               !taken[r][c];
    };
    for (size_t r = 0; r < rows_.size(); ++r) {
        for (size_t c = 0; c < rows_[r].cells.size(); ++c) {
            if (!isTile(r, c)) {
                continue;
            }
            const std::string where = "Der Stein ab Zeichen " + std::to_string(c + 1);
            if (!isTile(r, c + 1) || !isTile(r + 1, c) || !isTile(r + 1, c + 1)) {
                return fail(rows_[r].line, where + " ist kein ganzer 2 × 2-Block aus '#' "
                                                   "(unvollständig oder überlappend)");
            }
            taken[r][c] = taken[r][c + 1] = taken[r + 1][c] = taken[r + 1][c + 1] = true;
            const LayoutPosition p{static_cast<int32_t>(c) * kHalfColumn,
                                   static_cast<int32_t>(r) * kHalfRow,
                                   static_cast<uint8_t>(layer_)};
            if (!PositionOnBoardSurface(p)) {
                return fail(rows_[r].line, where + " liegt außerhalb der Spielfläche");
            }
            positions_.push_back(p);
        }
    }
    rows_.clear();
    return true;
}

LayoutTextResult Parser::run(std::string_view text) {
    if (startsWith(text, "\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    int number = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = text.find('\n');
        const std::string_view s = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line(number, s)) {
            return {std::nullopt, error_};
        }
    }
    if (!named_) {
        return {std::nullopt, {0, "Die Datei enthält keine Zeile „Name: …“"}};
    }
    if (!finishLayer()) {
        return {std::nullopt, error_};
    }
    if (positions_.size() != static_cast<size_t>(kLayoutSize)) {
        return {
            std::nullopt,
            {0, "Die Aufstellung hat " + std::to_string(positions_.size()) + " statt 144 Steine"}};
    }
    std::copy(positions_.begin(), positions_.end(), layout_.Positions.begin());
    return {layout_, {}};
}

} // namespace

bool PositionOnBoardSurface(const LayoutPosition& p) {
    // The frame picture at 100 %: the face sits FaceLeft, FaceTop inside a
    // Width x Height picture (the side and the outline around it).
    constexpr TileFrameGeometry frame = FrameGeometryAt(kDefaultZoom);
    const int32_t left = p.X + 26 + 9 * p.Layer - frame.FaceLeft;
    const int32_t top = p.Y + 29 - 9 * p.Layer - frame.FaceTop;
    return p.Layer >= 1 && p.Layer <= kMaxLayoutLayer && left >= 0 && top >= 0 &&
           left + frame.Width <= kBoardWidth && top + frame.Height <= kBoardHeight;
}

LayoutTextResult ParseLayoutText(std::string_view text, const std::string& shortName) {
    return Parser(shortName).run(text);
}

} // namespace kelmar
