// A run-time error tells the user in Bulgarian what went wrong, logs one
// English line that names the kind and the place, and ends the program with
// a non-zero status, whatever operation raised it. Inside a test it fails
// the test at once.

#include "ui/form.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

class TestRuntimeError : public QObject
{
    Q_OBJECT
private slots:
    void errorIsShownAndEndsTheProgram_data();
    void errorIsShownAndEndsTheProgram();
    void faultlessRunEndsNormally();
    void errorInsideATestFailsItAtOnce();
    void raiseInsideATest();
};

void TestRuntimeError::errorIsShownAndEndsTheProgram_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("said");
    QTest::newRow("missing control array element") << "control" << 3 << "no such control"
                                                   << "Command1(8)"
                                                   << "няма такъв елемент на прозореца";
    QTest::newRow("list index past the end") << "listindex" << 5 << "no such list item"
                                             << "List1(0).ListIndex = 12"
                                             << "няма такъв ред в списъка";
    QTest::newRow("list item before the start") << "list" << 5 << "no such list item"
                                                << "List1(3).List(-1)"
                                                << "няма такъв ред в списъка";
    QTest::newRow("integer overflow") << "overflow" << 1 << "number out of range"
                                      << "CInt(32767.5)"
                                      << "число извън допустимия обхват";
    QTest::newRow("array subscript") << "subscript" << 2 << "index out of range"
                                     << "seriesColor(4)"
                                     << "индекс извън границите на масив";
    QTest::newRow("colour out of range") << "colour" << 4 << "invalid property value"
                                         << "Label2(1).BackColor = 16777216"
                                         << "недопустима стойност на свойство";
}

void TestRuntimeError::errorIsShownAndEndsTheProgram()
{
    QFETCH(QString, fault);
    QFETCH(int, code);
    QFETCH(QString, kind);
    QFETCH(QString, where);
    QFETCH(QString, said);
    QProcess probe;
    probe.start(QStringLiteral(PROBE_PATH), {fault});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), ui::kRuntimeErrorExitStatus);
    const QString shown = QString::fromUtf8(probe.readAllStandardOutput());
    QCOMPARE(shown, QString::fromUtf8("Vendrola|Vendrola срещна вътрешна грешка: %1 (%2, код %3)."
                                      "\n\nПрограмата ще бъде затворена.\n")
                        .arg(said, where)
                        .arg(code));
    // Qt's own warnings may stand around it; the program says one line.
    const QStringList logged = QString::fromUtf8(probe.readAllStandardError())
                                   .split('\n')
                                   .filter(QRegularExpression(QStringLiteral("^vendrola: ")));
    QCOMPARE(
        logged,
        QStringList{
            QStringLiteral("vendrola: internal error %1 (%2) at %3").arg(code).arg(kind, where)});
}

void TestRuntimeError::faultlessRunEndsNormally()
{
    QProcess probe;
    probe.start(QStringLiteral(PROBE_PATH), {QStringLiteral("none")});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitCode(), 0);
    QCOMPARE(probe.readAllStandardOutput(), QByteArray("no error\n"));
}

void TestRuntimeError::errorInsideATestFailsItAtOnce()
{
    // This test program runs one of its own cases again, with an error in it.
    QProcess self;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VENDROLA_RAISE_IN_TEST"), QStringLiteral("1"));
    env.insert(QStringLiteral("QTEST_DISABLE_STACK_DUMP"), QStringLiteral("1"));
    self.setProcessEnvironment(env);
    self.start(QCoreApplication::applicationFilePath(), {QStringLiteral("raiseInsideATest")});
    QVERIFY(self.waitForFinished(10000)); // no message box waits for a user
    QVERIFY(self.exitStatus() != QProcess::NormalExit || self.exitCode() != 0);
    const QString output =
        QString::fromUtf8(self.readAllStandardOutput() + self.readAllStandardError());
    QVERIFY2(output.contains(QStringLiteral("internal error 3 (no such control) at Label1(14)")),
             qPrintable(output));
}

void TestRuntimeError::raiseInsideATest()
{
    if (!qEnvironmentVariableIsSet("VENDROLA_RAISE_IN_TEST"))
        QSKIP("run by errorInsideATestFailsItAtOnce");
    ui::Form form;
    form.show();
    form.Label1(14).setBackColor(0);
}

QTEST_MAIN(TestRuntimeError)
#include "tst_runtimeerror.moc"
