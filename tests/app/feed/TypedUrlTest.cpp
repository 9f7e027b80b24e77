// A typed URL written as a URI: what a URI cannot hold is percent-encoded from UTF-8, what is
// encoded already and the delimiters stay, and a URL that is one comes back unchanged.
#include "TypedUrl.h"

#include <QTest>

class TypedUrlTest : public QObject {
    Q_OBJECT

private slots:
    void encodesWhatAUriCannotHold()
    {
        const std::pair<QString, QString> rows[] = {
            {"https://x.org/02 deuxi\u00e8me \u00e9pisode \u2013 na\u00efve.m4a",
             "https://x.org/02%20deuxi%C3%A8me%20%C3%A9pisode%20%E2%80%93%20na%C3%AFve.m4a"},
            {"https://x.org/a%20b.mp3?x=1&y=%E2%80%93#t=1,2;z", "https://x.org/a%20b.mp3?x=1&y=%E2%80%93#t=1,2;z"},
            {"https://x.org/100% pure %zz.mp3", "https://x.org/100%25%20pure%20%25zz.mp3"},
            {"http://x/a&nbsp;b.mp3", "http://x/a&nbsp;b.mp3"},
            {"  https://x.org/a\"b<c>{d}|\\^`.mp3\t", "https://x.org/a%22b%3Cc%3E%7Bd%7D%7C%5C%5E%60.mp3"},
            {"https://[::1]:8080/~user/ep.mp3", "https://[::1]:8080/~user/ep.mp3"},
        };
        for (const auto &[typed, written] : rows) {
            QCOMPARE(EncodedUrl(typed), written);
            QCOMPARE(EncodedUrl(written), written);
        }
    }
};

QTEST_MAIN(TypedUrlTest)
#include "TypedUrlTest.moc"
