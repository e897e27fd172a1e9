#pragma once
// The report as it goes out, printed or saved: the texts of the four result boxes as the window
// shows them, nothing else from the check.
#include <string>

namespace trelvik {

// A report section as it is put out: blanks trimmed; with `ohneZeilenenden` also every
// trailing CR LF pair removed.
std::string berichtAbschnitt(const std::string& text, bool ohneZeilenenden);

// The saved report: sixteen CR LF ended lines (path, summary label, the three sections with
// their headings, the geometry report).
std::string berichtDatei(const std::string& shapePfad, const std::string& label3,
                         const std::string& vorhanden, const std::string& gefordert,
                         const std::string& projektion, const std::string& geometrie);

} // namespace trelvik
