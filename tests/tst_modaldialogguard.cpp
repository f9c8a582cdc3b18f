#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

// A GUI test that opens a real dialog by mistake must end at once with a clear message, not
// wait for its timeout. The test runs itself as the child that makes the mistake.
class TestModalDialogGuard : public QObject
{
    Q_OBJECT

private slots:
    void aRealMessageBoxEndsTheTestAtOnce();
};

void TestModalDialogGuard::aRealMessageBoxEndsTheTestAtOnce()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--open-a-real-dialog"});
    QElapsedTimer clock;
    clock.start();
    QVERIFY(child.waitForFinished(30000));
    QVERIFY2(clock.elapsed() < 10000, "the guard let the dialog wait");
    QCOMPARE(child.exitCode(), 3);
    const QByteArray said = child.readAllStandardError();
    QVERIFY2(said.contains("a real dialog appeared") && said.contains("QMessageBox") &&
                 said.contains("不该出现"),
             said.constData());
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (app.arguments().contains("--open-a-real-dialog")) {
        QMessageBox::information(nullptr, "提示", "不该出现");
        return 0;
    }
    TestModalDialogGuard test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_modaldialogguard.moc"
