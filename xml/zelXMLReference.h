#pragma once
// Entity and character references ("&amp;", "&#38;", "&#x26;", "&name;"): the XML-compatible
// reader keeps them as written and the writer tells them from a bare "&".
#include <cstddef>
#include <string_view>

// The length of the reference the "&" at text[at] starts, or 0 when it starts none.
size_t ReferenceLength(std::string_view text, size_t at);
