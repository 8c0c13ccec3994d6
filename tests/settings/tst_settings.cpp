// Reading and writing single values of the settings file.
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using lbl::settings::readValue;
using lbl::settings::SettingsError;
using lbl::settings::writeValue;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

class TstSettings : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void write_data();
    void write();
    void refusedWrite_data();
    void refusedWrite();
    void lineBreakRefused();
    void writeThenReadRoundTrip_data();
    void writeThenReadRoundTrip();
    void writeIntoOddFileReadsBack_data();
    void writeIntoOddFileReadsBack();
};

void TstSettings::read_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray lab = "[LAB]\nLAB_PRINT0=Zebra\n";
    QTest::newRow("missing file") << false << QByteArray() << "LAB"
                                  << "LAB_PRINT0"
                                  << "<default>";
    QTest::newRow("missing section") << true << QByteArray("[Other]\nLAB_PRINT0=x\n") << "LAB"
                                     << "LAB_PRINT0"
                                     << "<default>";
    QTest::newRow("missing key") << true << lab << "LAB"
                                 << "LAB_BQTM01"
                                 << "<default>";
    QTest::newRow("plain value") << true << lab << "LAB"
                                 << "LAB_PRINT0"
                                 << "Zebra";
    QTest::newRow("section and key in other case") << true << lab << "lab"
                                                   << "lab_print0"
                                                   << "Zebra";
    QTest::newRow("file spells them in other case")
        << true << QByteArray("[lab]\nlab_Print0=Zebra\n") << "LAB"
        << "LAB_PRINT0"
        << "Zebra";
    QTest::newRow("surrounding blanks")
        << true << QByteArray("[LAB]\nLAB_PRINT0 =   Zebra GK420  \n") << "LAB"
        << "LAB_PRINT0"
        << "Zebra GK420";
    QTest::newRow("one pair of double quotes")
        << true << QByteArray("[LAB]\nLAB_PRINT0=\"\"C:\\a b.lbt\"\"\n") << "LAB"
        << "LAB_PRINT0"
        << "\"C:\\a b.lbt\"";
    QTest::newRow("single quotes") << true << QByteArray("[LAB]\nLAB_PRINT0=' x '\n") << "LAB"
                                   << "LAB_PRINT0"
                                   << " x ";
    QTest::newRow("unbalanced quote kept") << true << QByteArray("[LAB]\nLAB_PRINT0=\"abc\n") << "LAB"
                                           << "LAB_PRINT0"
                                           << "\"abc";
    QTest::newRow("empty value is not the default") << true << QByteArray("[LAB]\nLAB_BQTM01=\n") << "LAB"
                                                    << "LAB_BQTM01"
                                                    << "";
    QTest::newRow("utf-8 text") << true << QByteArray("[LAB]\nLAB_BQTM01=/标签/样式.lbt\n") << "LAB"
                                << "LAB_BQTM01" << QString::fromUtf8("/标签/样式.lbt");
    QTest::newRow("utf-8 byte order mark")
        << true << QByteArray("\xEF\xBB\xBF[LAB]\r\nLAB_PRINT0=Zebra\r\n") << "LAB"
        << "LAB_PRINT0"
        << "Zebra";
    QTest::newRow("long value cut to 2047")
        << true << QByteArray("[LAB]\nLAB_BQTM01=" + QByteArray(3000, 'x') + "\n") << "LAB"
        << "LAB_BQTM01" << QString(2047, QLatin1Char('x'));
    QTest::newRow("cut never splits a surrogate pair")
        << true << QByteArray("[LAB]\nLAB_BQTM01=" + QByteArray(2046, 'x') + "\xF0\x9F\x98\x80" + "\n")
        << "LAB"
        << "LAB_BQTM01" << QString(2046, QLatin1Char('x'));
}

void TstSettings::read()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath("myini.ini");
    if (fileExists) {
        writeAll(path, content);
    }
    QCOMPARE(readValue(path, section, key, "<default>"), expected);
}

void TstSettings::write_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << false << QByteArray() << "LAB_PRINT0"
                              << "Zebra" << QByteArray("[LAB]\nLAB_PRINT0=Zebra\n");
    QTest::newRow("new section after other content")
        << true << QByteArray("; mine\n[Other]\nx = 1") << "LAB_PRINT0"
        << "Zebra" << QByteArray("; mine\n[Other]\nx = 1\n[LAB]\nLAB_PRINT0=Zebra\n");
    QTest::newRow("new key at the end of its section")
        << true << QByteArray("[LAB]\nLAB_PRINT0=Zebra\n\n[Other]\ny=2\n") << "LAB_BQTM01"
        << "/t/a.lbt" << QByteArray("[LAB]\nLAB_PRINT0=Zebra\nLAB_BQTM01=/t/a.lbt\n\n[Other]\ny=2\n");
    QTest::newRow("replace keeps spelling, blanks, comments and order")
        << true
        << QByteArray("; top\n[Other]\nx = 1\n\n\n[lab]\n  ; inner\nlab_print0 =  old ;c\nLAB_BQTM01=a\n")
        << "LAB_PRINT0"
        << "新打印机"
        << QByteArray("; top\n[Other]\nx = 1\n\n\n[lab]\n  ; inner\nlab_print0 =  新打印机\nLAB_BQTM01=a\n");
    QTest::newRow("crlf file stays crlf") << true << QByteArray("[LAB]\r\nLAB_PRINT0=a\r\n") << "LAB_BQTM02"
                                          << "b" << QByteArray("[LAB]\r\nLAB_PRINT0=a\r\nLAB_BQTM02=b\r\n");
    QTest::newRow("same key in a repeated section is replaced everywhere")
        << true << QByteArray("[LAB]\nLAB_PRINT0=a\n[LAB]\nLAB_PRINT0=b\n") << "LAB_PRINT0"
        << "c" << QByteArray("[LAB]\nLAB_PRINT0=c\n[LAB]\nLAB_PRINT0=c\n");
    QTest::newRow("value with outer blanks is quoted") << false << QByteArray() << "LAB_BQTM01"
                                                       << " x " << QByteArray("[LAB]\nLAB_BQTM01=\" x \"\n");
}

void TstSettings::write()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    const QString path = dir.filePath("myini.ini");
    if (fileExists) {
        writeAll(path, before);
    }
    writeValue(path, "LAB", key, value);
    QCOMPARE(readAll(path), after);
    QCOMPARE(readValue(path, "LAB", key, "<default>"), value);
}

void TstSettings::refusedWrite_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("read-only folder") << "folder";
    QTest::newRow("read-only file") << "file";
    QTest::newRow("file name taken by a folder") << "dir";
}

void TstSettings::refusedWrite()
{
    QFETCH(QString, what);

    QTemporaryDir dir;
    const QString folder = dir.filePath("prog");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + "/myini.ini";
    const QByteArray before("[LAB]\nLAB_PRINT0=old\n");
    if (what == "dir") {
        QVERIFY(QDir().mkpath(path));
    } else {
        writeAll(path, before);
    }
    const QString target = what == "folder" ? folder : path;
    if (what != "dir") {
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }

    try {
        writeValue(path, "LAB", "LAB_PRINT0", "new");
        QFAIL("the write was not refused");
    } catch (const SettingsError& e) {
        QCOMPARE(QString::fromStdString(e.what()), "Unable to write to " + QDir::toNativeSeparators(path));
    }
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (what != "dir") {
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"myini.ini"});
    }
}

void TstSettings::lineBreakRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("myini.ini");
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, writeValue(path, "LAB", "LAB_PRINT0", "a\n[X]\nb=c"));
    QVERIFY(!QFile::exists(path));
}

void TstSettings::writeThenReadRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("quoted path") << "\"/a b/c.lbt\"";
    QTest::newRow("blank around") << "  x";
    QTest::newRow("cjk") << QString::fromUtf8("标签打印机 😀");
    QTest::newRow("equals sign") << "a=b";
}

void TstSettings::writeThenReadRoundTrip()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath("myini.ini");
    writeValue(path, "LAB", "LAB_BQTM03", value);
    QCOMPARE(readValue(path, "LAB", "LAB_BQTM03", "<default>"), value);
}

void TstSettings::writeIntoOddFileReadsBack_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::newRow("NUL byte before the key")
        << QByteArray("[LAB]\nLAB_BQTM\x01\x00=a\n[LAB]\nLAB_BQTM03=b\n", 38) << "LAB_BQTM03";
    QTest::newRow("bracket line without its closing bracket")
        << QByteArray("x=1\n[\n\n[lab]\nLAB_BQTM03=b\n") << "LAB_BQTM03";
    QTest::newRow("lone carriage return inside a line")
        << QByteArray("[LAB]\nx=1\r[Other]\nLAB_BQTM03=b\n") << "LAB_BQTM03";
    QTest::newRow("vertical tab before a section")
        << QByteArray("[Other]\n\v[LAB]\nLAB_BQTM03=b\n") << "LAB_BQTM03";
    QTest::newRow("non-ASCII letter that folds to the key's")
        << QByteArray("[LAB]\nLAB_PRINT\xC5\xBF=old\n") << "LAB_PRINTS";
}

void TstSettings::writeIntoOddFileReadsBack()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QTemporaryDir dir;
    const QString path = dir.filePath("myini.ini");
    writeAll(path, before);
    writeValue(path, "LAB", key, "new.lbt");
    QCOMPARE(readValue(path, "LAB", key, "<default>"), "new.lbt");
}

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
