#include "files/IniText.h"

#include <vector>

namespace stellmark::ini {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kLineEnd = "\r\n";

std::string_view Trim(std::string_view s)
{
    auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// Letter case is folded for ASCII only: bytes of other encodings compare as they are.
bool SameName(std::string_view a, std::string_view b)
{
    a = Trim(a), b = Trim(b);
    if (a.size() != b.size())
        return false;
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

struct Line {
    enum Kind { Other, Section, Key };
    std::size_t begin = 0;  // first byte
    std::size_t end = 0;    // end of the content, before the line break
    std::size_t next = 0;   // first byte of the next line
    Kind kind = Other;
    bool blank = false;
    std::string_view name;
    std::size_t value = 0;  // a key's value part: after "=" and the blanks that follow it

    bool Broken() const { return next > end; }  // ends in a line break
};

Line Classify(std::string_view text, std::size_t begin, std::size_t end, std::size_t next)
{
    Line line;
    line.begin = begin, line.end = end, line.next = next;
    const std::string_view content = text.substr(begin, end - begin);
    const std::string_view trimmed = Trim(content);
    line.blank = trimmed.empty();
    if (trimmed.empty() || trimmed.front() == ';')
        return line;
    if (trimmed.front() == '[') {
        if (auto close = trimmed.rfind(']'); close != std::string_view::npos) {
            line.kind = Line::Section;
            line.name = Trim(trimmed.substr(1, close - 1));
            return line;
        }
    }
    if (auto eq = content.find('='); eq != std::string_view::npos) {
        line.kind = Line::Key;
        line.name = Trim(content.substr(0, eq));
        auto value = content.find_first_not_of(kBlanks, eq + 1);
        line.value = begin + (value == std::string_view::npos ? content.size() : value);
    }
    return line;
}

std::vector<Line> Lines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t at = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    while (at < text.size()) {
        const auto lf = text.find('\n', at);
        const std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        if (lf != std::string_view::npos && end > at && text[end - 1] == '\r')
            --end;
        lines.push_back(Classify(text, at, end, next));
        at = next;
    }
    return lines;
}

// Where a key lives: the first section of the name, the line after its last one, and the first
// key of the name in it.
struct Place {
    std::optional<std::size_t> header;
    std::size_t end = 0;
    std::optional<std::size_t> key;
};

Place Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    Place place;
    for (std::size_t i = 0; i < lines.size() && !place.header; ++i)
        if (lines[i].kind == Line::Section && SameName(lines[i].name, section))
            place.header = i;
    if (!place.header)
        return place;
    place.end = *place.header + 1;
    while (place.end < lines.size() && lines[place.end].kind != Line::Section)
        ++place.end;
    for (std::size_t i = *place.header + 1; i < place.end && !place.key && !key.empty(); ++i)
        if (lines[i].kind == Line::Key && SameName(lines[i].name, key))
            place.key = i;
    return place;
}

// The line of the first key of the name in the first section of the name.
std::optional<Line> KeyLine(std::string_view text, std::string_view section, std::string_view key)
{
    const auto lines = Lines(text);
    const Place place = Locate(lines, section, key);
    return place.key ? std::optional(lines[*place.key]) : std::nullopt;
}

bool Quoted(std::string_view value)
{
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.back() == value.front();
}

}  // namespace

std::optional<std::string> Find(std::string_view text, std::string_view section, std::string_view key)
{
    const auto line = KeyLine(text, section, key);
    if (!line)
        return std::nullopt;
    std::string_view value = text.substr(line->value, line->end - line->value);
    value = Trim(value.substr(0, value.find('\0')));
    // One pair of quotes around a value is dropped, as hand-edited files use them.
    if (Quoted(value))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string Set(std::string_view text, std::string_view section, std::string_view key, std::string_view value)
{
    // Reading trims blanks at the ends and drops a pair of quotes: such a value goes into
    // quotes of its own, so that it reads back as given (a folder name may end in a blank).
    const bool blankEnd = !value.empty() && (kBlanks.find(value.front()) != std::string_view::npos ||
                                             kBlanks.find(value.back()) != std::string_view::npos);
    const std::string stored =
        blankEnd || Quoted(value) ? '"' + std::string(value) + '"' : std::string(value);

    const auto lines = Lines(text);
    const Place place = Locate(lines, section, key);
    std::string out(text);
    if (place.key) {
        const Line& line = lines[*place.key];
        return out.replace(line.value, line.end - line.value, stored);
    }

    const std::string keyLine = std::string(Trim(key)) + "=" + stored + std::string(kLineEnd);
    if (place.header) {
        std::size_t last = *place.header;
        for (std::size_t i = last + 1; i < place.end; ++i)
            if (!lines[i].blank)
                last = i;
        const Line& after = lines[last];
        return out.insert(after.next, (after.Broken() ? "" : std::string(kLineEnd)) + keyLine);
    }

    // A new section goes to the end, one blank line after the text before it.
    if (!lines.empty()) {
        if (!lines.back().Broken())
            out += kLineEnd;
        if (!lines.back().blank)
            out += kLineEnd;
    }
    return out + "[" + std::string(Trim(section)) + "]" + std::string(kLineEnd) + keyLine;
}

std::optional<std::string> DeleteKey(std::string_view text, std::string_view section, std::string_view key)
{
    const auto line = KeyLine(text, section, key);
    if (!line)
        return std::nullopt;
    return std::string(text).erase(line->begin, line->next - line->begin);
}

std::optional<std::string> DeleteSection(std::string_view text, std::string_view section)
{
    const auto lines = Lines(text);
    const Place place = Locate(lines, section, {});
    if (!place.header)
        return std::nullopt;
    const std::size_t begin = lines[*place.header].begin, end = lines[place.end - 1].next;
    return std::string(text).erase(begin, end - begin);
}

}  // namespace stellmark::ini
