// From nothing to a podcast, as a new user makes one: New Feed, Feed > Podcast..., three
// episodes filled from small media files, Check Feed without a podcast finding, and Undo back
// through every step to the bare feed.
#include "PodcastTags.h"
#include "WindowFixture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QRegularExpression>
#include <QSet>
#include <QTreeWidget>

#define COMPARE_BYTES(actual, expected) \
    QCOMPARE(QByteArray::fromStdString(actual), QByteArray::fromStdString(expected))

namespace {

size_t Occurrences(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

void Press(QDialog &dialog)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>("Buttons")->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
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
};

QTEST_MAIN(PodcastScenarioTest)
#include "PodcastScenarioTest.moc"
