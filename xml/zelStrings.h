#pragma once
// The engine's text primitives. Strings are 8-bit byte strings; positions are 1-based;
// every comparison is exact byte equality.
#include <string>
#include <string_view>

class TStream;

// Text without bytes 0..32 at either end, as the reader trims element text; bytes of 128 and
// above stay.
inline std::string_view TrimmedText(std::string_view text)
{
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
        --last;
    return text.substr(first, last - first);
}

// Position of the first occurrence of pattern in text at or after start (1-based),
// 0 when there is none or either string is empty. A start below 1 counts as 1.
int FindFrom(std::string_view pattern, std::string_view text, int start);

// Every non-overlapping occurrence of find, left to right, replaced by replacement.
std::string ReplaceEvery(std::string_view source, std::string_view find, std::string_view replacement);

// Replaces the file's content with text. The text goes to a temporary file in the same
// folder, is flushed to disk and then renamed over the target, so a failure never leaves
// a truncated file. A symlink is written through; the target's owner, permissions, extended
// attributes and access-control list are kept. Temporaries that earlier saves of the file
// left behind when their process was killed are removed.
// Raises EFCreateError ("Cannot create file ...") or EWriteError ("Cannot write file ...",
// with the system's reason, such as a full disk).
void SaveStringToFile(const std::string &fileName, std::string_view text);

// The file's whole content. Raises EFOpenError ("Cannot open file ...") or
// EReadError ("Stream read error").
std::string LoadStringFromFile(const std::string &fileName);

// Writes text at the stream's position; raises EWriteError on a short write.
void SaveStringToStream(std::string_view text, TStream &destination);

// The stream's whole content, read from its beginning; raises EReadError on a short read.
std::string LoadStringFromStream(TStream &source);
