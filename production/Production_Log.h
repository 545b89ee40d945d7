#pragma once

#include "Atomic_File.h"
#include "Production_Record.h"

#include <string>
#include <utility>

// Appends the record to the CSV log at `path`, with the header first when the file is new or
// empty. Several stations may append to one log: the header test and the record are made under
// an exclusive lock of the file, and the record (with the header when due) goes out in one
// write to a file opened for appending.
File_Failure Append_Csv_Record(const std::string& path, const Unit_Record& record);

// The records of a station, in rounds or watching: each is stamped when its unit has ended,
// counted in the running totals and appended to the CSV log when one is given.
class Station_Records {
  public:
    explicit Station_Records(std::string log) : log_(std::move(log)) {}

    // Stamps and counts the record; a failure when the log could not be written.
    File_Failure Add(Unit_Record& record);

    Production_Totals& Totals() { return totals_; }
    const Production_Totals& Totals() const { return totals_; }
    // 0 when every record is written, otherwise the highest exit status among them; a log that
    // could not be written fails a run that otherwise succeeded.
    int Exit_Status() const;

  private:
    std::string log_;
    Production_Totals totals_;
    bool log_failed_ = false;
};
