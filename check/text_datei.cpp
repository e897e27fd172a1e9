#include "check/text_datei.h"

namespace trelvik {

bool leseZeile(std::istream& datei, std::string& zeile, const FehlerMelder& melden) {
    zeile.clear();
    if (!datei.good() || datei.peek() == std::char_traits<char>::eof())
        return false;
    try {
        std::getline(datei, zeile);
    } catch (...) {
        datei.setstate(std::ios::badbit);
    }
    if (datei.bad()) {
        zeile.clear();
        if (melden)
            melden(meldungLesefehler);
        return false;
    }
    if (!zeile.empty() && zeile.back() == '\r')
        zeile.pop_back();
    return true;
}

} // namespace trelvik
