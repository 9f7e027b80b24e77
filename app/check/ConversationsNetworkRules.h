#pragma once
// The Conversations Network's namespace, which a podcast network wrote into its episodes: the
// length of an episode's intro, its ratings and a picture of its own. Fed by Check Feed's one
// pass through the podcast rules.
#include "ExtensionRule.h"

#include <libxml/xmlreader.h>

#include <string_view>

// An element of the namespace starts; the reader stands on it.
void StartConversationsNetwork(xmlTextReaderPtr reader, const TElementName &element, const TRuleReport &report);
// It ends with its text (trimmed).
void EndConversationsNetwork(const TElementName &element, std::string_view text, const TRuleReport &report);
