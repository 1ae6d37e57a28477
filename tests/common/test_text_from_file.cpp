#include "common/text_from_file.h"

#include <QtTest>

// Texts from files and loggers as they are shown: no control character gets through, every
// other character (backslashes, blanks, letters of any script) stays as it is.
class TestTextFromFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shown_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain, padded") << "COLD ROOM 2     " << "COLD ROOM 2     ";
        QTest::newRow("colour escape") << "A\x1b[31mB\x1b[0m" << "A\\x1b[31mB\\x1b[0m";
        QTest::newRow("tab, line feed, return") << "A\tB\nC\rD" << "A\\tB\\nC\\rD";
        QTest::newRow("NUL and BEL") << QString::fromLatin1("A\0B\a", 4) << "A\\x00B\\x07";
        QTest::newRow("DEL") << "A\x7f" << "A\\x7f";
        // A logger's byte 0x9b read as Latin-1 is the one-character CSI of C1.
        QTest::newRow("C1: CSI, NEL") << QString(QChar(0x9b)) + "2J" + QChar(0x85)
                                      << "\\x9b2J\\x85";
        QTest::newRow("line and paragraph separators")
            << QString("A") + QChar(0x2028) + "B" + QChar(0x2029) << "A\\u2028B\\u2029";
        QTest::newRow("no controls: Latin-1, accents, backslash")
            << QString::fromUtf8("Kühlraum \xc2\xa0\\x1b Ünïcode €") 
            << QString::fromUtf8("Kühlraum \xc2\xa0\\x1b Ünïcode €");
        QTest::newRow("empty") << QString() << QString();
    }
    void shown()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(textfromfile::shown(text), shown);
    }
};

QTEST_GUILESS_MAIN(TestTextFromFile)
#include "test_text_from_file.moc"
