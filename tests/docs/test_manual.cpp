// The user manual: rendering, and whether the manual the build made covers the program.

#include "app/frm_main.h"
#include "common/prompter.h"
#include "tools/manual/manual_render.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Whitespace folded, so words wrapped across lines or table cells still match.
QString folded(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed();
}

// A menu caption as the user reads it: access-key marks gone, "&&" a plain ampersand.
QString readable(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption.trimmed();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestManual : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rendersTextAndPictures();
    void missingPictureLeavesNoFile();
    void builtManualCoversEveryMenuCommand();
};

void TestManual::rendersTextAndPictures()
{
    QTemporaryDir dir;
    QImage red(800, 200, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(dir.filePath(QStringLiteral("red.png"))));
    QByteArray md = "# Heading one\n\nFirst paragraph.\n\n![a picture](red.png)\n\n";
    for (int i = 0; i < 200; ++i)
        md += "Line " + QByteArray::number(i) + " of a long chapter.\n\n";
    writeFile(dir.filePath(QStringLiteral("m.md")), md);

    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const manual::Result r = manual::render(dir.filePath(QStringLiteral("m.md")), pdf);
    QVERIFY2(r.ok, qPrintable(r.error));
    const QString text = pdfText(pdf);
    QVERIFY(text.contains(QStringLiteral("Heading one")));
    QVERIFY(text.contains(QStringLiteral("Line 199 of a long chapter.")));
    QVERIFY(!QFile::exists(pdf + QStringLiteral(".part")));

    // The picture is on the first page, inside the paper's width.
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"),
                                         QStringLiteral("40"), QStringLiteral("-f"),
                                         QStringLiteral("1"), QStringLiteral("-l"),
                                         QStringLiteral("1"), pdf, dir.filePath("page")});
    QVERIFY(p.waitForFinished(30000));
    const QImage page(dir.filePath(QStringLiteral("page-1.png")));
    QVERIFY(!page.isNull());
    int redPixels = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            redPixels += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
        }
    QVERIFY(redPixels > 100);
    QCOMPARE(page.pixel(page.width() - 2, page.height() / 4), qRgb(255, 255, 255));
}

void TestManual::missingPictureLeavesNoFile()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("m.md")), "# Title\n\n![gone](nowhere.png)\n");
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    writeFile(pdf, "an earlier manual");
    const manual::Result r = manual::render(dir.filePath(QStringLiteral("m.md")), pdf);
    QVERIFY(!r.ok);
    QVERIFY(r.error.contains(QStringLiteral("nowhere.png")));
    QFile kept(pdf);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("an earlier manual"));
}

// Every command of the menu bar is explained in the manual, under the name the menu shows.
void TestManual::builtManualCoversEveryMenuCommand()
{
    const QString manualText = folded(pdfText(QStringLiteral(KESTRUN_BUILT_MANUAL)));
    QVERIFY2(!manualText.isEmpty(), "the build made no readable manual");

    ScriptedPrompter prompter;
    FrmMain main(nullptr, &prompter);
    QStringList missing;
    int checked = 0;
    const auto check = [&](const QString &caption) {
        const QString name = readable(caption);
        if (name.isEmpty())
            return;
        ++checked;
        if (!manualText.contains(name))
            missing << name;
    };
    for (QAction *top : main.menuBar()->actions()) {
        if (!top->isVisible())
            continue;
        check(top->text());
        const std::function<void(QMenu *)> walk = [&](QMenu *menu) {
            for (QAction *a : menu->actions()) {
                if (a->isSeparator() || !a->isVisible())
                    continue;
                check(a->text());
                if (a->menu())
                    walk(a->menu());
            }
        };
        if (top->menu())
            walk(top->menu());
    }
    QVERIFY(checked > 25);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(" | "))));
}

QTEST_MAIN(TestManual)
#include "test_manual.moc"
