// Named fonts under Wine, where neither of the faces the Support page names is installed.
#include "platform/win32/fonts.h"

#include <gtest/gtest.h>

#include <string>

namespace talvex::win32 {
namespace {

LOGFONTA Describe(const ScopedFont& font) {
    LOGFONTA described{};
    GetObjectA(font.get(), sizeof described, &described);
    return described;
}

std::string MessageFace() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont.lfFaceName;
}

TEST(NamedFont, AMissingFaceFallsBackToTheMessageFaceKeepingSizeAndStyle) {
    ASSERT_FALSE(FontInstalled("No Such Face Talvex"));
    const LOGFONTA font = Describe(CreateNamedFont({"No Such Face Talvex", 975, true, true}, 192));
    EXPECT_EQ(std::string(font.lfFaceName), MessageFace());
    EXPECT_EQ(font.lfHeight, -26); // 9.75 points at 192 pixels an inch
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_TRUE(font.lfItalic);
}

TEST(NamedFont, ShrinksUntilTheLabelsTextFitsAndNoFurther) {
    HWND label =
        CreateWindowA("STATIC", "Talvex Adapter Configuration , Version 1.00", WS_POPUP | SS_LEFT,
                      0, 0, 150, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(label, nullptr);
    const std::string face = MessageFace(); // the request only points at it
    const FontRequest request{face.c_str(), 975, true, true};
    ASSERT_FALSE(TextFits(label, CreateNamedFont(request, 96).get()));
    ScopedFont fitted = CreateFittingFont(label, request, 96);
    EXPECT_TRUE(TextFits(label, fitted.get()));
    const LONG height = Describe(fitted).lfHeight;
    EXPECT_GT(height, -13); // smaller than asked for
    EXPECT_LE(height, -8);  // never below six points
    // A label with room keeps the size asked for.
    SetWindowPos(label, nullptr, 0, 0, 600, 40, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Describe(CreateFittingFont(label, request, 96)).lfHeight, -13);
    DestroyWindow(label);
}

} // namespace
} // namespace talvex::win32
