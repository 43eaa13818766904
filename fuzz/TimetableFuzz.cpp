// Timetables from .xlsx and .csv bytes: any input gives either departures and no error, or an
// error and nothing at all (never half an import), and the departures come grouped by batch in
// the order of the batches. (.xls goes to FreeXL, a library we cannot instrument.)
#include <algorithm>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "schedules/Timetable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const fw::WorkbookFormat format = data[0] % 2 == 0 ? fw::WorkbookFormat::Xlsx : fw::WorkbookFormat::Csv;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const fw::TimetableImport result = fw::ImportTimetableBytes(bytes, format);
    const auto& timetable = result.timetable;
    if (result.error.empty() == timetable.rows.empty())
        fw::fuzz::Fail("departures and an error together, or neither", result.error);
    if (!result.error.empty() && !timetable.batches.empty())
        fw::fuzz::Fail("batches kept from a refused file", result.error);
    std::size_t batch = 0;
    for (const fw::TimetableRow& row : timetable.rows) {
        const auto at = std::find(timetable.batches.begin() + static_cast<std::ptrdiff_t>(batch),
                                  timetable.batches.end(), row.batch);
        if (at == timetable.batches.end()) fw::fuzz::Fail("a departure out of its batch's place", row.batch);
        batch = static_cast<std::size_t>(at - timetable.batches.begin());
    }
    return 0;
}
