#pragma once
// The file a word-list export writes. The export dialog offers the word lists' endings only,
// but a name is typed: one without an ending gets the chosen type's, and a chapter's name is
// refused, since a word list written there would replace the chapter's cards with text.
#include <QString>

namespace qredit {

// The types the export dialog offers, in its order (the dialog counts from 1).
enum class ExportType { Comma = 1, Tab = 2 };

struct ExportName {
    QString path;    // what to write; empty when refused
    QString refusal; // why not, for a message
};

// `typed` is the name from the dialog. A name ending in .csv, .tsv or .txt (any case) stays as
// it is; one ending in .qex, or a link to such a file, is refused; any other name gets the
// type's ending (.csv or .tsv) added.
ExportName exportName(const QString& typed, ExportType type);

} // namespace qredit
