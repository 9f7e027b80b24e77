// The conversion between a feed's bytes and widget text: choice of encoding, lossless round
// trips, untouched invalid bytes, refused characters.
#include "FeedTextCodec.h"

#include "zelException.h"

#include <QTest>

namespace {

std::string RefusalOf(const TFeedTextCodec &codec, const QString &text)
{
    try {
        codec.ToBytes(text);
    } catch (const Exception &error) {
        return error.what();
    }
    return "(accepted)";
}

} // namespace

class FeedTextCodecTest : public QObject {
    Q_OBJECT

private slots:
    void encodingComesFromTheDeclarationOrTheBytes()
    {
        const std::string utf8Feed = "<rss><channel><title>Caf\xC3\xA9</title></channel></rss>";
        const std::string latinFeed = "<rss><channel><title>Caf\xE9</title></channel></rss>";
        QCOMPARE(EncodingFor("UTF-8", latinFeed), TTextEncoding::Utf8);
        QCOMPARE(EncodingFor("utf-8", ""), TTextEncoding::Utf8);
        QCOMPARE(EncodingFor("UTF8", ""), TTextEncoding::Utf8);
        QCOMPARE(EncodingFor("ISO-8859-1", utf8Feed), TTextEncoding::Latin1);
        QCOMPARE(EncodingFor("windows-1252", utf8Feed), TTextEncoding::Latin1);
        QCOMPARE(EncodingFor("", utf8Feed), TTextEncoding::Utf8);
        QCOMPARE(EncodingFor("", latinFeed), TTextEncoding::Latin1);
        QCOMPARE(EncodingFor("", "<rss/>"), TTextEncoding::Utf8);
    }

    void utf8Validity()
    {
        QVERIFY(IsValidUtf8(""));
        QVERIFY(IsValidUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
        QVERIFY(!IsValidUtf8("\xC3"));             // cut short
        QVERIFY(!IsValidUtf8("\xC0\xAF"));         // overlong "/"
        QVERIFY(!IsValidUtf8("\xED\xA0\x80"));     // surrogate
        QVERIFY(!IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
        QVERIFY(!IsValidUtf8("\x80"));             // stray continuation
        QVERIFY(!IsValidUtf8("\xE9t\xE9"));        // Latin-1
    }

    void latin1RoundTripsEveryByte()
    {
        // Every byte XML can hold: tab, the line breaks and 0x20 on.
        std::string bytes = "\t\n\r";
        for (int b = 0x20; b < 256; ++b)
            bytes += static_cast<char>(b);
        const TFeedTextCodec codec(TTextEncoding::Latin1);
        const QString text = codec.ToText(bytes);
        QCOMPARE(text.size(), 227);
        QCOMPARE(text[0xE9 - 0x20 + 3], QChar(0xE9)); // é shows as é
        QCOMPARE(codec.ToBytes(text), bytes);
    }

    void utf8RoundTripsAndShowsAccents()
    {
        const std::string bytes = "Caf\xC3\xA9 \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
        const TFeedTextCodec codec(TTextEncoding::Utf8);
        const QString text = codec.ToText(bytes);
        QCOMPARE(text, QString::fromUtf8("Café – 日本 😀"));
        QCOMPARE(codec.ToBytes(text), bytes);
    }

    void untouchedFieldKeepsItsInvalidBytes()
    {
        const std::string original = "Caf\xE9 \xFF bar"; // Latin-1 bytes in a UTF-8 feed
        const TFeedTextCodec codec(TTextEncoding::Utf8);
        const QString shown = codec.ToText(original);
        QCOMPARE(shown, QString::fromUtf8("Caf\uFFFD \uFFFD bar"));
        QCOMPARE(codec.ToBytes(shown, original), original);
        // Once edited, the text is written as the UTF-8 of what the user sees.
        QCOMPARE(codec.ToBytes(shown + "!", original), std::string("Caf\xEF\xBF\xBD \xEF\xBF\xBD bar!"));
        // A valid field is converted the same way with or without its original.
        QCOMPARE(codec.ToBytes(QStringLiteral("new"), original), std::string("new"));
    }

    void characterOutsideTheEncodingIsRefusedByName()
    {
        const TFeedTextCodec latin(TTextEncoding::Latin1);
        QCOMPARE(RefusalOf(latin, QString::fromUtf8("Price 5€")),
                 std::string("The character \"\xE2\x82\xAC\" (U+20AC) cannot be written in this feed's "
                             "encoding (ISO-8859-1)."));
        QCOMPARE(RefusalOf(latin, QString::fromUtf8("ok 😀")),
                 std::string("The character \"\xF0\x9F\x98\x80\" (U+1F600) cannot be written in this "
                             "feed's encoding (ISO-8859-1)."));
        // The refusal holds when an original is given too.
        QVERIFY_THROWS_EXCEPTION(Exception, latin.ToBytes(QString::fromUtf8("€"), "x"));

        const TFeedTextCodec utf8(TTextEncoding::Utf8);
        QString lone = QStringLiteral("a");
        lone += QChar(0xD800);
        QCOMPARE(RefusalOf(utf8, lone),
                 std::string("The character \"\xEF\xBF\xBD\" (U+D800) cannot be written in this feed's "
                             "encoding (UTF-8)."));
        QCOMPARE(RefusalOf(utf8, QString::fromUtf8("5€")), std::string("(accepted)"));
        // Characters XML cannot hold in any encoding (pasted, say); tab and line breaks pass.
        for (const TFeedTextCodec &codec : {latin, utf8}) {
            QCOMPARE(RefusalOf(codec, QStringLiteral("a") + QChar(0x01) + "b"),
                     std::string("The character U+0001 cannot be written in an XML file."));
            QCOMPARE(RefusalOf(codec, QString(QChar(0xFFFE))), std::string(codec.Encoding() == TTextEncoding::Latin1
                ? "The character \"\xEF\xBF\xBE\" (U+FFFE) cannot be written in this feed's encoding (ISO-8859-1)."
                : "The character U+FFFE cannot be written in an XML file."));
            QCOMPARE(RefusalOf(codec, QStringLiteral("a\tb\r\nc")), std::string("(accepted)"));
        }
    }
};

QTEST_GUILESS_MAIN(FeedTextCodecTest)
#include "FeedTextCodecTest.moc"
