#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "share/networkaddress.h"
#include "share/requestfilter.h"
#include "share/sharedview.h"

using namespace zelvano;

Q_DECLARE_METATYPE(ShareRequest)
Q_DECLARE_METATYPE(std::vector<NetworkAddress>)

class TestShare : public QObject
{
    Q_OBJECT

private slots:
    void servesOnlyThePagesOwnRequests_data();
    void servesOnlyThePagesOwnRequests();
    void sendsThePageTheViewOfEachMoment_data();
    void sendsThePageTheViewOfEachMoment();
    void offersTheAddressesAPhoneCanReachFirst_data();
    void offersTheAddressesAPhoneCanReachFirst();
};

namespace {
const ShareOrigin origin { "192.168.1.20", 48620, "00112233445566778899aabbccddeeff" };
const QString page = QStringLiteral("/00112233445566778899aabbccddeeff/");
const QString shown = QStringLiteral("192.168.1.20:48620");
}

// Only GET of the page's four paths under the token, with a Host naming the address shown or
// loopback, is served; anything else, however close, is refused.
void TestShare::servesOnlyThePagesOwnRequests_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("host");
    QTest::addColumn<ShareRequest>("expected");
    const auto row = [](const char* name, const char* method, const QString& target,
                         const QString& host, ShareRequest expected) {
        QTest::newRow(name) << QString::fromLatin1(method) << target << host << expected;
    };
    row("page", "GET", page, shown, ShareRequest::page);
    row("script", "GET", page + "page.js", shown, ShareRequest::script);
    row("style", "GET", page + "page.css", shown, ShareRequest::style);
    row("stream", "GET", page + "events", shown, ShareRequest::events);
    row("loopback", "GET", page, "127.0.0.1:48620", ShareRequest::page);
    row("localhost", "GET", page, "localhost:48620", ShareRequest::page);
    row("no token", "GET", "/", shown, ShareRequest::refused);
    row("token without slash", "GET", page.chopped(1), shown, ShareRequest::refused);
    row("wrong token", "GET", "/00112233445566778899aabbccddeefe/", shown, ShareRequest::refused);
    row("token cut short", "GET", "/00112233445566778899aabbccddeef/", shown,
        ShareRequest::refused);
    row("token longer", "GET", "/00112233445566778899aabbccddeeff0/", shown, ShareRequest::refused);
    row("other file", "GET", page + "favicon.ico", shown, ShareRequest::refused);
    row("climbing out", "GET", page + "../etc/passwd", shown, ShareRequest::refused);
    row("query", "GET", page + "events?x=1", shown, ShareRequest::refused);
    row("absolute form", "GET", "http://" + shown + page, shown, ShareRequest::refused);
    row("POST", "POST", page, shown, ShareRequest::refused);
    row("HEAD", "HEAD", page, shown, ShareRequest::refused);
    row("lower-case get", "get", page, shown, ShareRequest::refused);
    row("OPTIONS", "OPTIONS", page, shown, ShareRequest::refused);
    row("foreign host", "GET", page, "evil.example:48620", ShareRequest::refused);
    row("rebound name", "GET", page, "192.168.1.20.evil.example:48620", ShareRequest::refused);
    row("host without port", "GET", page, "192.168.1.20", ShareRequest::refused);
    row("host, other port", "GET", page, "192.168.1.20:8080", ShareRequest::refused);
    row("host, port run on", "GET", page, "192.168.1.20:486200", ShareRequest::refused);
    row("no host", "GET", page, "", ShareRequest::refused);
    row("only the port", "GET", page, ":48620", ShareRequest::refused);
}

void TestShare::servesOnlyThePagesOwnRequests()
{
    QFETCH(QString, method);
    QFETCH(QString, target);
    QFETCH(QString, host);
    QFETCH(ShareRequest, expected);
    const std::string m = method.toStdString(), t = target.toStdString(), h = host.toStdString();
    QCOMPARE(classifyRequest(m, t, h, origin), expected);
    QCOMPARE(classifyRequest(m, t, h, { origin.address, origin.port, "" }), ShareRequest::refused);
}

// What the page is sent: valid JSON of one line with the view as the program chose it and
// swapped, always in the bells' colours and with their marks, whatever the main window's choice.
void TestShare::sendsThePageTheViewOfEachMoment_data()
{
    QTest::addColumn<qint32>("elapsed");
    QTest::addColumn<bool>("remainingLarge");
    QTest::addColumn<QString>("figure");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("swappedFigure");
    QTest::newRow("before the talk") << 0 << false << "0:00"
                                     << "○○○  "
                                     << "#F2F2F2"
                                     << "10:00";
    QTest::newRow("first bell") << 600 << false << "10:00"
                                << "●○○  "
                                << "#4BFD9E"
                                << "3:00";
    QTest::newRow("second bell, remaining large") << 800 << true << "1:40"
                                                  << "●●○  "
                                                  << "#F1A014"
                                                  << "13:20";
    QTest::newRow("overtime") << 942 << false << "15:42"
                              << "●●●  "
                              << "#E61E1E"
                              << "+0:42";
}

void TestShare::sendsThePageTheViewOfEachMoment()
{
    QFETCH(qint32, elapsed);
    QFETCH(bool, remainingLarge);
    const std::string json = sharedViewJson(sharedView(elapsed, BellSettings {}, remainingLarge));
    QJsonParseError error {};
    const QJsonObject message
        = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, json.c_str());
    QVERIFY2(json.find('\n') == std::string::npos, "one line of the update stream");
    const QJsonObject chosen = message["chosen"].toObject();
    QTEST(chosen["figure"].toString(), "figure");
    QTEST(chosen["marks"].toString(), "marks");
    QTEST(chosen["figureColour"].toString(), "colour");
    QCOMPARE(chosen["captionColour"].toString(), "#F2F2F2");
    QCOMPARE(chosen["background"].toString(), "#000000");
    QTEST(message["swapped"].toObject()["figure"].toString(), "swappedFigure");
    QVERIFY(!message["description"].toString().isEmpty());
}

// Loopback, link-local and malformed addresses never; the default route first, virtual adapters
// (by the platform's word or by their names) last, the platform's order kept within each group.
void TestShare::offersTheAddressesAPhoneCanReachFirst_data()
{
    QTest::addColumn<std::vector<NetworkAddress>>("reported");
    QTest::addColumn<QStringList>("offered");
    const NetworkAddress wifi { "192.168.1.20", "wlan0", true, false };
    const NetworkAddress cable { "10.0.0.5", "eth0", false, false };
    const NetworkAddress docker { "172.17.0.1", "docker0", false, false };
    const NetworkAddress wsl { "172.28.16.1", "vEthernet (WSL)", false, false };
    const NetworkAddress bridge { "192.168.122.1", "br0", false, true };
    const NetworkAddress loopback { "127.0.0.1", "lo", false, false };
    const NetworkAddress linkLocal { "169.254.3.4", "eth1", false, false };
    QTest::newRow("default route first")
        << std::vector { cable, wifi } << QStringList { "192.168.1.20", "10.0.0.5" };
    QTest::newRow("virtual last, even on the default route")
        << std::vector { docker, NetworkAddress { "10.8.0.2", "tun0", true, false }, wifi, wsl,
               bridge, cable }
        << QStringList { "192.168.1.20", "10.0.0.5", "172.17.0.1", "10.8.0.2", "172.28.16.1",
               "192.168.122.1" };
    QTest::newRow("never loopback or link-local")
        << std::vector { loopback, linkLocal, cable } << QStringList { "10.0.0.5" };
    QTest::newRow("malformed left out")
        << std::vector { NetworkAddress { "10.0.0", "a" }, NetworkAddress { "10.0.0.256", "b" },
               NetworkAddress { "10.0.0.1x", "c" }, NetworkAddress { "0.0.0.0", "d" },
               NetworkAddress { "224.0.0.1", "e" }, NetworkAddress { "010.0.0.1.", "f" } }
        << QStringList {};
    QTest::newRow("listed twice, kept once")
        << std::vector { cable, cable, wifi } << QStringList { "192.168.1.20", "10.0.0.5" };
    QTest::newRow("nothing usable") << std::vector { loopback } << QStringList {};
}

void TestShare::offersTheAddressesAPhoneCanReachFirst()
{
    QFETCH(std::vector<NetworkAddress>, reported);
    QStringList offered;
    for (const auto& address : usableAddresses(reported))
        offered << QString::fromStdString(address.address);
    QTEST(offered, "offered");
}

QTEST_APPLESS_MAIN(TestShare)
#include "tst_share.moc"
