#include "MediaFacts.h"

#include "CoverArt.h"

#include "zelException.h"

#include <QFile>

#include <algorithm>

#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace {

QByteArray Bytes(const TagLib::ByteVector &data) { return QByteArray(data.data(), qsizetype(data.size())); }

// The front cover among an ID3v2 tag's pictures, else its first picture.
QByteArray Id3v2Cover(TagLib::ID3v2::Tag *tag)
{
    if (!tag)
        return {};
    QByteArray first;
    for (TagLib::ID3v2::Frame *frame : tag->frameListMap()["APIC"]) {
        const auto *picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(frame);
        if (!picture)
            continue;
        if (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)
            return Bytes(picture->picture());
        if (first.isEmpty())
            first = Bytes(picture->picture());
    }
    return first;
}

QByteArray FlacCover(const TagLib::List<TagLib::FLAC::Picture *> &pictures)
{
    for (const TagLib::FLAC::Picture *picture : pictures)
        if (picture->type() == TagLib::FLAC::Picture::FrontCover)
            return Bytes(picture->data());
    return pictures.isEmpty() ? QByteArray() : Bytes(pictures.front()->data());
}

// The embedded picture's bytes, by the container's own way of holding it.
QByteArray CoverBytes(TagLib::FileRef &file)
{
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file.file()))
        return Id3v2Cover(mpeg->ID3v2Tag());
    if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(file.file()))
        return Id3v2Cover(wav->ID3v2Tag());
    if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file.file())) {
        if (!mp4->tag() || !mp4->tag()->contains("covr"))
            return {};
        const TagLib::MP4::CoverArtList covers = mp4->tag()->item("covr").toCoverArtList();
        return covers.isEmpty() ? QByteArray() : Bytes(covers.front().data());
    }
    if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file.file()))
        return FlacCover(flac->pictureList());
    if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(file.tag()))
        return FlacCover(xiph->pictureList());
    return {};
}

} // namespace

TMediaFacts ReadMediaFacts(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    TagLib::FileRef file(path.constData());
    // A file of no audio frames (TagLib takes any bytes named .mp3 for an empty MP3) has none.
    if (file.isNull() || !file.audioProperties() || file.audioProperties()->lengthInMilliseconds() <= 0)
        throw Exception("The media file \"" + fileName.toStdString() +
                        "\" cannot be read as audio.");
    TMediaFacts facts;
    // Rounded to the nearest second (2.6 s is 3), but never 0: a short sound still lasts.
    facts.DurationSeconds = std::max((file.audioProperties()->lengthInMilliseconds() + 500) / 1000, 1);
    if (file.tag())
        facts.Title = QString::fromStdString(file.tag()->title().to8Bit(true)).trimmed();
    const QByteArray cover = CoverBytes(file);
    if (!cover.isEmpty())
        facts.Cover = DecodeCoverPicture(cover, facts.CoverFormat);
    return facts;
}
