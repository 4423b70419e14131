#pragma once
// "Export Review History...": the whole review log as a CSV file for a spreadsheet.
class QObject;

namespace review {

// Asks for a file name (the save dialog, "review history.csv" in the home folder) and writes
// the program's review history there, replacing the file whole or leaving it as it was. A
// history that can't be used, or a file that can't be written, is told in a message box and
// nothing is written. Says nothing on success. True when the file was written.
bool exportReviewHistoryCommand(QObject* owner);

} // namespace review
