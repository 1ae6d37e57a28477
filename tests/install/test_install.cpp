// The install launcher: its two windows and the launch sequence, with recorded starts for the
// order and with real detached scripts on a fake installation medium.

#include "install/forms.h"
#include "install/launch_sequence.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Describes what happened as short words: "start driver", "pause", "report setup", "end".
struct Journal
{
    QString folder;
    QStringList failing; // "driver" / "setup": their start fails
    QStringList events;

    QString name(const QString &text) const
    {
        if (text.contains(QDir::toNativeSeparators(LaunchSequence::driverPath(folder))))
            return QStringLiteral("driver");
        if (text.contains(QDir::toNativeSeparators(LaunchSequence::setupPath(folder))))
            return QStringLiteral("setup");
        return text;
    }

    LaunchSequence::Hooks hooks()
    {
        LaunchSequence::Hooks h;
        h.start = [this](const QString &program, const QString &workingDir) {
            const QString who = name(program);
            events << QStringLiteral("start ") + who
                          + (workingDir == folder ? QString() : QStringLiteral(" elsewhere"));
            return !failing.contains(who);
        };
        h.report = [this](const QString &text) { events << QStringLiteral("report ") + name(text); };
        h.pause = [this] { events << QStringLiteral("pause"); };
        return h;
    }
};

void writeScript(const QString &path, const QString &body, bool executable)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    f.close();
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        p |= QFile::ExeOwner;
    QVERIFY(QFile::setPermissions(path, p));
}

Form2 *openForm2(Form1 &form1)
{
    form1.show();
    QTest::mouseClick(form1.Command1, Qt::LeftButton);
    return form1.form2();
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windows();
    void tabOrder();
    void sequence_data();
    void sequence();
    void closingForm2Ends();
    void secondClickDuringPauseStartsNothing();
    void realStarts_data();
    void realStarts();
};

void TestInstall::windows()
{
    Journal j{QStringLiteral("/media/cd"), {}, {}};
    Form1 form1(j.folder, j.hooks());
    form1.show();
    QCOMPARE(form1.windowTitle(), QStringLiteral("Install"));
    QCOMPARE(form1.Command1->text(), QStringLiteral("INSTALL"));
    QCOMPARE(form1.Command1->font().family(), QStringLiteral("Comic Sans MS"));
    QVERIFY(!form1.form2());

    QTest::mouseClick(form1.Command1, Qt::LeftButton);
    Form2 *form2 = form1.form2();
    QVERIFY(form2);
    QVERIFY(form2->isVisible());
    QVERIFY(!form1.isVisible());
    QCOMPARE(form2->windowTitle(), QStringLiteral("Form2"));
    QCOMPARE(form2->Cusb->text(), QStringLiteral("USB Cable"));
    QCOMPARE(form2->Cqtrn->text(), QStringLiteral("QTRN 2.1.0"));
    QVERIFY(!form2->Cusb->isChecked());
    QVERIFY(!form2->Cqtrn->isChecked());
    QCOMPARE(form2->Command1->text(), QStringLiteral("Install"));
    QCOMPARE(form2->Command1->font().family(), QStringLiteral("Times New Roman"));
    QVERIFY(j.events.isEmpty());
}

void TestInstall::tabOrder()
{
    Journal j{QStringLiteral("/media/cd"), {}, {}};
    Form1 form1(j.folder, j.hooks());
    Form2 *form2 = openForm2(form1);
    form2->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form2));
    form2->Cusb->setFocus();
    QStringList order{form2->focusWidget()->objectName()};
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(form2->focusWidget(), Qt::Key_Tab);
        order << form2->focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"Cusb", "Command1", "Cqtrn", "Cusb"}));
}

void TestInstall::sequence_data()
{
    QTest::addColumn<bool>("usb");
    QTest::addColumn<bool>("qtrn");
    QTest::addColumn<QStringList>("failing");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("nothing ticked just ends") << false << false << QStringList{} << QStringList{"end"};
    QTest::newRow("cable only") << true << false << QStringList{}
                                << QStringList{"start driver", "pause", "end"};
    QTest::newRow("setup only") << false << true << QStringList{}
                                << QStringList{"start setup", "end"};
    QTest::newRow("both: driver first, then setup")
        << true << true << QStringList{}
        << QStringList{"start driver", "pause", "start setup", "end"};
    QTest::newRow("driver cannot start: reported, setup still starts")
        << true << true << QStringList{"driver"}
        << QStringList{"start driver", "report driver", "pause", "start setup", "end"};
    QTest::newRow("neither starts: both reported, then the end")
        << true << true << QStringList{"driver", "setup"}
        << QStringList{"start driver", "report driver", "pause", "start setup", "report setup", "end"};
}

void TestInstall::sequence()
{
    QFETCH(bool, usb);
    QFETCH(bool, qtrn);
    QFETCH(QStringList, failing);
    QFETCH(QStringList, events);

    Journal j{QStringLiteral("/media/cd"), failing, {}};
    Form1 form1(j.folder, j.hooks());
    connect(&form1, &Form1::endProgram, this, [&] { j.events << QStringLiteral("end"); });
    Form2 *form2 = openForm2(form1);
    if (usb)
        QTest::mouseClick(form2->Cusb, Qt::LeftButton);
    if (qtrn)
        QTest::mouseClick(form2->Cqtrn, Qt::LeftButton);
    QCOMPARE(form2->Cusb->isChecked(), usb);
    QCOMPARE(form2->Cqtrn->isChecked(), qtrn);
    QTest::mouseClick(form2->Command1, Qt::LeftButton);
    QCOMPARE(j.events, events);
}

void TestInstall::closingForm2Ends()
{
    Journal j{QStringLiteral("/media/cd"), {}, {}};
    Form1 form1(j.folder, j.hooks());
    QSignalSpy ends(&form1, &Form1::endProgram);
    Form2 *form2 = openForm2(form1);
    form2->Cusb->setChecked(true);
    form2->close();
    QCOMPARE(ends.count(), 1);
    QVERIFY(j.events.isEmpty());
}

void TestInstall::secondClickDuringPauseStartsNothing()
{
    Journal j{QStringLiteral("/media/cd"), {}, {}};
    LaunchSequence::Hooks hooks = j.hooks();
    // The pause delivers pending events; an impatient second click is one of them.
    int clicks = 0;
    Form2 impatient(j.folder, {hooks.start, hooks.report, [&] {
                                   j.events << QStringLiteral("pause");
                                   if (clicks++ == 0)
                                       impatient.Command1_Click();
                               }});
    impatient.Cusb->setChecked(true);
    impatient.Cqtrn->setChecked(true);
    QSignalSpy ends(&impatient, &Form2::endProgram);
    impatient.Command1_Click();
    QCOMPARE(j.events, (QStringList{"start driver", "pause", "start setup"}));
    QCOMPARE(ends.count(), 1);
}

void TestInstall::realStarts_data()
{
    QTest::addColumn<QString>("driver"); // "script", "missing" or "not executable"
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("reported");

    QTest::newRow("both start") << "script" << "script" << QStringList{};
    QTest::newRow("driver missing") << "missing" << "script" << QStringList{"driver"};
    QTest::newRow("setup cannot be run") << "script" << "not executable" << QStringList{"setup"};
    QTest::newRow("empty medium") << "missing" << "missing" << QStringList{"driver", "setup"};
}

void TestInstall::realStarts()
{
    QFETCH(QString, driver);
    QFETCH(QString, setup);
    QFETCH(QStringList, reported);

    QTemporaryDir medium;
    QVERIFY(medium.isValid());
    const QString folder = QFileInfo(medium.path()).canonicalFilePath();
    const QString marks = medium.filePath(QStringLiteral("marks"));
    QDir().mkpath(marks);
    const QString driverMark = marks + "/driver";
    const QString setupMark = marks + "/setup";

    // Each program writes the folder it was started in.
    if (driver != QLatin1String("missing"))
        writeScript(LaunchSequence::driverPath(folder), QStringLiteral("pwd > '%1'").arg(driverMark),
                    driver == QLatin1String("script"));
    if (setup != QLatin1String("missing"))
        writeScript(LaunchSequence::setupPath(folder), QStringLiteral("pwd > '%1'").arg(setupMark),
                    setup == QLatin1String("script"));

    QStringList texts;
    LaunchSequence::Hooks hooks = LaunchSequence::systemHooks();
    hooks.report = [&](const QString &text) { texts << text; };
    LaunchSequence(folder, hooks).run(true, true);

    QStringList named;
    for (const QString &t : texts) {
        if (t.contains(LaunchSequence::driverPath(folder)))
            named << QStringLiteral("driver");
        else if (t.contains(LaunchSequence::setupPath(folder)))
            named << QStringLiteral("setup");
    }
    QCOMPARE(named, reported);
    QCOMPARE(texts.size(), reported.size());

    auto readMark = [](const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    };
    for (const auto &[state, mark] : {std::pair{driver, driverMark}, std::pair{setup, setupMark}}) {
        if (state == QLatin1String("script")) {
            QTRY_VERIFY2(QFile::exists(mark) && !readMark(mark).isEmpty(), qPrintable(mark));
            QCOMPARE(readMark(mark), folder);
        }
    }
    // Programs that could not start left nothing behind (the others have finished by now).
    QCOMPARE(QFile::exists(driverMark), driver == QLatin1String("script"));
    QCOMPARE(QFile::exists(setupMark), setup == QLatin1String("script"));
}

QTEST_MAIN(TestInstall)
#include "test_install.moc"
