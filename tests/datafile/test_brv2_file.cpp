#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "datafile/brv2_file.h"
#include "datafile/crc16.h"
#include "datafile/set_io.h"

#include <QRandomGenerator>
#include <QtTest>

using Status = brv2::Content::Status;

namespace {
QByteArray sampleImage(int readings)
{
    QByteArray img(6 + 2 * readings + 40, '\0');
    for (int i = 0; i < img.size(); ++i)
        img[i] = char((i * 37 + 11) & 0xFF);
    img[img.size() - 3] = 'E';
    img[img.size() - 2] = 'N';
    img[img.size() - 1] = 'D';
    return img;
}
} // namespace

class TestBrv2File : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void crcOfTheCheckString()
    {
        Crc16 crc;
        crc.Calc_CRC(QByteArray("123456789"));
        QCOMPARE(crc.CrcA, std::uint8_t(0x37));
        QCOMPARE(crc.CrcB, std::uint8_t(0x4B));
        QCOMPARE(crc.hiTable()[1], std::uint8_t(0xC1));
        QCOMPARE(crc.hiTable()[2], std::uint8_t(0x81));
        QCOMPARE(crc.hiTable()[3], std::uint8_t(0x40));
        QCOMPARE(crc.loTable()[1], std::uint8_t(0xC0));
        QCOMPARE(crc.loTable()[2], std::uint8_t(0xC1));
        QCOMPARE(crc.loTable()[3], std::uint8_t(0x01));
        // Stored as the dates of days 55 and 75, low byte first.
        const QList<QByteArray> lines = brv2::encodeImage(1, "123456789").split('\n');
        QCOMPARE(lines.at(10), QByteArray("#1900-02-23#\r"));
        QCOMPARE(lines.at(11), QByteArray("#1900-03-15#\r"));
    }

    void byteRecords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("byte");
        QTest::newRow("day 1") << "1899-12-31" << 1;
        QTest::newRow("day 2") << "1900-01-01" << 2;
        QTest::newRow("day 5") << "1900-01-04" << 5;
        QTest::newRow("day 255") << "1900-09-11" << 255;
        QTest::newRow("day 0 as a date") << "1899-12-30" << 0;
        QTest::newRow("day 0 as midnight") << "00:00:00" << 0;
        QTest::newRow("date with midnight") << "1900-01-04 00:00:00" << 5;
        QTest::newRow("single-digit month") << "1900-1-4" << 5;
        QTest::newRow("day 256") << "1900-09-12" << -1;
        QTest::newRow("before day 0") << "1899-12-29" << -1;
        QTest::newRow("not a date") << "abc" << -1;
        QTest::newRow("no such day") << "1900-02-30" << -1;
    }
    void byteRecords()
    {
        QFETCH(QString, text);
        QFETCH(int, byte);
        QCOMPARE(brv2::parseByteRecord(text), byte);
        if (byte >= 0 && text.size() == 10 && text.at(4) == '-' && text.at(7) == '-')
            QCOMPARE(brv2::byteRecord(byte), '#' + text + '#');
    }

    void imageRoundTrip()
    {
        const QByteArray img = sampleImage(400);
        const QByteArray file = brv2::encodeImage(1, img);
        QVERIFY(file.startsWith("1,846,1\r\n"));
        const brv2::Content c = brv2::decode(file);
        QCOMPARE(c.status, Status::Ok);
        QVERIFY(c.isImage());
        QCOMPARE(c.model, 1);
        QCOMPARE(c.image, img);
    }

    void changedByteIsCorrupted()
    {
        QByteArray file = brv2::encodeImage(2, sampleImage(10));
        const int at = file.indexOf('#', 100);
        QVERIFY(at > 0);
        const QString record = QString::fromLatin1(file.mid(at + 1, 10));
        const int b = brv2::parseByteRecord(record);
        file.replace(at + 1, 10, brv2::byteRecord(b ^ 1).mid(1, 10).toLatin1());
        QCOMPARE(brv2::decode(file).status, Status::FileCorrupted);
    }

    void imageWithoutEndStillOpens()
    {
        QByteArray img = sampleImage(3);
        img.chop(3);
        img += "XYZ";
        QCOMPARE(brv2::decode(brv2::encodeImage(1, img)).status, Status::Ok);
    }

    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("huge length") << QByteArray("1,2000000000,1\r\n#1900-01-01#\r\n");
        QTest::newRow("negative length") << QByteArray("1,-5,1\r\n");
        QTest::newRow("model out of range") << QByteArray("300,0,1\r\n#1899-12-30#\r\n#1899-12-30#\r\n");
        QTest::newRow("record 1 not numbers") << QByteArray("a,b,c\r\n");
        QTest::newRow("truncated image") << brv2::encodeImage(1, sampleImage(20)).left(200);
        QTest::newRow("byte past 255") << QByteArray("1,1,1\r\n#1901-01-01#\r\n#1899-12-30#\r\n#1899-12-30#\r\n");
        QTest::newRow("number instead of date") << QByteArray("1,1,1\r\n5\r\n#1899-12-30#\r\n#1899-12-30#\r\n");
        QTest::newRow("unterminated string") << QByteArray("1,0,2\r\n\"abc,\"def\r\n\"x");
        QTest::newRow("partial row") << QByteArray("1,0,2\r\n\"L\",\"S\"\r\n\"01/03/2024\",\"10:00:00\"\r\n");
        QByteArray garbage(5000, '\0');
        QRandomGenerator rng(7);
        for (auto &ch : garbage)
            ch = char(rng.bounded(256));
        QTest::newRow("binary garbage") << garbage;
    }
    void hostileFiles()
    {
        QFETCH(QByteArray, file);
        const brv2::Content c = brv2::decode(file);
        QVERIFY(c.status != Status::Ok);
        QVERIFY(c.image.size() <= brv2::kMaxImageLen);
    }

    void rowFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("lastValue");
        QTest::newRow("line breaks")
            << QByteArray("2,0,2\r\n\":    LAB\",\":     0045 06 05 13\"\r\n"
                          "\"01/03/2024\",\"10:00:00\",\"21.5\",\"45.0\"\r\n"
                          "\"01/03/2024\",\"10:00:05\",\"***\",\"***\"\r\n")
            << 2 << "***";
        QTest::newRow("commas only")
            << QByteArray("1,0,2\r\n\"L\",\"S\",\"01/03/2024\",\"10:00:00\",\"21.5\","
                          "\"01/03/2024\",\"10:00:05\",\"21.7\"")
            << 2 << "21.7";
        QTest::newRow("no rows") << QByteArray("3,0,2\r\n\"L\",\"S\"\r\n") << 0 << "";
        QTest::newRow("model without rows") << QByteArray("9,0,2\r\n\"L\",\"S\"\r\n\"x\"\r\n") << 0 << "";
    }
    void rowFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, rows);
        QFETCH(QString, lastValue);
        const brv2::Content c = brv2::decode(file);
        QCOMPARE(c.status, Status::Ok);
        QVERIFY(!c.isImage());
        QCOMPARE(c.rows.size(), rows);
        if (rows > 0)
            QCOMPARE(c.rows.last().at(2), lastValue);
    }

    // Captions are written as UTF-8, and an old file in Latin-1 still reads as text: a file
    // reads as UTF-8 when all of it does, otherwise byte by byte as Latin-1.
    void captionEncodings_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("serial");
        const QByteArray rest = "\r\n\"01/03/2024\",\"10:00:00\",\"21.5\"\r\n";
        QTest::newRow("UTF-8") << "1,0,2\r\n\":    K\xC3\xBChl\",\":     0045\"" + rest
                               << QStringLiteral(":    K\u00FChl") << QStringLiteral(":     0045");
        QTest::newRow("Latin-1") << "1,0,2\r\n\":    K\xFChl\",\":     0045\"" + rest
                                 << QStringLiteral(":    K\u00FChl") << QStringLiteral(":     0045");
        QTest::newRow("UTF-8 with a Latin-1 byte elsewhere")
            << "1,0,2\r\n\":    K\xC3\xBChl\",\":     0045\xFC\"" + rest
            << QStringLiteral(":    K\u00C3\u00BChl") << QStringLiteral(":     0045\u00FC");
        QTest::newRow("UTF-8 cut inside a character")
            << "1,0,2\r\n\":    K\xC3\xBChl\xC3\",\":     0045\"" + rest
            << QStringLiteral(":    K\u00C3\u00BChl\u00C3") << QStringLiteral(":     0045");
        QTest::newRow("byte order mark before the file")
            << "\xEF\xBB\xBF" "1,0,2\r\n\":    LAB\",\":     0045\"" + rest
            << QStringLiteral(":    LAB") << QStringLiteral(":     0045");
        QTest::newRow("byte order mark inside a caption")
            << "1,0,2\r\n\"\xEF\xBB\xBF:    LAB\",\":     0045\"" + rest
            << QStringLiteral("\uFEFF:    LAB") << QStringLiteral(":     0045");
    }
    void captionEncodings()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, location);
        QFETCH(QString, serial);
        const brv2::Content c = brv2::decode(file);
        QCOMPARE(c.status, Status::Ok);
        QCOMPARE(c.model, 1);
        QCOMPARE(c.locationCaption, location);
        QCOMPARE(c.serialCaption, serial);
        QCOMPARE(c.rows, (QList<QStringList>{{"01/03/2024", "10:00:00", "21.5"}}));
    }

    // A row file's values as the table shows them: a value the model's sensor cannot report
    // is a failed reading, "***" in red, exactly as a download would show it; so is the
    // humidity of a reading without a temperature.
    void rowFileValues_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QStringList>("stored"); // value, or "value/humidity"
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<QStringList>("shown"); // "***" cells are red, no other is

        QTest::newRow("temperature bounds")
            << 1 << QStringList{"-30.0", "70.0", "70.04", "-30.04", "70.05", "-30.1"} << false
            << QStringList{"-30.0", "70.0", "70.0", "-30.0", "***", "***"};
        QTest::newRow("absurd temperatures")
            << 8 << QStringList{"1e308", "-1e308", "150", "21.5"} << false
            << QStringList{"***", "***", "***", "21.5"};
        QTest::newRow("the range is the degC one in degF")
            << 7 << QStringList{"70", "1e308", "-30"} << true
            << QStringList{"158.00", "***", "-22.00"};
        QTest::newRow("humidity bounds and absurd humidities")
            << 2 << QStringList{"20.0/1.0", "20.0/99.9", "20.0/150", "20.0/0.9", "20.0/-1e308"}
            << false << QStringList{"20.0/01.0", "20.0/99.9", "20.0/***", "20.0/***", "20.0/***"};
        QTest::newRow("no humidity without a temperature")
            << 6 << QStringList{"1e308/55.0", "***/55.0", "21.0/55.0"} << true
            << QStringList{"***/***", "***/***", "69.80/55.0"};
        QTest::newRow("voltage up to what the largest word gives")
            << 3 << QStringList{"0.000", "160.154", "160.155", "-0.001", "2.500"} << false
            << QStringList{"0.000", "160.154", "***", "***", "2.500"};
    }
    void rowFileValues()
    {
        QFETCH(int, model);
        QFETCH(QStringList, stored);
        QFETCH(bool, fahrenheit);
        QFETCH(QStringList, shown);
        QList<QStringList> rows;
        for (const QString &v : stored)
            rows << (QStringList{"2024-03-01", QStringLiteral("10:%1:00").arg(rows.size(), 2, 10,
                                                                               QLatin1Char('0'))}
                     << v.split('/'));
        ReadingSet set;
        set.Cels_Faren = fahrenheit ? 0 : -1;
        const setio::Opened opened =
            setio::openBytes(set, brv2::encodeRows(model, 0, 2, ":    L", ":     0001", rows));
        QCOMPARE(opened.status, setio::Status::Ok);
        const ReadingsTable &t = set.table();
        QStringList got;
        for (int r = 1; r < t.rows(); ++r) {
            QStringList cells;
            for (int c = 3; c < t.cols(); ++c) {
                cells << t.text(r, c);
                QCOMPARE(t.isRed(r, c), t.text(r, c) == QLatin1String("***"));
            }
            got << cells.join('/');
        }
        QCOMPARE(got, shown);
    }

    void rowFileRoundTrip()
    {
        const QList<QStringList> rows{{"1 Mar 2024", "10:00:00", "21.5", "45.0"},
                                      {"1 Mar 2024", "10:00:05", "***", "***"}};
        const QString quoteInLocation = QStringLiteral(":    SHED \"B\", ROW 2");
        const QByteArray file = brv2::encodeRows(6, 846, 2, quoteInLocation, ":     0001 01 01 24", rows);
        const brv2::Content c = brv2::decode(file);
        QCOMPARE(c.status, Status::Ok);
        QCOMPARE(c.model, 6);
        QCOMPARE(c.dataKind, 2);
        QCOMPARE(c.rows, rows);
        QCOMPARE(c.locationCaption, QStringLiteral(":    SHED 'B', ROW 2"));
    }
};

QTEST_GUILESS_MAIN(TestBrv2File)
#include "test_brv2_file.moc"
