#pragma once
// The text of an INI file as the platform's profile functions see it, and the edits of their
// write function. An edit touches the one line concerned (or the one section deleted) and keeps
// every other byte: comments, blank lines, spacing, duplicates, other encodings, zero bytes.
//
// Lines end at "\n"; a "\r" before it belongs to the line end. A UTF-8 byte order mark in front
// of the first line is kept and not part of it. After optional blanks, a line is a section
// header when it starts with "[" and holds a "]" (the name lies between "[" and the last "]"),
// a comment when it starts with ";", a key when it holds "=" (the name before the first "=", the
// value after it), and anything else otherwise. Names match without blanks at their ends and
// without regard to letter case; the first of duplicate sections, and the first of duplicate
// keys within it, is the one read, changed and deleted.
#include <optional>
#include <string>
#include <string_view>

namespace stellmark::ini {

// The value of `key` in `section`: without blanks at its ends and without one pair of enclosing
// quotes, and, as a text of the platform, only up to a zero byte. Nothing when there is no such
// key (or no such section).
std::optional<std::string> Find(std::string_view text, std::string_view section, std::string_view key);

// The text with `key` of `section` set so that Find gives `value` back: the value part of the
// key's line replaced; else a line added after the last non-blank line of the section; else
// the section added at the end of the text. Added lines end in CR LF. `value` must not be empty
// nor hold a line break or a zero byte; `section` and `key` must be fit for a line of their own.
std::string Set(std::string_view text, std::string_view section, std::string_view key,
                std::string_view value);

// The text without the line of `key` in `section`; nothing when there is none.
std::optional<std::string> DeleteKey(std::string_view text, std::string_view section, std::string_view key);

// The text without `section`: its header and every line up to the next header. Nothing when
// there is no such section.
std::optional<std::string> DeleteSection(std::string_view text, std::string_view section);

}  // namespace stellmark::ini
