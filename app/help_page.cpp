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

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

} // namespace

HelpPageShape MeasureHelpPage(const QByteArray& html) {
    const std::string_view text(html.constData(), static_cast<std::size_t>(html.size()));
    HelpPageShape shape;
    int depth = 0;
    int tables = 0;
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        if (text.substr(at, 4) == "<!--") {
            const auto end = text.find("-->", at + 4);
            at = end == std::string_view::npos ? text.size() : end + 3;
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
            ++at; // a lone '<' in the text
            continue;
        }
        const auto tagEnd = text.find('>', nameEnd);
        at = tagEnd == std::string_view::npos ? text.size() : tagEnd + 1;
        const std::string element = lowered(text.substr(name, nameEnd - name));
        const bool selfClosing = tagEnd != std::string_view::npos && text[tagEnd - 1] == '/';
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
    return shape;
}

bool HelpPageFits(const QByteArray& html) {
    if (html.size() > kMaxHelpPageBytes) {
        return false;
    }
    const HelpPageShape shape = MeasureHelpPage(html);
    return shape.nesting <= kMaxHelpNesting && shape.tableNesting <= kMaxHelpTableNesting &&
           shape.cost <= kMaxHelpLayoutCost;
}

} // namespace kelmar
