// Lower-casing in the feed's encoding, as the automatic link uses it.
#include "Platform.h"

#include <QTest>

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void lowerCaseInLatin1()
    {
        QCOMPARE(AnsiLowerCase("Big R\xC9" "D \xC0 \xDE", TTextEncoding::Latin1),
                 std::string("big r\xE9" "d \xE0 \xFE"));
        // The multiplication sign and letters without a Latin-1 lower case stay.
        QCOMPARE(AnsiLowerCase("\xD7\xDF\xFF", TTextEncoding::Latin1), std::string("\xD7\xDF\xFF"));
    }

    void lowerCaseInUtf8()
    {
        QCOMPARE(AnsiLowerCase("\xC3\x89t\xC3\xA9 \xC3\x96L \xD0\x96 \xE1\xBA\x9E", TTextEncoding::Utf8),
                 std::string("\xC3\xA9t\xC3\xA9 \xC3\xB6l \xD0\xB6 \xC3\x9F"));
        // Bytes that are not characters are kept as they are.
        QCOMPARE(AnsiLowerCase("A\xC9Z\xC3", TTextEncoding::Utf8), std::string("a\xC9z\xC3"));
        QCOMPARE(AnsiLowerCase("", TTextEncoding::Utf8), std::string());
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "PlatformTest.moc"
