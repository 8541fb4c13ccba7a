#include "app/help_page.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kelmar {
namespace {

// Elements that never nest: no end tag, or one that the next sibling or the
// parent's end supplies.
constexpr std::array<std::string_view, 26> kFlatElements = {
    "area",  "base",  "br",    "col",  "colgroup", "dd",     "dt",  "embed",    "hr",
    "img",   "input", "li",    "link", "meta",     "option", "p",   "param",    "source",
    "tbody", "td",    "tfoot", "th",   "thead",    "tr",     "wbr", "!doctype",
};

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '!';
}

// Attributes whose value is a length in pixels (or percent), and those that
// count cells.
constexpr std::array<std::string_view, 14> kLengthAttributes = {
    "width",      "height",    "cellpadding", "cellspacing",  "border",
    "size",       "hspace",    "vspace",      "marginwidth",  "marginheight",
    "leftmargin", "topmargin", "rightmargin", "bottommargin",
};
constexpr std::array<std::string_view, 2> kSpanAttributes = {"colspan", "rowspan"};
// Length attributes that add to the height of the page.
constexpr std::array<std::string_view, 8> kVerticalAttributes = {
    "height", "cellpadding",  "cellspacing", "border",
    "vspace", "marginheight", "topmargin",   "bottommargin",
};

// The largest lengths a page or style sheet gives, in pixels.
struct Lengths {
    double length = 0;   // any length
    double font = 0;     // font sizes
    double vertical = 0; // margins, paddings, borders, heights, spacings
    double span = 0;     // cells spanned
    bool hidden = false; // a length written with a character reference

    bool fit() const {
        return length <= kMaxHelpLengthPixels && font <= kMaxHelpFontPixels &&
               span <= kMaxHelpCellSpan && !hidden;
    }
};

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool verticalProperty(std::string_view property) {
    for (const std::string_view part : {"margin", "padding", "border", "height", "spacing"}) {
        if (property.find(part) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

struct UnitScale {
    std::string_view unit;
    double pixels;
};
constexpr std::array<UnitScale, 12> kUnitScales = {{
    {"", 1},
    {"px", 1},
    {"pt", 4.0 / 3},
    {"pc", 16},
    {"in", 96},
    {"cm", 96 / 2.54},
    {"mm", 96 / 25.4},
    {"q", 96 / 101.6},
    {"em", 16},
    {"rem", 16},
    {"ex", 16},
    {"%", 4},
}};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number at `at` (digits, at most one '.'), saturating far above any
// limit; `at` moves past it.
double numberAt(std::string_view text, std::size_t& at) {
    double value = 0;
    double scale = 0;
    for (; at < text.size() && (isDigit(text[at]) || (text[at] == '.' && scale == 0)); ++at) {
        if (text[at] == '.') {
            scale = 1;
        } else if (scale == 0) {
            value = std::min(value * 10 + (text[at] - '0'), 1e18);
        } else {
            scale /= 10;
            value += (text[at] - '0') * scale;
        }
    }
    return value;
}

// The pixels a number with the unit (letters or '%') at `at` stands for;
// `at` moves past the unit. Units we do not know count as pixels. A
// percentage of a font size is one of the 16-pixel font around it.
double pixelsAt(std::string_view text, std::size_t& at, double value, bool fontSize = false) {
    const std::size_t start = at;
    while (at < text.size() && (isLetter(text[at]) || text[at] == '%')) {
        ++at;
    }
    std::string unit(text.substr(start, at - start));
    for (char& c : unit) {
        c = isLetter(c) ? static_cast<char>(c | 0x20) : c;
    }
    if (fontSize && unit == "%") {
        return value * 0.16;
    }
    for (const UnitScale& scale : kUnitScales) {
        if (scale.unit == unit) {
            return value * scale.pixels;
        }
    }
    return value;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

bool isNameOrValueEnd(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '>' || c == '/';
}

// The attributes of a tag, between its name and its '>': `oversized` when a
// length or span attribute or the style attribute breaks a limit.
// Raises `lengths` to those of the CSS text `css`.
void measureStyle(std::string_view css, Lengths& lengths) {
    std::string property; // of the declaration being read, lower case
    std::size_t at = 0;
    while (at < css.size()) {
        const char c = css[at];
        if (c == '"' || c == '\'') {
            const auto close = css.find(c, at + 1);
            at = close == std::string_view::npos ? css.size() : close + 1;
        } else if (css.substr(at, 2) == "/*") {
            const auto close = css.find("*/", at + 2);
            at = close == std::string_view::npos ? css.size() : close + 2;
        } else if (isLetter(c) || c == '_' || c == '#' || c == '\\' ||
                   (c == '-' && at + 1 < css.size() && !isDigit(css[at + 1]) &&
                    css[at + 1] != '.')) {
            // A name, a colour or an escape: its digits are no length.
            const std::size_t start = at++;
            while (at < css.size() &&
                   (isLetter(css[at]) || isDigit(css[at]) || css[at] == '-' || css[at] == '_')) {
                ++at;
            }
            const auto next = css.find_first_not_of(" \t\r\n", at);
            if (next != std::string_view::npos && css[next] == ':') {
                property = lowered(css.substr(start, at - start));
            }
        } else if (isDigit(c) || (c == '.' && at + 1 < css.size() && isDigit(css[at + 1]))) {
            const bool font = property == "font-size" || property == "font";
            const double value = numberAt(css, at);
            const double pixels = pixelsAt(css, at, value, font);
            (font ? lengths.font : lengths.length) =
                std::max(font ? lengths.font : lengths.length, pixels);
            if (verticalProperty(property)) {
                lengths.vertical = std::max(lengths.vertical, pixels);
            }
        } else {
            if (c == ';' || c == '{' || c == '}') {
                property.clear();
            }
            ++at;
        }
    }
}

// Raises `lengths` to those of a tag's attributes (the text between its
// name and its '>'): length and span attributes and the style attribute.
void measureAttributes(std::string_view attributes, Lengths& lengths) {
    std::size_t at = 0;
    while (at < attributes.size()) {
        while (at < attributes.size() && isNameOrValueEnd(attributes[at])) {
            ++at;
        }
        const std::size_t nameStart = at;
        while (at < attributes.size() && attributes[at] != '=' &&
               !isNameOrValueEnd(attributes[at])) {
            ++at;
        }
        const std::string name = lowered(attributes.substr(nameStart, at - nameStart));
        if (at >= attributes.size() || attributes[at] != '=') {
            if (at == nameStart) {
                ++at;
            }
            continue;
        }
        ++at;
        std::string_view value;
        if (at < attributes.size() && (attributes[at] == '"' || attributes[at] == '\'')) {
            const auto close = attributes.find(attributes[at], at + 1);
            const std::size_t end = close == std::string_view::npos ? attributes.size() : close;
            value = attributes.substr(at + 1, end - at - 1);
            at = end + 1;
        } else {
            const std::size_t start = at;
            while (at < attributes.size() && !isNameOrValueEnd(attributes[at])) {
                ++at;
            }
            value = attributes.substr(start, at - start);
        }
        const bool length = listed(kLengthAttributes, name);
        const bool span = listed(kSpanAttributes, name);
        if ((length || span || name == "style") && value.find('&') != std::string_view::npos) {
            lengths.hidden = true; // a character reference would hide the number
        }
        if (name == "style") {
            measureStyle(value, lengths);
        }
        std::size_t number = value.find_first_not_of(" \t+-");
        if ((!length && !span) || number == std::string_view::npos) {
            continue;
        }
        const double amount = numberAt(value, number);
        if (span) {
            lengths.span = std::max(lengths.span, amount);
            continue;
        }
        const double pixels = pixelsAt(value, number, amount);
        lengths.length = std::max(lengths.length, pixels);
        if (listed(kVerticalAttributes, name)) {
            lengths.vertical = std::max(lengths.vertical, pixels);
        }
    }
}

} // namespace

bool HelpStyleFits(std::string_view css) {
    Lengths lengths;
    measureStyle(css, lengths);
    return lengths.fit();
}

HelpPageShape MeasureHelpPage(const QByteArray& html) {
    const std::string_view text(html.constData(), static_cast<std::size_t>(html.size()));
    HelpPageShape shape;
    Lengths lengths;
    int depth = 0;
    int tables = 0;
    int64_t words = 0;
    int64_t tags = 0;
    std::size_t textFrom = 0; // where the text not yet counted begins
    const auto countWords = [&](std::size_t end) {
        bool inWord = false;
        for (std::size_t i = textFrom; i < end; ++i) {
            const bool blank =
                text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r';
            words += !blank && !inWord ? 1 : 0;
            inWord = !blank;
        }
    };
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        if (text.substr(at, 4) == "<!--") {
            countWords(at);
            const auto end = text.find("-->", at + 4);
            at = end == std::string_view::npos ? text.size() : end + 3;
            textFrom = at;
            continue;
        }
        std::size_t name = at + 1;
        const bool closing = name < text.size() && text[name] == '/';
        name += closing ? 1 : 0;
        std::size_t nameEnd = name;
        while (nameEnd < text.size() && isNameChar(text[nameEnd])) {
            ++nameEnd;
        }
        if (nameEnd == name) {
            ++at; // a lone '<' in the text, counted with the text around it
            continue;
        }
        countWords(at);
        const auto tagEnd = text.find('>', nameEnd);
        at = tagEnd == std::string_view::npos ? text.size() : tagEnd + 1;
        textFrom = at;
        const std::string element = lowered(text.substr(name, nameEnd - name));
        const bool selfClosing = tagEnd != std::string_view::npos && text[tagEnd - 1] == '/';
        if (!closing) {
            const std::size_t end = tagEnd == std::string_view::npos ? text.size() : tagEnd;
            measureAttributes(text.substr(nameEnd, end - nameEnd), lengths);
            ++tags;
        }
        if (!closing && element == "style" && !selfClosing) {
            // The style sheet runs to the end tag; nothing inside it nests.
            auto close = at;
            while ((close = text.find("</", close)) != std::string_view::npos &&
                   lowered(text.substr(close + 2, 5)) != "style") {
                close += 2;
            }
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            const std::string_view sheet = text.substr(at, end - at);
            lengths.hidden = lengths.hidden || sheet.find('&') != std::string_view::npos;
            measureStyle(sheet, lengths);
            at = end;
            textFrom = at;
            continue;
        }
        if (selfClosing ||
            std::find(kFlatElements.begin(), kFlatElements.end(), element) != kFlatElements.end()) {
            continue;
        }
        const bool table = element == "table";
        if (closing) {
            depth = std::max(depth - 1, 0);
            tables = table ? std::max(tables - 1, 0) : tables;
            continue;
        }
        ++depth;
        shape.nesting = std::max(shape.nesting, depth);
        shape.cost += depth;
        if (table) {
            ++tables;
            shape.tableNesting = std::max(shape.tableNesting, tables);
            shape.cost += int64_t{1} << std::min(tables, 40);
        }
        shape.cost = std::min(shape.cost, kMaxHelpLayoutCost + 1);
    }
    countWords(text.size());
    shape.oversized = !lengths.fit();
    // As if every word and element took a line of the largest font, and
    // every element the largest vertical length above and below it.
    const double line = 1.2 * std::max(16.0, lengths.font);
    shape.height =
        static_cast<double>(words + tags) * line + static_cast<double>(tags) * 2 * lengths.vertical;
    return shape;
}

bool HelpPageFits(const QByteArray& html) {
    if (html.size() > kMaxHelpPageBytes) {
        return false;
    }
    const HelpPageShape shape = MeasureHelpPage(html);
    return shape.nesting <= kMaxHelpNesting && shape.tableNesting <= kMaxHelpTableNesting &&
           shape.cost <= kMaxHelpLayoutCost && !shape.oversized &&
           shape.height <= kMaxHelpPageHeight;
}

} // namespace kelmar
