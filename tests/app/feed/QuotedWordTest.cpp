// The quoted word taken from a title, written back into it, and the link built from it.
#include "QuotedWord.h"

#include <QTest>

class QuotedWordTest : public QObject {
    Q_OBJECT

private slots:
    void wordShownForTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("word");
        QTest::newRow("quoted name and full stop") << "Play \"Word Hunt\". Free" << "Word Hunt";
        QTest::newRow("quoted, no full stop") << "Play \"Word Hunt\" Free" << "";
        QTest::newRow("no double quote") << "Plain title." << "";
        QTest::newRow("lone quote followed by full stop") << "Say \". then" << "";
        QTest::newRow("adjacent quotes then full stop") << "Empty \"\". here" << "";
        QTest::newRow("four quotes, full stop after the fourth")
            << "The \"Big\" and \"Small\". End" << "Big\" and \"Small";
        QTest::newRow("full stop before the first quote") << "A\". \"B\"." << "";
        QTest::newRow("empty title") << "" << "";
    }
    void wordShownForTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, word);
        QCOMPARE(QuotedWordOf(title), word);
    }

    void wordWrittenIntoTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("expected"); // "<none>": the title stays as it is
        QTest::newRow("same word gives same title") << "Get \"Word Hunt\"." << "Word Hunt" << "Get \"Word Hunt\".";
        QTest::newRow("new word between first two quotes") << "Get \"Word Hunt\". Now" << "Ball" << "Get \"Ball\". Now";
        QTest::newRow("exactly one quote: inserted, nothing removed") << "One \"quote" << "X" << "One \"Xquote";
        QTest::newRow("adjacent quotes") << "A \"\" b" << "W" << "A \"W\" b";
        QTest::newRow("four quotes: only the first span") << "\"a\" and \"b\"." << "Z" << "\"Z\" and \"b\".";
        QTest::newRow("no quote") << "No quotes here" << "W" << "<none>";
        QTest::newRow("empty word empties the span") << "x \"y\" z" << "" << "x \"\" z";
    }
    void wordWrittenIntoTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, word);
        QFETCH(QString, expected);
        const std::optional<QString> result = TitleWithQuotedWord(title, word);
        if (expected == "<none>")
            QVERIFY(!result.has_value());
        else
            QCOMPARE(result.value_or("<none>"), expected);
    }

    // Showing an item runs the assist only when it cannot alter the title.
    void assistRunsOnShowOnlyWhenWordFits_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("fits");
        QTest::newRow("quoted name and full stop") << "Get \"Word Hunt\"." << true;
        QTest::newRow("two quotes, no full stop") << "Get \"Word Hunt\" now" << false;
        QTest::newRow("four quotes, full stop after the fourth") << "The \"Big\" and \"Small\". End" << false;
        QTest::newRow("four quotes, full stop after the second") << "The \"Big\". and \"Small\"" << true;
        QTest::newRow("lone quote") << "Only \" one" << false;
        QTest::newRow("no quote") << "None" << false;
    }
    void assistRunsOnShowOnlyWhenWordFits()
    {
        QFETCH(QString, title);
        QFETCH(bool, fits);
        QCOMPARE(QuotedWordFitsTitle(title), fits);
        if (fits)
            QCOMPARE(TitleWithQuotedWord(title, QuotedWordOf(title)).value(), title);
    }

    void linkRebuiltFromFolderAndWord_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file name replaced") << "http://example.com/games/old.html" << "http://example.com/games/word_hunt.html";
        QTest::newRow("ends in a slash") << "http://example.com/games/" << "http://example.com/games/word_hunt.html";
        QTest::newRow("only slash is the first character") << "/old" << "/word_hunt.html";
        QTest::newRow("no slash: unchanged") << "old.html" << "<none>";
        QTest::newRow("empty link: unchanged") << "" << "<none>";
    }
    void linkRebuiltFromFolderAndWord()
    {
        QFETCH(QString, link);
        QFETCH(QString, expected);
        const std::optional<QString> result = AutoLinkFor(link, "word_hunt");
        if (expected == "<none>")
            QVERIFY(!result.has_value());
        else
            QCOMPARE(result.value_or("<none>"), expected);
    }

    void linkWordLoweredInFeedEncoding()
    {
        const TFeedTextCodec latin1(TTextEncoding::Latin1), utf8(TTextEncoding::Utf8);
        QCOMPARE(LinkWordFor("Big Red Ball", latin1), QString("big_red_ball"));
        QCOMPARE(LinkWordFor("  Two  Spaces ", utf8), QString("__two__spaces_"));
        // National upper-case letters are lowered too, in either encoding.
        QCOMPARE(LinkWordFor(QString::fromUtf8("ÄPFEL Über ÉTÉ"), latin1), QString::fromUtf8("äpfel_über_été"));
        QCOMPARE(LinkWordFor(QString::fromUtf8("ÄPFEL Über ÉTÉ"), utf8), QString::fromUtf8("äpfel_über_été"));
        // A character Latin-1 cannot hold still gives a lower-cased word.
        QCOMPARE(LinkWordFor(QString::fromUtf8("ŁÓDŹ"), latin1), QString::fromUtf8("łódź"));
    }
};

QTEST_MAIN(QuotedWordTest)
#include "QuotedWordTest.moc"
