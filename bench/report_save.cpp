// How the time to write a report grows with its lines: building the text, encoding it in code
// page 932 and writing it through the 4096-byte buffer to a real file, as Save does once the
// chooser has closed. Run build/bench/zelvano_bench_report_save [FOLDER] (default /tmp).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "clock/laplog.h"
#include "files/bufferedwrite.h"
#include "files/cp932.h"
#include "files/diskfile.h"
#include "files/report.h"

using namespace zelvano;

int main(int argc, char* argv[])
{
    const std::string path = std::string(argc > 1 ? argv[1] : "/tmp") + "/zelvano-bench-report.txt";
    for (const int count : { 1000, 10'000, 100'000, 1'000'000 }) {
        std::vector<std::string> lines;
        TimerState state;
        for (int slide = 1; slide <= count; ++slide) {
            state.slideCount = slide;
            state.elapsedSeconds = slide * 7;
            lines.push_back(formatLapLine(state));
        }
        const auto start = std::chrono::steady_clock::now();
        const std::optional<std::string> bytes
            = encodeCp932(buildReport(LocalTime { 2026, 12, 9, 10, 0, 0 }, lines));
        std::unique_ptr<FileHandle> file = openDiskFile(path, OpenMode::WriteTruncate);
        const bool written = bytes && file && writeBuffered(*file, *bytes) && file->close();
        const std::chrono::duration<double, std::milli> took
            = std::chrono::steady_clock::now() - start;
        std::printf("%8d lines: %8.2f ms, %9zu bytes%s\n", count, took.count(),
            bytes ? bytes->size() : 0, written ? "" : " (write failed)");
    }
    std::remove(path.c_str());
    return 0;
}
