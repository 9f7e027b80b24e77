#pragma once
// What an episode's media file says of itself: its duration, read from the audio (not guessed
// from the size), and the title and cover picture its tags hold. MP3 (ID3v2), M4A/AAC, Ogg
// (Vorbis, Opus, FLAC), FLAC and WAV are read; other formats TagLib knows give what they have.
#include <QByteArray>
#include <QImage>
#include <QString>

struct TMediaFacts {
    long long DurationSeconds = -1; // rounded to the nearest second, at least 1; -1 when unknown
    QString Title;                  // "" when the tags hold none
    QImage Cover;                   // null when the file embeds none
    QByteArray CoverFormat;         // "jpeg", "png", ... as the picture's bytes say
};

// Raises Exception naming the file when it cannot be read as audio.
TMediaFacts ReadMediaFacts(const QString &fileName);
