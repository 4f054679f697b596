#pragma once

#include <cstdint>
#include <vector>

#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace zelvano {

class PdfpcProxy;
class PlatformServices;

// A pdfpc presentation on the session bus, as a slide show that tells its slide numbers: it
// begins when pdfpc takes its name on the bus and ends when pdfpc leaves it. pdfpc 4.6 signals
// only the page it shows (OverlayChange, the page counted from 0; the SlideChange it declares is
// never sent), so its pages become slides here as pdfpc groups them (pdfpcslides.h). pdfpc cannot
// be asked which page it shows: it is taken to stand on its first page, where it opens, when it
// is first seen. No call to the bus is waited for, and the pages' labels are read on a thread of
// their own.
class PdfpcShow final : public QObject
{
    Q_OBJECT

public:
    explicit PdfpcShow(PlatformServices& platform, QObject* parent = nullptr);
    ~PdfpcShow() override;

    void setWatching(bool watching);

signals:
    void began(std::int64_t slide);
    void shown(std::int64_t slide);
    void ended();

private:
    void appeared(const QString& owner);
    void left();
    void learnSlides(QDBusPendingCallWatcher* call);
    void slidesKnown(std::vector<std::int64_t> grouping);
    void pageShown(int page);

    PlatformServices& m_platform;
    bool m_watching = false;
    QDBusServiceWatcher* m_watcher = nullptr; // while watching on a session bus
    PdfpcProxy* m_proxy = nullptr; // while pdfpc is on the bus
    std::uint32_t m_appearance = 0; // counts pdfpc's appearances, so late answers are known
    bool m_slidesKnown = false;
    std::vector<std::int64_t> m_slideOfPage;
    std::vector<int> m_pagesMeanwhile; // shown before the slides were known
};

} // namespace zelvano
