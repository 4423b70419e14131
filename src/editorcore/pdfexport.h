#pragma once
// A chapter drawn on pages: a two-column word list (front, back) under the chapter's title,
// each page numbered, or cut-out cards (see printlayout.h), on any paged device: a PDF
// file (QPdfWriter) or a printer. Texts of any script are laid out by Qt's text engine with
// the system's fonts; a right-to-left text runs from the right of its cell. Needs a
// QGuiApplication (the offscreen platform will do); no widgets.
#include "chapterfile.h"

#include <QString>
#include <QVector>

class QPagedPaintDevice;

namespace qredit {

enum class PaperLayout { List, Cards };

// Draws on `device` (its page size and resolution as set); false with `error` when the
// painter can't begin.
bool paintChapter(QPagedPaintDevice& device, const QVector<CardRow>& rows, const QString& title, PaperLayout layout,
                  QString& error);
// Writes an A4 PDF file, replacing `path` as a whole or not at all.
bool writeChapterPdf(const QString& path, const QVector<CardRow>& rows, const QString& title, PaperLayout layout,
                     QString& error);

} // namespace qredit
