#pragma once

#include <string>
#include <vector>

#include "core/platformservices.h"
#include "core/timercontext.h"

namespace zelvano {

inline constexpr const char* reportInitialName = "result.txt";
inline constexpr const char* reportDefaultSuffix = "txt";

// The report text (UTF-8): a date header, an empty line, then each lap line, all ending in CR LF.
std::string buildReport(const LocalTime& localTime, const std::vector<std::string>& lines);

// The Save button: refuses an empty lap list, otherwise asks for a file and writes the report
// there in code page 932. A failed write is traced and shown; the timing run is left untouched.
void onSave(TimerContext& context);

} // namespace zelvano
