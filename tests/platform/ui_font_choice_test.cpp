// The choice of the user-interface face among the installed Japanese faces.
#include "platform/UiFontChoice.h"

#include <gtest/gtest.h>

namespace quotrix {
namespace {

JapaneseFace Face(const char* name, bool proportional = true, bool scalable = true) {
    return JapaneseFace{name, proportional, scalable};
}

TEST(UiFontChoice, JapaneseSystemFontIsKeptAndNothingInstalledKeepsItToo) {
    EXPECT_EQ(ChooseUiFace(true, {Face("Meiryo UI"), Face("IPAPGothic")}), -1);
    EXPECT_EQ(ChooseUiFace(false, {}), -1);
    // Only vertical faces: none fits a horizontal label.
    EXPECT_EQ(ChooseUiFace(false, {Face("@MS UI Gothic"), Face("@IPAGothic")}), -1);
}

TEST(UiFontChoice, PreferenceListBeatsTheSystemsOrderAndIgnoresCase) {
    // As a Western Windows with the Japanese supplement lists them.
    const std::vector<JapaneseFace> western = {Face("@MS Gothic", false), Face("MS Gothic", false),
                                               Face("MS UI Gothic"),      Face("Meiryo"),
                                               Face("Meiryo UI"),         Face("@Meiryo UI")};
    EXPECT_EQ(ChooseUiFace(false, western), 4);
    std::vector<JapaneseFace> newer = western;
    newer.push_back(Face("yu gothic ui"));
    EXPECT_EQ(ChooseUiFace(false, newer), 6);
    // A vertical twin or a longer name is not the face itself.
    EXPECT_EQ(ChooseUiFace(
                  false, {Face("@Meiryo UI"), Face("MS UI Gothic2", false), Face("MS UI Gothi", false), Face("Other")}),
              3);
}

TEST(UiFontChoice, OtherwiseScalableThenProportionalInTheSystemsOrder) {
    // Wine with the IPA fonts: the fixed-pitch gothic comes first, the proportional one wins.
    EXPECT_EQ(ChooseUiFace(false, {Face("IPAGothic", false), Face("IPAPGothic"), Face("@IPAPGothic"),
                                   Face("@IPAGothic", false)}),
              1);
    // A bitmap font only when nothing scalable is there; the first of equals.
    EXPECT_EQ(ChooseUiFace(false, {Face("Fixed", true, false), Face("Mincho", false), Face("Gothic", false)}), 1);
    EXPECT_EQ(ChooseUiFace(false, {Face("Fixed", false, false), Face("Terminal", true, false)}), 1);
    EXPECT_EQ(ChooseUiFace(false, {Face(""), Face("@X"), Face("Kochi Gothic", false, false)}), 2);
}

}  // namespace
}  // namespace quotrix
