// The printer list, the default printer, lookup by name, resolution and state, against a private CUPS.
#include "common/CupsServer.h"
#include "preview/Printers.h"

#include <QTest>

using lbl::preview::defaultPrinter;
using lbl::preview::findPrinter;
using lbl::preview::installedPrinters;
using lbl::preview::printerDpi;
using lbl::preview::printerState;
using lbl::test::CupsServer;

class TstPrinters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listInServerOrder();
    void lookupIgnoresCase_data();
    void lookupIgnoresCase();
    void dpi_data();
    void dpi();
    void state_data();
    void state();
    void defaultPrinter_data();
    void defaultPrinter();
    void removedQueueLeavesList();
    void restartedServerStartsEmpty();
    void unreachableServer();

private:
    CupsServer m_server;
};

void TstPrinters::initTestCase()
{
    LBL_START_CUPS(m_server);
    // Added out of order, so a list in creation order shows.
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Zebra"), 203), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("alpha"), 600), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Keyword"), 203, CupsServer::Resolution::Keyword),
             qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Bare"), 0, CupsServer::Resolution::None),
             qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addRawQueue(QStringLiteral("Raw")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Refusing")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.reject(QStringLiteral("Refusing"), QStringLiteral("Out of labels")),
             qPrintable(m_server.errorString()));
    QVERIFY2(m_server.addFileQueue(QStringLiteral("Paused")), qPrintable(m_server.errorString()));
    QVERIFY2(m_server.disable(QStringLiteral("Paused"), QStringLiteral("Lid open")),
             qPrintable(m_server.errorString()));
}

void TstPrinters::listInServerOrder()
{
    const QStringList expected{QStringLiteral("alpha"),  QStringLiteral("Bare"), QStringLiteral("Keyword"),
                               QStringLiteral("Paused"), QStringLiteral("Raw"),  QStringLiteral("Refusing"),
                               QStringLiteral("Zebra")};
    QCOMPARE(installedPrinters(), expected);
}

void TstPrinters::lookupIgnoresCase_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("found");

    QTest::newRow("exact") << "Zebra"
                           << "Zebra";
    QTest::newRow("lower case") << "zebra"
                                << "Zebra";
    QTest::newRow("upper case") << "ALPHA"
                                << "alpha";
    QTest::newRow("prefix only") << "Zeb" << QString();
    QTest::newRow("trailing blank") << "Zebra " << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("not installed") << "Godex" << QString();
}

void TstPrinters::lookupIgnoresCase()
{
    QFETCH(QString, asked);
    QFETCH(QString, found);

    const std::optional<QString> printer = findPrinter(asked);
    QCOMPARE(printer.has_value(), !found.isEmpty());
    if (printer) {
        QCOMPARE(*printer, found);
    }
}

void TstPrinters::dpi_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<int>("dpi");

    QTest::newRow("label printer option") << "Zebra" << 203;
    QTest::newRow("office printer option") << "alpha" << 600;
    QTest::newRow("driver keyword only") << "Keyword" << 203;
    QTest::newRow("driver states nothing") << "Bare" << 300;
    QTest::newRow("no driver") << "Raw" << 300;
    QTest::newRow("not installed") << "Godex" << 300;
    QTest::newRow("empty name") << QString() << 300;
}

void TstPrinters::dpi()
{
    QFETCH(QString, printer);
    QFETCH(int, dpi);

    QCOMPARE(printerDpi(printer), dpi);
}

void TstPrinters::state_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<bool>("accepting");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("message");

    QTest::newRow("ready") << "Zebra" << true << true << QString();
    QTest::newRow("rejecting") << "Refusing" << false << true << "Out of labels";
    QTest::newRow("disabled") << "Paused" << true << false << "Lid open";
}

void TstPrinters::state()
{
    QFETCH(QString, printer);
    QFETCH(bool, accepting);
    QFETCH(bool, enabled);
    QFETCH(QString, message);

    const std::optional<lbl::preview::PrinterState> state = printerState(printer);
    QVERIFY(state.has_value());
    QCOMPARE(state->acceptingJobs, accepting);
    QCOMPARE(state->enabled, enabled);
    QCOMPARE(state->message, message);
    QCOMPARE(state->reasons.contains(QStringLiteral("paused")), !enabled);
    QVERIFY(!printerState(QStringLiteral("Godex")).has_value());
}

void TstPrinters::defaultPrinter_data()
{
    QTest::addColumn<QString>("setDefault");
    QTest::addColumn<QString>("removeAfter");
    QTest::addColumn<QString>("expected");

    QTest::newRow("set") << "Second" << QString() << "Second";
    QTest::newRow("never set") << QString() << QString() << QString();
    QTest::newRow("default removed") << "Second"
                                     << "Second" << QString();
}

void TstPrinters::defaultPrinter()
{
    QFETCH(QString, setDefault);
    QFETCH(QString, removeAfter);
    QFETCH(QString, expected);

    CupsServer server;
    LBL_START_CUPS(server);
    QVERIFY2(server.addFileQueue(QStringLiteral("First")), qPrintable(server.errorString()));
    QVERIFY2(server.addFileQueue(QStringLiteral("Second")), qPrintable(server.errorString()));
    if (!setDefault.isEmpty()) {
        QVERIFY2(server.setDefault(setDefault), qPrintable(server.errorString()));
    }
    if (!removeAfter.isEmpty()) {
        QVERIFY2(server.remove(removeAfter), qPrintable(server.errorString()));
    }

    const std::optional<QString> printer = lbl::preview::defaultPrinter();
    QCOMPARE(printer.value_or(QString()), expected);
    QCOMPARE(printer.has_value(), !expected.isEmpty());
}

void TstPrinters::removedQueueLeavesList()
{
    CupsServer server;
    LBL_START_CUPS(server);
    QVERIFY2(server.addFileQueue(QStringLiteral("Stays")), qPrintable(server.errorString()));
    QVERIFY2(server.addFileQueue(QStringLiteral("Goes")), qPrintable(server.errorString()));
    QVERIFY2(server.remove(QStringLiteral("Goes")), qPrintable(server.errorString()));

    QCOMPARE(installedPrinters(), QStringList{QStringLiteral("Stays")});
    QVERIFY(!findPrinter(QStringLiteral("goes")).has_value());
}

void TstPrinters::restartedServerStartsEmpty()
{
    CupsServer server;
    LBL_START_CUPS(server);
    QVERIFY2(server.addFileQueue(QStringLiteral("Old")), qPrintable(server.errorString()));
    QVERIFY2(server.setDefault(QStringLiteral("Old")), qPrintable(server.errorString()));
    LBL_START_CUPS(server);

    QCOMPARE(installedPrinters(), QStringList());
    QVERIFY(!lbl::preview::defaultPrinter().has_value());
    QVERIFY2(server.addFileQueue(QStringLiteral("Old")), qPrintable(server.errorString()));
    QCOMPARE(installedPrinters(), QStringList{QStringLiteral("Old")});
}

void TstPrinters::unreachableServer()
{
    CupsServer server;
    LBL_START_CUPS(server);
    QVERIFY2(server.addFileQueue(QStringLiteral("Gone")), qPrintable(server.errorString()));
    QVERIFY2(server.setDefault(QStringLiteral("Gone")), qPrintable(server.errorString()));
    server.stop();

    QCOMPARE(installedPrinters(), QStringList());
    QVERIFY(!lbl::preview::defaultPrinter().has_value());
    QVERIFY(!findPrinter(QStringLiteral("Gone")).has_value());
    QCOMPARE(printerDpi(QStringLiteral("Gone")), 300);
    QVERIFY(!printerState(QStringLiteral("Gone")).has_value());
}

QTEST_GUILESS_MAIN(TstPrinters)
#include "tst_printers.moc"
