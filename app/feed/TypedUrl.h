#pragma once
// A URL as the user typed it, written as a URI: a blank, a non-ASCII letter or any other
// character a URI cannot hold is percent-encoded from its UTF-8 bytes
// ("02 deuxième.m4a" → "02%20deuxi%C3%A8me.m4a"); a "%XX" already there and the delimiters
// (":/?#[]@!$&'()*+,;=") stay as they are, so a URL that is one already comes back unchanged.
#include <QString>

QString EncodedUrl(const QString &typed);
