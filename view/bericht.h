#pragma once
// The report as it goes out, printed or saved: the texts of the four result boxes as the window
// shows them, nothing else from the check.
#include <string>

namespace trelvik {

// A report section as it is put out: blanks trimmed; with `ohneZeilenenden` also every
// trailing CR LF pair removed.
std::string berichtAbschnitt(const std::string& text, bool ohneZeilenenden);

// The bytes of the saved report, for the window's "Auswertung speichern" and for
// `trelvik-cli check --out` alike: UTF-8, sixteen CR LF ended lines (path, summary label, the
// three sections with their headings, the geometry report). The texts may come with LF, CR or
// CR LF line ends (a text box gives LF); every line end is written as CR LF.
std::string berichtDatei(const std::string& shapePfad, const std::string& label3,
                         const std::string& vorhanden, const std::string& gefordert,
                         const std::string& projektion, const std::string& geometrie);

} // namespace trelvik
