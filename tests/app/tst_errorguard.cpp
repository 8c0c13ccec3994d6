// The standard error box's text, the application title and the handler guard.
#include "app/ErrorGuard.h"
#include "common/RecordingMessageBoxes.h"

#include <QTest>

#include <stdexcept>

using lbl::app::applicationTitle;
using lbl::app::errorBoxText;

class TstErrorGuard : public QObject
{
    Q_OBJECT

private slots:
    void boxText_data();
    void boxText();
    void title_data();
    void title();
    void guardShowsAndGoesOn();
};

void TstErrorGuard::boxText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter gets a full stop") << "Invalid argument"
                                             << "Invalid argument.";
    QTest::newRow("full stop itself stays single") << "Done."
                                                   << "Done.";
    QTest::newRow("slash (code 47) gets one") << "/a/b/"
                                              << "/a/b/.";
    QTest::newRow("hyphen (code 45) gets none") << "a -"
                                                << "a -";
    QTest::newRow("closing quote (code 34) gets none") << "Cannot open file \"x\""
                                                       << "Cannot open file \"x\"";
    QTest::newRow("closing parenthesis (code 41) gets none") << "(x)"
                                                             << "(x)";
    QTest::newRow("closing square bracket gets one") << "[x]"
                                                     << "[x].";
    QTest::newRow("chinese gets one") << QString::fromUtf8("打印机") << QString::fromUtf8("打印机.");
    QTest::newRow("empty stays empty") << ""
                                       << "";
}

void TstErrorGuard::boxText()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(errorBoxText(message), shown);
}

void TstErrorGuard::title_data()
{
    QTest::addColumn<QString>("programFile");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain name") << "/opt/lp/labelprint"
                                << "Labelprint";
    QTest::newRow("up to the first dot") << "/opt/lp/LabelPrint.v2.exe"
                                         << "Labelprint";
    QTest::newRow("mixed case") << "/x/LABELPRINT"
                                << "Labelprint";
    QTest::newRow("dot in the folder only") << "/x.y/tool"
                                            << "Tool";
}

void TstErrorGuard::title()
{
    QFETCH(QString, programFile);
    QFETCH(QString, title);
    QCOMPARE(applicationTitle(programFile), title);
}

void TstErrorGuard::guardShowsAndGoesOn()
{
    lbl::test::RecordingMessageBoxes boxes;
    lbl::app::ErrorGuard guard(boxes, "Labelprint");
    bool after = false;
    guard.run([] { throw std::runtime_error("Printer selected is not valid"); });
    guard.run([&after] { after = true; });
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].kind, "error");
    QCOMPARE(boxes.shown[0].title, "Labelprint");
    QCOMPARE(boxes.shown[0].text, "Printer selected is not valid.");
    QVERIFY(after);
}

QTEST_GUILESS_MAIN(TstErrorGuard)
#include "tst_errorguard.moc"
