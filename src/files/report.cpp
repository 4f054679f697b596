#include "files/report.h"

#include <optional>

#include "core/formatstring.h"
#include "core/texts.h"
#include "files/bufferedwrite.h"
#include "files/cp932.h"

namespace zelvano {

namespace {

    bool writeReport(PlatformServices& platform, const std::string& path, const std::string& bytes)
    {
        std::unique_ptr<FileHandle> file = platform.openFile(path, OpenMode::WriteTruncate);
        const bool written = file && writeBuffered(*file, bytes);
        const bool closed = file && file->close();
        return written && closed;
    }

} // namespace

std::string buildReport(const LocalTime& localTime, const std::vector<std::string>& lines)
{
    std::string report = formatString(texts::reportHeaderFormat, localTime.year, localTime.month,
        localTime.day, localTime.hour, localTime.minute, localTime.second);
    for (const std::string& line : lines) {
        report += line;
        report += "\r\n";
    }
    return report;
}

void onSave(TimerContext& context)
{
    // The header's time is the moment of the press, not of the chooser's OK.
    const LocalTime now = context.platform.localTime();
    if (context.view.lapLineCount() == 0) {
        context.view.showErrorBox(texts::noSlidesText, texts::noSlidesCaption);
        return;
    }
    std::vector<std::string> lines;
    for (int i = 0; i < context.view.lapLineCount(); ++i)
        lines.push_back(context.view.lapLine(i));
    const std::optional<std::string> bytes = encodeCp932(buildReport(now, lines));

    // Ticks go on while the chooser is open; the report is fixed before it opens.
    const std::optional<std::string> path
        = context.view.chooseSaveFile(reportInitialName, reportDefaultSuffix);
    if (!path)
        return;
    if (!bytes || !writeReport(context.platform, *path, *bytes)) {
        context.platform.trace(texts::fileIoError);
        context.view.showErrorBox(texts::reportNotSavedText, texts::saveFailedCaption);
        return;
    }
    context.state.lapsUnsaved = false;
    context.view.reportSaved(*path);
}

} // namespace zelvano
