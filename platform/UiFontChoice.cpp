#include "platform/UiFontChoice.h"

#include <cstddef>

namespace quotrix {

namespace {

// Face names compare without regard to the case of Latin letters, as the font mapper does.
bool SameFace(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return i == a.size() && b[i] == 0;
}

bool Vertical(const JapaneseFace& face) { return !face.name.empty() && face.name[0] == '@'; }

}  // namespace

int ChooseUiFace(bool systemFontHasJapanese, const std::vector<JapaneseFace>& installed) {
    if (systemFontHasJapanese) return -1;
    for (const char* wanted : kJapaneseUiFaces) {
        for (std::size_t i = 0; i < installed.size(); ++i)
            if (SameFace(installed[i].name, wanted)) return static_cast<int>(i);
    }
    int best = -1, bestRank = -1;
    for (std::size_t i = 0; i < installed.size(); ++i) {
        const JapaneseFace& face = installed[i];
        if (Vertical(face) || face.name.empty()) continue;
        const int rank = (face.scalable ? 2 : 0) + (face.proportional ? 1 : 0);
        if (rank > bestRank) {
            best = static_cast<int>(i);
            bestRank = rank;
        }
    }
    return best;
}

}  // namespace quotrix
