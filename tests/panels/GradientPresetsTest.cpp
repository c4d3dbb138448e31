#include "panels/gradients/GPGradientPanel.h"
#include "panels/gradients/GPGradients.h"

#include <gtest/gtest.h>

using namespace ql;

namespace {

struct Rgba {
    double r, g, b, a;
};

struct PresetRow {
    const char* name;
    Gradient (*make)();
    Color::Space space;
    QList<double> locations;
    QList<Rgba> colours;
};

Rgba grey(double v, double a = 1.0)
{
    return {v, v, v, a};
}

} // namespace

TEST(GradientPresets, EveryPresetHasItsStopsColoursAndSpace)
{
    using S = Color::Space;
    const QList<double> glossy {0, 0.5, 0.5, 1};
    const QList<PresetRow> rows {
        {"glossy", &GPGradients::glossyGradient, S::CalibratedRGB, glossy,
         {grey(0.85), grey(0.85), grey(0.9), grey(1.0)}},
        {"inverseGlossy", &GPGradients::inverseGlossyGradient, S::CalibratedRGB, glossy,
         {grey(1.0), grey(0.9), grey(0.85), grey(0.85)}},
        {"darkGlossy", &GPGradients::darkGlossyGradient, S::CalibratedRGB, glossy,
         {grey(0.03), grey(0.12), grey(0.15), grey(0.25)}},
        {"midGlossy", &GPGradients::midGlossyGradient, S::CalibratedRGB, glossy,
         {grey(0.6), grey(0.65), grey(0.68), grey(0.78)}},
        {"redGlossy", &GPGradients::redGlossyGradient, S::CalibratedRGB, glossy,
         {grey(0.85), grey(0.85), {0.65, 0, 0, 0.85}, {1.0, 0.3, 0.3, 1}}},
        {"clockDarkGlossy", &GPGradients::clockDarkGlossyGradient, S::CalibratedRGB, glossy,
         {grey(0.08), grey(0.18), grey(0.12), grey(0.03)}},
        {"codexTitle", &GPGradients::codexFloatingWindowTitleGradient, S::CalibratedWhite, glossy,
         {grey(0.3, 0.8), grey(0.28, 0.8), grey(0.2, 0.8), grey(0.22, 0.8)}},
        {"codexTitleInactive", &GPGradients::codexFloatingWindowTitleInactiveGradient, S::CalibratedWhite, glossy,
         {grey(0.2, 0.45), grey(0.25, 0.45), grey(0.2, 0.45), grey(0.15, 0.45)}},
        {"popoverHeader", &GPGradients::popoverHeaderGradient, S::CalibratedWhite, {0, 0.2, 0.2, 1},
         {grey(0.25, 0.15), grey(0.22, 0.15), grey(0.2, 0.15), grey(0.15, 0.15)}},
        {"simple", &GPGradients::simpleGradient, S::CalibratedWhite, {0, 1}, {grey(0), grey(1)}},
        {"clear", &GPGradients::clearGradient, S::CalibratedWhite, {0, 1}, {grey(0, 0), grey(0, 0)}},
        {"darkSubtle", &GPGradients::darkSubtleGradient, S::CalibratedRGB,
         {0, 0.15217391304347827, 0.717391304347826, 1},
         {grey(0.25, 0.9), grey(0.15, 0.9), grey(0.1, 0.9), grey(0.03, 0.9)}},
        {"spectrum", &GPGradients::spectrumGradient, S::CalibratedRGB, {0, 0.2, 0.4, 0.6, 0.8, 1.0},
         {{1, 0, 0, 1}, {0.8, 1, 0, 1}, {0, 1, 0.4, 1}, {0, 0.4, 1, 1}, {0.8, 0, 1, 1}, {1, 0, 0, 1}}},
    };
    ASSERT_EQ(rows.size(), 13);
    for (const PresetRow& row : rows) {
        SCOPED_TRACE(row.name);
        const Gradient gradient = row.make();
        ASSERT_EQ(gradient.stops().size(), row.locations.size());
        for (qsizetype i = 0; i < row.locations.size(); ++i) {
            SCOPED_TRACE(i);
            const Color& c = gradient.stops()[i].color;
            EXPECT_NEAR(gradient.stops()[i].location, row.locations[i], 1e-12);
            EXPECT_EQ(c.space(), row.space);
            EXPECT_NEAR(c.redComponent(), row.colours[i].r, 1e-6);
            EXPECT_NEAR(c.greenComponent(), row.colours[i].g, 1e-6);
            EXPECT_NEAR(c.blueComponent(), row.colours[i].b, 1e-6);
            EXPECT_NEAR(c.alpha(), row.colours[i].a, 1e-6);
        }
    }
}

TEST(GradientPresets, PanelDefaultsAreEightPresetsInOrder)
{
    EXPECT_EQ(GPGradientPanel::defaultGradients(),
              (QList<Gradient> {GPGradients::clearGradient(), GPGradients::simpleGradient(),
                                GPGradients::spectrumGradient(), GPGradients::glossyGradient(),
                                GPGradients::darkGlossyGradient(), GPGradients::midGlossyGradient(),
                                GPGradients::darkSubtleGradient(), GPGradients::redGlossyGradient()}));
}
