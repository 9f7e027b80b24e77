// From nothing to a podcast, as a new user makes one: New Feed, Feed > Podcast..., episodes
// filled from small media files, Check Feed without a podcast finding, and Undo back through
// every step to the bare feed; then a show of four episodes from media files with blanks and
// accents in their names, read back by a podcast parser.
#include "PodcastTags.h"
#include "TestBytes.h"
#include "PublishSettings.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

void Press(QDialog &dialog)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
}

QByteArray ReadMedia(const QString &name)
{
    QFile file(QStringLiteral(MEDIA_FILES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An MP4 file whose movie and audio track say they last the given seconds (the "mvhd" and
// "mdhd" boxes, version 0: time scale, then duration, both 32-bit big-endian).
QByteArray WithDuration(QByteArray mp4, quint32 seconds)
{
    for (const char *box : {"mvhd", "mdhd"}) {
        const qsizetype at = mp4.indexOf(box) - 4;
        const auto word = [&](qsizetype offset) {
            return quint32(quint8(mp4[at + offset])) << 24 | quint32(quint8(mp4[at + offset + 1])) << 16 |
                   quint32(quint8(mp4[at + offset + 2])) << 8 | quint32(quint8(mp4[at + offset + 3]));
        };
        const quint32 duration = word(20) * seconds;
        for (int b = 0; b < 4; ++b)
            mp4[at + 24 + b] = char(duration >> (24 - 8 * b));
    }
    return mp4;
}

// What a widely used podcast parser (Python's feedparser) reads in the file.
const char *const ReadBack = R"(
import feedparser, json, sys
d = feedparser.parse(sys.argv[1])
print(json.dumps({
    "bozo": bool(d.bozo), "author": d.feed.get("author", ""),
    "owner": d.feed.get("publisher_detail", {}).get("name", ""), "language": d.feed.get("language", ""),
    "image": d.feed.get("image", {}).get("href", ""), "categories": [t.get("term") for t in d.feed.get("tags", [])],
    "entries": [[e.get("title", ""), e.get("itunes_title", ""), e.get("itunes_duration", ""),
                 e.get("description", "")] + [x.get(k, "") for x in e.get("enclosures", []) for k in ("href", "length", "type")]
                for e in d.entries]}))
)";

QJsonObject ReadByFeedparser(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(ReadBack), path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        return {{"failed", QString::fromUtf8(python.readAllStandardError())}};
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// A URI as RFC 3986 has it: ASCII only, no blank, and read back as written.
bool IsUri(const QString &text)
{
    const QUrl url = QUrl::fromEncoded(text.toLatin1(), QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && !text.contains(u' ') &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }) &&
           QString::fromLatin1(url.toEncoded()) == text;
}

} // namespace

class PodcastScenarioTest : public QObject {
    Q_OBJECT

private slots:
    void fromNothingToAPodcast()
    {
        TWindowFixture window;
        window.WriteCatalogue({});
        window.Start();
        window.Dialogs.SaveFiles = {window.PathOf("show.xml")};
        QTest::keyClick(window.List("ListBox1"), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        window.TypeInto(window.Edit("Edit2"), "Small tones, explained");
        window.TypeInto(window.Edit("Edit3"), "https://example.org/show");
        window.Click(window.Widget<QAbstractButton>("BitBtn1"));
        std::vector<std::string> versions{window.ReadFile("show.xml")}; // after each command

        // The show: every tag picked or typed in the dialog, none written by hand.
        const QString feedUrl = QStringLiteral("https://example.org/show.xml");
        QString coverInfo;
        window.Dialogs.PodcastScript = [&](TPodcastDialog &dialog) {
            const auto edit = [&](const char *name) { return dialog.findChild<QLineEdit *>(name); };
            const auto combo = [&](const char *name) { return dialog.findChild<QComboBox *>(name); };
            window.TypeInto(edit("AuthorEdit"), "Ada Tone");
            window.TypeInto(edit("OwnerNameEdit"), "Ada Tone");
            window.TypeInto(edit("OwnerEmailEdit"), "ada@example.org");
            combo("ExplicitCombo")->setCurrentText("false");
            combo("TypeCombo")->setCurrentText("episodic");
            window.TypeInto(edit("LanguageEdit"), "en");
            combo("CategoryCombo1")->setCurrentText("Science");
            combo("SubcategoryCombo1")->setCurrentText("Physics");
            combo("CategoryCombo2")->setCurrentText("Technology");
            QVERIFY(!combo("SubcategoryCombo2")->isEnabled()); // Apple lists none under it
            window.TypeInto(edit("ImageHrefEdit"), "https://example.org/cover.jpg");
            dialog.FillImageFromFile(QStringLiteral(MEDIA_FILES "/cover.png"));
            coverInfo = dialog.findChild<QLabel *>("ImageInfoLabel")->text();
            window.TypeInto(edit("FeedUrlEdit"), feedUrl);
            window.Click(dialog.findChild<QPushButton *>("MakeGuidButton"));
            Press(dialog);
        };
        QTest::keyClick(window.List("ListBox1"), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(coverInfo, "16 × 16 pixels, PNG: It is not 1400 to 3000 pixels a side.");
        versions.push_back(window.ReadFile("show.xml"));
        const std::string &show = versions.back();
        QCOMPARE(Occurrences(show, "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\""), size_t(1));
        QVERIFY(show.find("<podcast:guid>" + PodcastGuidOf(feedUrl.toStdString()) + "</podcast:guid>") !=
                std::string::npos);
        QVERIFY(show.find("    <itunes:category text=\"Science\">\r\n"
                          "      <itunes:category text=\"Physics\"/>\r\n"
                          "    </itunes:category>\r\n"
                          "    <itunes:category text=\"Technology\"/>\r\n") != std::string::npos);

        // Three episodes: Add numbers them, Details fills each from its media file (the newest
        // is the top row).
        window.ClickTab(1);
        const char *const files[] = {"episode3.opus", "episode2.m4a", "episode1.mp3"};
        const QString durations[] = {"00:00:01", "00:00:03", "00:00:02"};
        for (int episode = 0; episode < 3; ++episode) {
            QTest::keyClick(window.Edit("Edit5"), Qt::Key_N, Qt::ControlModifier);
            versions.push_back(window.ReadFile("show.xml"));
        }
        for (int row = 0; row < 3; ++row) {
            window.ClickRow("ListBox2", row);
            TItemDetailsText opened;
            window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                opened = dialog.Details();
                window.TypeInto(dialog.findChild<QLineEdit *>("EnclosureUrlEdit"),
                                QStringLiteral("https://example.org/") + files[row]);
                dialog.FillEnclosureFromFile(QStringLiteral(MEDIA_FILES "/") + files[row]);
                QCOMPARE(dialog.findChild<QLineEdit *>("DurationEdit")->text(), durations[row]);
                Press(dialog);
            };
            QTest::keyClick(window.Edit("Edit5"), Qt::Key_D, Qt::ControlModifier);
            QCOMPARE(opened.Episode.Episode, QString::number(3 - row));
            QVERIFY(!opened.Guid.isEmpty() && !opened.GuidIsPermaLink);
            versions.push_back(window.ReadFile("show.xml"));
        }
        const std::string &episodes = versions.back();
        for (const char *tag : {"<itunes:title>First Light</itunes:title>", "<itunes:title>Second Wind</itunes:title>",
                                "<itunes:title>Third Act</itunes:title>", "<itunes:duration>00:00:03</itunes:duration>",
                                "<itunes:episode>3</itunes:episode>", "length=\"2759\" type=\"audio/mpeg\""})
            QVERIFY2(episodes.find(tag) != std::string::npos, tag);
        QCOMPARE(Occurrences(episodes, "xmlns:itunes="), size_t(1));
        QCOMPARE(Occurrences(episodes, "isPermaLink=\"false\""), size_t(3));

        // A clone is a new episode: its own guid and the next number.
        window.ClickRow("ListBox2", 0);
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_Insert);
        versions.push_back(window.ReadFile("show.xml"));
        QSet<QString> guids;
        const QRegularExpression guid("<guid isPermaLink=\"false\">([^<]+)</guid>");
        for (const auto &match : guid.globalMatch(QString::fromStdString(versions.back())))
            guids.insert(match.captured(1));
        QCOMPARE(guids.size(), 4);
        QCOMPARE(Occurrences(versions.back(), "<itunes:episode>4</itunes:episode>"), size_t(1));

        // Check Feed finds nothing for the podcast directories to object to.
        window.ClickTab(0);
        QTest::keyClick(window.List("ListBox1"), Qt::Key_F7);
        auto *findings = window.Form->findChild<QTreeWidget *>("FindingsList");
        QVERIFY(findings && findings->isVisible());
        for (int line = 0; line < findings->topLevelItemCount(); ++line) {
            const QString text = findings->topLevelItem(line)->text(0);
            QVERIFY2(!text.contains("itunes") && !text.contains("podcast"), qPrintable(text));
        }

        // Undo goes back through every command, file by file.
        for (size_t step = versions.size() - 1; step > 0; --step) {
            QTest::keyClick(window.List("ListBox1"), Qt::Key_Z, Qt::ControlModifier);
            COMPARE_BYTES(window.ReadFile("show.xml"), versions[step - 1]);
        }
        QVERIFY(window.Dialogs.Log().filter("error").isEmpty());
    }

    // Four episodes from files named with blanks and accents, each "From File...": the URL from
    // the publish settings (or typed) written as a URI, the type players take, the duration
    // from the audio (an hour and more too), the file's title only where the item has none.
    // OK on a refused enclosure keeps the dialog and all it holds; files that cannot be read
    // change nothing of a good episode. A podcast parser reads every tag as typed.
    void showOfFourEpisodesFromMediaFiles()
    {
        TWindowFixture window;
        qputenv("XDG_CONFIG_HOME", window.PathOf("config").toUtf8());
        QVERIFY(QDir().mkpath(window.PathOf("media/sub dir")));
        QVERIFY(QDir().mkpath(window.PathOf("media/gone.mp3"))); // a folder: no file to read
        const QString mp3 = "media/01 premi\u00e8re \u2013 \u00e7a va.mp3", m4a = "media/02 deuxi\u00e8me \u00e9pisode \u2013 na\u00efve.m4a",
                      opus = "media/sub dir/03 troisi\u00e8me.opus", flac = "media/04 quatri\u00e8me.flac";
        window.WriteFile(mp3, ReadMedia("episode1.mp3").toStdString());
        window.WriteFile(m4a, WithDuration(ReadMedia("episode2.m4a"), 3725).toStdString());
        window.WriteFile(opus, ReadMedia("episode3.opus").toStdString());
        window.WriteFile(flac, ReadMedia("tone.flac").toStdString());
        window.WriteFile("media/empty.mp3", "");
        window.WriteFile("media/noise.mp3", QByteArray(4000, '\x5a').toStdString());
        TPublishSettings settings;
        settings.PublicUrl = "https://example.org/show/feed.xml";
        settings.MediaFolder = window.PathBytes("media");
        SavePublishSettings(PublishSettingsFile(), window.PathBytes("show.xml"), settings);

        window.WriteCatalogue({});
        window.Start();
        window.Dialogs.SaveFiles = {window.PathOf("show.xml")};
        QTest::keyClick(window.List("ListBox1"), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        window.TypeInto(window.Edit("Edit2"), "Talk in French");
        window.TypeInto(window.Edit("Edit3"), "https://example.org/show/");
        window.Click(window.Widget<QAbstractButton>("BitBtn1"));

        QString cmykInfo;
        window.Dialogs.PodcastScript = [&](TPodcastDialog &dialog) {
            const auto edit = [&](const char *name) { return dialog.findChild<QLineEdit *>(name); };
            window.TypeInto(edit("AuthorEdit"), "Zo\u00eb & Friends");
            window.TypeInto(edit("OwnerNameEdit"), "Zo\u00eb & Friends");
            window.TypeInto(edit("OwnerEmailEdit"), "zoe@example.org");
            dialog.findChild<QComboBox *>("ExplicitCombo")->setCurrentText("false");
            window.TypeInto(edit("LanguageEdit"), "fr");
            dialog.findChild<QComboBox *>("CategoryCombo1")->setCurrentText("Comedy");
            dialog.findChild<QComboBox *>("SubcategoryCombo1")->setCurrentText("Improv");
            window.TypeInto(edit("ImageHrefEdit"), "https://example.org/show/cover art.jpg");
            dialog.FillImageFromFile(QStringLiteral(MEDIA_FILES "/cover-cmyk.jpg"));
            cmykInfo = dialog.findChild<QLabel *>("ImageInfoLabel")->text();
            Press(dialog);
        };
        QTest::keyClick(window.List("ListBox1"), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY2(cmykInfo.contains("It is not in RGB colour"), qPrintable(cmykInfo));

        // Four episodes, the newest on top; each with notes, the first with a title of its own.
        window.ClickTab(1);
        for (int episode = 0; episode < 4; ++episode)
            QTest::keyClick(window.Edit("Edit5"), Qt::Key_N, Qt::ControlModifier);
        for (int row = 0; row < 4; ++row) {
            window.ClickRow("ListBox2", row);
            if (row == 3)
                window.TypeInto(window.Edit("Edit5"), "Pilot");
            QPlainTextEdit *memo = window.Widget<QPlainTextEdit>("Memo1");
            memo->setFocus();
            memo->selectAll();
            TWindowFixture::TypeText(memo, QStringLiteral("Notes of episode %1.").arg(4 - row));
            QTest::keyClick(window.Edit("Edit5"), Qt::Key_S, Qt::ControlModifier);
        }

        const QString site = "https://example.org/show/";
        const QString typedUrl = "https://cdn.example.net/02 deuxi\u00e8me \u00e9pisode \u2013 na\u00efve.m4a";
        struct TEpisode {
            QString File, TypedUrl, Url, Type, Duration;
        };
        const TEpisode episodes[] = { // by row
            {flac, "", site + "04%20quatri%C3%A8me.flac", "audio/flac", "00:00:02"},
            {opus, "", site + "sub%20dir/03%20troisi%C3%A8me.opus", "audio/ogg", "00:00:01"},
            {m4a, typedUrl, "https://cdn.example.net/02%20deuxi%C3%A8me%20%C3%A9pisode%20%E2%80%93%20na%C3%AFve.m4a",
             "audio/mp4", "01:02:05"},
            {mp3, "", site + "01%20premi%C3%A8re%20%E2%80%93%20%C3%A7a%20va.mp3", "audio/mpeg", "00:00:02"},
        };
        for (int row = 0; row < 4; ++row) {
            const TEpisode &episode = episodes[row];
            window.ClickRow("ListBox2", row);
            QStringList filled, kept;
            bool refusedAndOpen = false;
            window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
                const auto edit = [&](const char *name) { return dialog.findChild<QLineEdit *>(name); };
                window.TypeInto(edit("EnclosureUrlEdit"), episode.TypedUrl);
                dialog.FillEnclosureFromFile(window.PathOf(episode.File));
                filled = {edit("EnclosureUrlEdit")->text(), edit("EnclosureTypeEdit")->text(), edit("DurationEdit")->text()};
                if (row == 1) { // OK without a type: refused, and nothing filled is lost
                    const QStringList before = {edit("EnclosureLengthEdit")->text(), edit("DurationEdit")->text(),
                                                edit("ItunesTitleEdit")->text(), edit("EnclosureUrlEdit")->text()};
                    window.TypeInto(edit("EnclosureTypeEdit"), "");
                    QTest::keyClick(edit("EnclosureTypeEdit"), Qt::Key_Delete);
                    Press(dialog);
                    refusedAndOpen = dialog.isVisible();
                    kept = {edit("EnclosureLengthEdit")->text(), edit("DurationEdit")->text(),
                            edit("ItunesTitleEdit")->text(), edit("EnclosureUrlEdit")->text()};
                    QCOMPARE(kept, before);
                    window.TypeInto(edit("EnclosureTypeEdit"), "audio/ogg");
                }
                Press(dialog);
            };
            QTest::keyClick(window.Edit("Edit5"), Qt::Key_D, Qt::ControlModifier);
            QCOMPARE(filled, QStringList({episode.TypedUrl.isEmpty() ? episode.Url : episode.TypedUrl, episode.Type,
                                          episode.Duration}));
            if (row == 1) {
                QVERIFY(refusedAndOpen);
                QCOMPARE(window.Dialogs.Log().filter("error"),
                         QStringList({"error: An enclosure needs its URL, its length in bytes and its MIME type."}));
                window.Dialogs.Shown.clear();
            }
        }
        QVERIFY2(window.Dialogs.Log().filter("error").isEmpty(), qPrintable(window.Dialogs.Log().join('\n')));

        // Files that cannot be read change nothing of a good episode.
        const std::string good = window.ReadFile("show.xml");
        window.ClickRow("ListBox2", 0);
        QStringList infos;
        window.Dialogs.DetailsScript = [&](TItemDetailsDialog &dialog) {
            const auto boxes = [&] {
                const TItemDetailsText details = dialog.Details();
                return QStringList({details.EnclosureUrl, details.EnclosureLength, details.EnclosureType,
                                    details.Episode.Duration, details.Episode.Title});
            };
            const QStringList before = boxes();
            for (const char *bad : {"media/empty.mp3", "media/noise.mp3", "media/gone.mp3", "media/none.mp3"}) {
                dialog.FillEnclosureFromFile(window.PathOf(bad));
                QCOMPARE(boxes(), before);
                infos << dialog.findChild<QLabel *>("MediaInfoLabel")->text();
            }
            Press(dialog);
        };
        QTest::keyClick(window.Edit("Edit5"), Qt::Key_D, Qt::ControlModifier);
        COMPARE_BYTES(window.ReadFile("show.xml"), good);
        QCOMPARE(infos.filter("cannot be read").size() + infos.filter("is empty").size(), 4);

        // Check Feed has nothing to say of the podcast, its episodes or their URLs.
        window.ClickTab(0);
        QTest::keyClick(window.List("ListBox1"), Qt::Key_F7);
        auto *findings = window.Form->findChild<QTreeWidget *>("FindingsList");
        QVERIFY(findings && findings->isVisible());
        for (QTreeWidgetItemIterator line(findings); *line; ++line) {
            const QString text = (*line)->text(0);
            for (const char *subject : {"itunes", "podcast", "enclosure", "URL", "url"})
                QVERIFY2(!text.contains(subject), qPrintable(text));
        }

        const QJsonObject read = ReadByFeedparser(window.PathOf("show.xml"));
        QVERIFY2(!read.contains("failed"), qPrintable(read["failed"].toString())); // python3-feedparser (deps.sh)
        QCOMPARE(read["bozo"].toBool(true), false);
        QCOMPARE(QStringList({read["author"].toString(), read["owner"].toString(), read["language"].toString(),
                              read["image"].toString()}),
                 QStringList({"Zo\u00eb & Friends", "Zo\u00eb & Friends", "fr", site + "cover%20art.jpg"}));
        QCOMPARE(read["categories"].toVariant().toStringList(), QStringList({"Comedy", "Improv"}));
        const QJsonArray entries = read["entries"].toArray();
        QCOMPARE(entries.size(), 4);
        const QString titles[] = {"Lossless", "Third Act", "Second Wind", ""}; // the pilot keeps its own
        const QString lengths[] = {"8938", "991", "4279", "2759"};
        for (int row = 0; row < 4; ++row) {
            const QStringList entry = entries[row].toVariant().toStringList();
            QCOMPARE(entry, QStringList({row == 3 ? "Pilot" : "(untitled)", titles[row], episodes[row].Duration,
                                         QStringLiteral("Notes of episode %1.").arg(4 - row), episodes[row].Url,
                                         lengths[row], episodes[row].Type}));
            QVERIFY2(IsUri(entry[4]), qPrintable(entry[4]));
        }
        QVERIFY(IsUri(read["image"].toString()));
    }
};

QTEST_MAIN(PodcastScenarioTest)
#include "PodcastScenarioTest.moc"
