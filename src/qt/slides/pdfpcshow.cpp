#include "qt/slides/pdfpcshow.h"

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFuture>
#include <QVariantMap>
#include <QtConcurrent/QtConcurrentRun>

#include "core/platformservices.h"
#include "qt/app/qttexts.h"
#include "qt/slides/pagelabels.h"
#include "qt/slides/pdfpcslides.h"

namespace zelvano {

namespace {

    const QString pdfpcService = QStringLiteral("io.github.pdfpc");
    const QString pdfpcPath = QStringLiteral("/io/github/pdfpc");
    constexpr const char* pdfpcInterface = "io.github.pdfpc";

    // Pages turned in the moment before pdfpc's slides are known; more are not kept.
    constexpr std::size_t pagesKeptMeanwhile = 64;

} // namespace

// pdfpc's object at its owner's unique name: Qt then follows no owner of its own, which would
// ask the bus and wait for the answer. Its signal is relayed from the bus once connected.
class PdfpcProxy final : public QDBusAbstractInterface
{
    Q_OBJECT

public:
    PdfpcProxy(const QString& owner, QObject* parent)
        : QDBusAbstractInterface(
            owner, pdfpcPath, pdfpcInterface, QDBusConnection::sessionBus(), parent)
    { }

signals:
    void OverlayChange(int number);
};

PdfpcShow::PdfpcShow(PlatformServices& platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
{ }

PdfpcShow::~PdfpcShow() = default;

void PdfpcShow::setWatching(bool watching)
{
    if (watching == m_watching)
        return;
    m_watching = watching;
    if (!watching) {
        delete m_watcher;
        m_watcher = nullptr;
        if (m_proxy)
            left();
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_platform.trace(qttexts::pdfpcUnseenTrace);
        return;
    }
    m_watcher = new QDBusServiceWatcher(
        pdfpcService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString& oldOwner, const QString& newOwner) {
            if (!oldOwner.isEmpty() && m_proxy)
                left();
            if (!newOwner.isEmpty())
                appeared(newOwner);
        });
    // pdfpc may be there already. The bus answers before it tells of any later change.
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("GetNameOwner"));
    ask << pdfpcService;
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(ask), m_watcher);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<QString> owner(*done);
        if (!owner.isError() && !m_proxy)
            appeared(owner.value());
    });
}

void PdfpcShow::appeared(const QString& owner)
{
    ++m_appearance;
    m_proxy = new PdfpcProxy(owner, this);
    connect(m_proxy, &PdfpcProxy::OverlayChange, this, &PdfpcShow::pageShown);
    m_slidesKnown = false;
    m_slideOfPage.clear();
    m_pagesMeanwhile.clear();
    emit began(0);
    QDBusMessage ask = QDBusMessage::createMethodCall(owner, pdfpcPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    ask << QString::fromLatin1(pdfpcInterface);
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(ask), m_proxy);
    connect(call, &QDBusPendingCallWatcher::finished, this, &PdfpcShow::learnSlides);
}

void PdfpcShow::left()
{
    delete m_proxy;
    m_proxy = nullptr;
    ++m_appearance;
    emit ended();
}

// pdfpc's counts of slides and of pages tell whether there are overlays at all; only then are
// the labels read, from the file pdfpc shows.
void PdfpcShow::learnSlides(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusPendingReply<QVariantMap> reply(*call);
    const QVariantMap properties = reply.isError() ? QVariantMap() : reply.value();
    bool counted = false;
    const qint64 slides = properties.value(QStringLiteral("NumberOfSlides")).toLongLong(&counted);
    const qint64 pages = properties.value(QStringLiteral("NumberOfOverlays")).toLongLong();
    const QString url = properties.value(QStringLiteral("Url")).toString();
    if (counted && slides == pages) {
        slidesKnown({});
        return;
    }
    if (!counted || !url.startsWith(QLatin1String("file:"))) {
        m_platform.trace(qttexts::pdfpcOverlaysUnknownTrace);
        slidesKnown({});
        return;
    }
    QtConcurrent::run(readPageLabels, url.toStdString())
        .then(this,
            [this, appearance = m_appearance, slides](
                const std::optional<std::vector<std::string>>& labels) {
                if (appearance != m_appearance)
                    return;
                std::vector<std::int64_t> grouping
                    = labels ? slidesOfPages(*labels, slides) : std::vector<std::int64_t> {};
                if (grouping.empty())
                    m_platform.trace(qttexts::pdfpcOverlaysUnknownTrace);
                slidesKnown(std::move(grouping));
            });
}

void PdfpcShow::slidesKnown(std::vector<std::int64_t> grouping)
{
    m_slidesKnown = true;
    m_slideOfPage = std::move(grouping);
    for (const int page : std::exchange(m_pagesMeanwhile, {}))
        emit shown(slideOfPage(m_slideOfPage, page));
}

void PdfpcShow::pageShown(int page)
{
    if (m_slidesKnown) {
        emit shown(slideOfPage(m_slideOfPage, page));
        return;
    }
    if (m_pagesMeanwhile.size() == pagesKeptMeanwhile)
        m_pagesMeanwhile.erase(m_pagesMeanwhile.begin());
    m_pagesMeanwhile.push_back(page);
}

} // namespace zelvano

#include "pdfpcshow.moc"
