#pragma once

#include <string>
#include <vector>

#include "review/dump_file.h"

namespace ecuprobe::review {

// What the tester dump says of a saved run: the comment typed for the test's
// report and the identity of the ECU and the car from the state report of the
// same dump (a dump is the log of one car). A sample file holds neither.
struct RunNotes {
    std::string comment;
    std::vector<std::string> identity;  // "Тип блока управления: Микас 5.4", ...
};

// The notes of the report among entries that names sampleFileName ("Файл дампа:");
// none when no report names it.
RunNotes notesFromDump(const std::vector<DumpEntry>& entries, const std::string& sampleFileName);

// The same from the dumps (".tdm") in the sample file's folder, which is where the
// tester writes a sample file: beside the dump its report went to. Files are only
// read; a dump that cannot be read is passed over.
RunNotes notesBeside(const std::string& utf8SamplePath);

// The identification lines of a state report, one field a line.
std::vector<std::string> identityOf(const DumpEntry& stateReport);

}  // namespace ecuprobe::review
