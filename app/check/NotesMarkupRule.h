#pragma once
// Show notes (an item's content:encoded) are HTML that podcast apps and feed readers render
// after stripping what could run or restyle their pages; notes relying on such parts do not
// show as written. The HTML is read with libxml2's HTML parser, as a browser would read it.
#include <string>
#include <string_view>

// What the notes hold that readers strip or refuse, in words ("<script>, an event attribute
// (onerror) and a javascript: URL"); "" when nothing.
std::string UnsafeNotesMarkup(std::string_view html);
