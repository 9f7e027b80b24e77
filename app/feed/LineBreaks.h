#pragma once
// Line breaks of a typed description: the memo separates lines with LF, the feed file keeps
// its own form.
#include <string>
#include <string_view>

// The line break a text uses: CR LF when it holds one, otherwise LF when it holds one,
// otherwise fallback (CR LF is the writer's own form).
std::string LineBreakOf(std::string_view text, std::string_view fallback = "\r\n");

// The text with every line break (CR LF, CR or LF) written as lineBreak.
std::string WithLineBreaks(std::string_view text, std::string_view lineBreak);
