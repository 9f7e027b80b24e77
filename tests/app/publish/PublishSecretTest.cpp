// Publishing passwords in the keyring: a keyring job lives until the keyring has answered, even
// when the editor stopped waiting for it long before (a desktop prompt left open, cancelled
// late), and then goes away by itself.
#include "PublishSecret.h"

#include <QCoreApplication>
#include <QTest>

namespace {

// Keyring jobs not yet answered (they live under the application until they answer).
int JobsAwaitingAnswer()
{
    int count = 0;
    for (const QObject *child : QCoreApplication::instance()->children())
        if (child->inherits("QKeychain::Job"))
            ++count;
    return count;
}

} // namespace

class PublishSecretTest : public QObject {
    Q_OBJECT

private slots:
    void jobsOutliveTheWaitAndGoOnceAnswered()
    {
        QCOMPARE(JobsAwaitingAnswer(), 0);
        {
            // No time at all to answer: every call stops waiting before its job has run.
            TPublishSecret impatient{std::chrono::milliseconds(0)};
            impatient.Remember("ftp user@host:21", "secret");
            QCOMPARE(JobsAwaitingAnswer(), 1);
            // The session still knows the password; no keyring is asked.
            QCOMPARE(impatient.Find("ftp user@host:21"), std::optional<std::string>("secret"));
            impatient.Forget("ftp user@host:21");
            impatient.Find("ftp user@host:21");
            QCOMPARE(JobsAwaitingAnswer(), 3);
        } // the secrets are gone; their jobs are the keyring's until it answers
        QTRY_COMPARE_WITH_TIMEOUT(JobsAwaitingAnswer(), 0, 20000);
        // A caller that waits for the answer leaves no job behind either.
        TPublishSecret patient;
        patient.Forget("sftp nobody@127.0.0.1:22");
        QTRY_COMPARE_WITH_TIMEOUT(JobsAwaitingAnswer(), 0, 20000);
    }
};

QTEST_GUILESS_MAIN(PublishSecretTest)
#include "PublishSecretTest.moc"
