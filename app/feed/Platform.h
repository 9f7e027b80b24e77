#pragma once
// Platform parts that have no toolkit counterpart, kept in one place.
#include "FeedTextCodec.h"
#include <QString>
#include <string>
#include <string_view>

// The start-up compatibility flag of the desktop this program came from; does nothing here.
void WriteRegistryFlag();

// Lower-cases text in the feed's encoding, national characters included (Latin-1 "É" -> "é",
// the same in UTF-8). Bytes that are not valid characters are kept as they are.
std::string AnsiLowerCase(std::string_view bytes, TTextEncoding encoding);

// Opens the address in the desktop's browser; the outcome is ignored.
void OpenWebPage(const QString &address);
