#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// Runs kestrun-bench the way CI and developers do and checks what it prints, not how fast.
class TestBench : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = -1;
        QStringList lines;
    };

    static Run bench(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(KESTRUN_BENCH), args);
        if (!p.waitForFinished(240000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)};
    }

    QStringList m_defaultFigures; // names from --list that the default run includes

private Q_SLOTS:
    void initTestCase()
    {
        const Run list = bench({QStringLiteral("--list")});
        QCOMPARE(list.exitCode, 0);
        for (const QString &line : list.lines)
            if (!line.contains(QLatin1String("[--")))
                m_defaultFigures << line.section(u' ', 0, 0);
        QVERIFY(m_defaultFigures.size() >= 8);
    }

    void figureLines_data()
    {
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("default run") << QStringList();
        QTest::newRow("one filter") << QStringList{QStringLiteral("fill.")};
        QTest::newRow("two filters") << QStringList{QStringLiteral("save."), QStringLiteral("rh")};
    }

    // One line per chosen figure, in the form "name median unit target t unit ratio r", where
    // the ratio is the median over the target.
    void figureLines()
    {
        QFETCH(QStringList, filters);
        QStringList expected;
        for (const QString &name : std::as_const(m_defaultFigures))
            if (filters.isEmpty() || std::any_of(filters.begin(), filters.end(),
                                                 [&](const QString &f) { return name.contains(f); }))
                expected << name;

        const Run run = bench(QStringList{QStringLiteral("--quick")} + filters);
        QCOMPARE(run.exitCode, 0);

        static const QRegularExpression form(QStringLiteral(
            R"(^(\S+) +([0-9.]+) (µs|ms|s|MB) +target +([0-9.]+) \3 +ratio +([0-9.]+) +(ok|over|MISS)$)"));
        QStringList printed;
        for (const QString &line : run.lines) {
            const QRegularExpressionMatch m = form.match(line);
            QVERIFY2(m.hasMatch(), qPrintable(line));
            printed << m.captured(1);
            const double ratio = m.captured(5).toDouble();
            const double expectedRatio = m.captured(2).toDouble() / m.captured(4).toDouble();
            QVERIFY2(qAbs(ratio - expectedRatio) <= 0.005 + 0.001 * expectedRatio, qPrintable(line));
        }
        QCOMPARE(printed, expected);
    }

    void unknownFilterFails()
    {
        const Run run = bench({QStringLiteral("--quick"), QStringLiteral("no-such-figure")});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBench)
#include "test_bench.moc"
