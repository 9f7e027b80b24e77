// The date stamp of fixed local times and the "&quot;" conversions.
#include "TextFunctions.h"

#include "zelException.h"

#include <QTest>
#include <QTimeZone>

class TextFunctionsTest : public QObject {
    Q_OBJECT

private slots:
    // The time's own offset is written, and ":" joins the time whatever the locale; the
    // clock's local times below carry the offsets of zones west and east of UTC.
    void dateStampOfFixedTimes_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("stamp");
        const auto at = [](int hours, int minutes) {
            return QTimeZone(hours * 3600 + minutes * 60);
        };
        QTest::newRow("afternoon at UTC-8") << QDateTime(QDate(2007, 2, 5), QTime(14, 3, 9), at(-8, 0))
                                            << "Mon, 5 Feb 2007 14:03:09 -0800";
        QTest::newRow("Sunday, last second of the year, UTC") << QDateTime(QDate(2006, 12, 31), QTime(23, 59, 59), at(0, 0))
                                                             << "Sun, 31 Dec 2006 23:59:59 +0000";
        QTest::newRow("first of the month, padded time, UTC+1") << QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7), at(1, 0))
                                                               << "Fri, 1 Mar 2024 09:05:07 +0100";
        QTest::newRow("midnight, UTC-5") << QDateTime(QDate(2023, 7, 15), QTime(0, 0, 0), at(-5, 0))
                                         << "Sat, 15 Jul 2023 00:00:00 -0500";
        QTest::newRow("half-hour zone east") << QDateTime(QDate(2010, 11, 30), QTime(8, 30, 0), at(5, 30))
                                             << "Tue, 30 Nov 2010 08:30:00 +0530";
        QTest::newRow("quarter-hour zone west") << QDateTime(QDate(2010, 11, 30), QTime(8, 30, 0), at(-9, -30))
                                                << "Tue, 30 Nov 2010 08:30:00 -0930";
        QTest::newRow("year without leading zeros, UTC+14") << QDateTime(QDate(999, 6, 2), QTime(1, 2, 3), at(14, 0))
                                                            << "Sun, 2 Jun 999 01:02:03 +1400";
    }
    void dateStampOfFixedTimes()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, stamp);
        QCOMPARE(QString::fromStdString(DateStamp(time)), stamp);
        // A locale whose own separator is "." changes nothing.
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
        QCOMPARE(QString::fromStdString(DateStamp(time)), stamp);
        QLocale::setDefault(previous);
    }

    void invalidTimeIsAnErrorNotAStamp()
    {
        QVERIFY_THROWS_EXCEPTION(Exception, DateStamp(QDateTime()));
    }

    void everyMonthAndWeekdayHasItsEnglishName()
    {
        const char *months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        for (int month = 1; month <= 12; ++month) {
            const std::string stamp = DateStamp(QDateTime(QDate(2001, month, 10), QTime(12, 0)));
            QVERIFY2(stamp.find(std::string(" 10 ") + months[month - 1] + " 2001 ") != std::string::npos,
                     stamp.c_str());
        }
        // 1 Jan 2001 was a Monday.
        const char *days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
        for (int day = 1; day <= 7; ++day) {
            const std::string stamp = DateStamp(QDateTime(QDate(2001, 1, day), QTime(12, 0)));
            QCOMPARE(stamp.substr(0, 5), std::string(days[day - 1]) + ", ");
        }
    }

    void decodeQuot_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("around a word") << "&quot;Word&quot; hunt" << "\"Word\" hunt";
        QTest::newRow("ampersand before the entity") << "A &&quot;B" << "A &\"B";
        QTest::newRow("text after the entity stays") << "&quot;quot;" << "\"quot;";
        QTest::newRow("upper case and other entities stay") << "&QUOT; &amp; &#34;" << "&QUOT; &amp; &#34;";
        QTest::newRow("incomplete entity") << "&quot" << "&quot";
        QTest::newRow("adjacent entities") << "&quot;&quot;" << "\"\"";
        QTest::newRow("empty") << "" << "";
    }
    void decodeQuot()
    {
        QFETCH(QString, text);
        QFETCH(QString, decoded);
        std::string bytes = text.toStdString();
        DecodeQuot(bytes);
        QCOMPARE(QString::fromStdString(bytes), decoded);
    }

    void encodeQuot_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("two quotes add ten characters") << "a \"b\" c" << "a &quot;b&quot; c";
        QTest::newRow("no quotes") << "plain & simple" << "plain & simple";
        QTest::newRow("only quotes") << "\"\"\"" << "&quot;&quot;&quot;";
        QTest::newRow("empty") << "" << "";
    }
    void encodeQuot()
    {
        QFETCH(QString, text);
        QFETCH(QString, encoded);
        std::string bytes = text.toStdString();
        EncodeQuot(bytes);
        QCOMPARE(QString::fromStdString(bytes), encoded);
    }

    void decodeUndoesEncode()
    {
        const std::string original = "Say \"hi\" & \"bye\" \xC3\xA9";
        std::string text = original;
        EncodeQuot(text);
        QCOMPARE(text, std::string("Say &quot;hi&quot; & &quot;bye&quot; \xC3\xA9"));
        DecodeQuot(text);
        QCOMPARE(text, original);

        // A text already holding the entity does not survive the round trip: both forms end
        // up as the same character.
        text = "\"a\" &quot;b&quot;";
        EncodeQuot(text);
        DecodeQuot(text);
        QCOMPARE(text, std::string("\"a\" \"b\""));
    }
};

QTEST_GUILESS_MAIN(TextFunctionsTest)
#include "TextFunctionsTest.moc"
