// The cost of the program's files, with real files in FOLDER (default /tmp):
// - a report: building the text of N lap lines, encoding it in code page 932 and writing it
//   through the 4096-byte buffer, as Save does once the chooser has closed; for 1,000 to
//   100,000 lines, the 10,000-line figure being the one reported;
// - the settings: loading config.ini at start-up and saving it on a confirm.
// Each figure is the median of repeated runs. Run build-release/bench/zelvano_bench_files [FOLDER].
// Human-readable lines go to standard error, one JSON object to standard output.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "benchjson.h"
#include "clock/laplog.h"
#include "files/bufferedwrite.h"
#include "files/cp932.h"
#include "files/report.h"
#include "files/settingsfile.h"
#include "platform/diskfile.h"

using namespace zelvano;

namespace {

using Clock = std::chrono::steady_clock;

// Real files by full path; nothing else of the machine is used here.
class DiskOnly final : public PlatformServices
{
public:
    explicit DiskOnly(std::string folder)
        : m_folder(std::move(folder))
    { }
    void playSound(const std::string&) override { }
    void sleepMs(int) override { }
    void keepScreenAwake(bool) override { }
    void keepSoundReady(bool) override { }
    LocalTime localTime() const override { return { 2026, 12, 9, 10, 0, 0 }; }
    void trace(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    std::unique_ptr<FileHandle> openFile(const std::string& name, OpenMode mode) override
    {
        return openDiskFile(m_folder + "/" + name, mode);
    }
    bool replaceFile(const std::string& name, std::string_view bytes) override
    {
        return replaceDiskFile(m_folder + "/" + name, bytes);
    }

private:
    std::string m_folder;
};

template <typename Work> double medianUs(int repeats, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::vector<std::string> lapLines(int count)
{
    std::vector<std::string> lines;
    TimerState state;
    for (int slide = 1; slide <= count; ++slide) {
        state.slideCount = slide;
        state.elapsedSeconds = slide * 7;
        lines.push_back(formatLapLine(state));
    }
    return lines;
}

// The bytes written, or nothing when the write failed.
std::optional<std::size_t> writeReport(
    const std::string& path, const std::vector<std::string>& lines)
{
    const std::optional<std::string> bytes
        = encodeCp932(buildReport(LocalTime { 2026, 12, 9, 10, 0, 0 }, lines));
    std::unique_ptr<FileHandle> file = openDiskFile(path, OpenMode::WriteTruncate);
    if (!bytes || !file || !writeBuffered(*file, *bytes) || !file->close())
        return std::nullopt;
    return bytes->size();
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const std::string path = folder + "/zelvano-bench-report.txt";
    JsonObject json;
    for (const int count : { 1000, 10'000, 100'000 }) {
        const std::vector<std::string> lines = lapLines(count);
        std::optional<std::size_t> bytes;
        const double us
            = medianUs(count > 10'000 ? 5 : 21, [&] { bytes = writeReport(path, lines); });
        if (!bytes) {
            std::fprintf(stderr, "the report could not be written to %s\n", path.c_str());
            return 1;
        }
        std::fprintf(
            stderr, "report of %6d lines: %8.2f ms, %8zu bytes\n", count, us / 1e3, *bytes);
        if (count == 10'000) {
            json.add("report_10000_ms", us / 1e3);
            json.add("report_10000_bytes", static_cast<double>(*bytes));
        }
    }
    std::remove(path.c_str());

    DiskOnly platform(folder);
    BellSettings settings;
    const double saveUs = medianUs(1001, [&] {
        if (!saveSettings(platform, settings))
            std::fprintf(stderr, "the settings could not be saved in %s\n", folder.c_str());
    });
    const double loadUs = medianUs(1001, [&] { loadSettings(platform, settings); });
    std::remove((folder + "/" + settingsFileName).c_str());
    std::fprintf(stderr, "settings: load %.1f us, save %.1f us\n", loadUs, saveUs);
    json.add("settings_load_us", loadUs);
    json.add("settings_save_us", saveUs);
    std::printf("%s\n", json.text().c_str());
    return 0;
}
