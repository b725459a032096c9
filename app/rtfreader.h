#pragma once

#include <QByteArray>
#include <QString>

// Turns a Rich Text Format document into Qt rich text (HTML). It understands the subset the
// information page uses: font and colour tables, \b, \f, \fs, \cf, \qc, \pard, \par and \'hh
// escapes in Windows-1252; other control words and \* destinations are skipped.
QString rtfToHtml(const QByteArray &rtf);
