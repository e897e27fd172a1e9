#pragma once
// Shared by the Qt tests: one application per program with its settings in a private folder,
// and reading back printed PDF files.
#include <QString>

#include <string>

namespace trelvik::test {

// Creates the application on first use (offscreen unless a platform is set); settings go to a
// private temporary folder from then on.
void anwendung();

// The program's private temporary folder, removed at exit.
QString ablage();

// Text of a PDF through pdftotext (-layout); pages are separated by form feeds.
std::string pdfText(const QString& pdf);
// Number of pages of a PDF (pdfinfo).
int pdfSeiten(const QString& pdf);

} // namespace trelvik::test
