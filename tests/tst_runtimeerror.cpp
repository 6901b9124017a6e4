// A run-time error shows its number and text to the user and ends the
// program with a non-zero status, whatever operation raised it.

#include "ui/runtime.h"

#include <QProcess>
#include <QTest>

class TestRuntimeError : public QObject
{
    Q_OBJECT
private slots:
    void errorIsShownAndEndsTheProgram_data();
    void errorIsShownAndEndsTheProgram();
    void faultlessRunEndsNormally();
};

void TestRuntimeError::errorIsShownAndEndsTheProgram_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing control array element")
        << "control"
        << "Run-time error '340':\n\nControl array element '8' doesn't exist";
    QTest::newRow("list index past the end") << "listindex"
                                             << "Run-time error '380':\n\nInvalid property value";
    QTest::newRow("list item before the start")
        << "list"
        << "Run-time error '381':\n\nInvalid property array index";
    QTest::newRow("integer overflow") << "overflow"
                                      << "Run-time error '6':\n\nOverflow";
    QTest::newRow("array subscript") << "subscript"
                                     << "Run-time error '9':\n\nSubscript out of range";
}

void TestRuntimeError::errorIsShownAndEndsTheProgram()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QProcess probe;
    probe.start(QStringLiteral(PROBE_PATH), {fault});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), ui::kRuntimeErrorExitStatus);
    const QString shown = QString::fromUtf8(probe.readAllStandardOutput());
    QCOMPARE(shown, QStringLiteral("Vendrola|%1\n").arg(message));
    const QString logged = QString::fromUtf8(probe.readAllStandardError());
    QVERIFY2(logged.contains(QString(message).replace("\n\n", " ")), qPrintable(logged));
}

void TestRuntimeError::faultlessRunEndsNormally()
{
    QProcess probe;
    probe.start(QStringLiteral(PROBE_PATH), {QStringLiteral("none")});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitCode(), 0);
    QCOMPARE(probe.readAllStandardOutput(), QByteArray("no error\n"));
}

QTEST_GUILESS_MAIN(TestRuntimeError)
#include "tst_runtimeerror.moc"
